#include "mailer/document/statement.h"

#include "mailer/document/statement_design.h"
#include "platform/error.h"

namespace document {
namespace {

/// The report's fields: every field the statement's lines fill, by the tables the reader reads.
void addFields(FieldList& list)
{
    const auto add = [&list](const auto& table) {
        for (const input::Column& c : table)
            list.add(QLatin1String(c.field));
    };
    add(input::kCompanyColumns);
    add(input::kHeaderColumns);
    for (const auto& f : input::kDetailFields)
        list.add(QLatin1String(f.field));
    add(input::kTotalColumns);
    add(input::kDiscountColumns);
}

constexpr int kInvalidPicture = 481;

}  // namespace

const char* const Statement::NarrowLogoPath = "C:\\Program Files\\Torvik\\Stmtlogo";
const char* const Statement::WideLogoPath = "C:\\Program Files\\Torvik\\Stmtlogowide";

Statement::Statement(const input::modBrevix& settings, const input::StatementFile& file, platform::FileSystem& fs,
                     DocumentCache* cache)
    : Report(statementGeometry()), settings_(settings), file_(file), fs_(fs),
      ownCache_(cache ? nullptr : std::make_unique<DocumentCache>()), cache_(cache ? *cache : *ownCache_)
{
    for (const Section& s : cache_.design(&statementDesign))
        addSection(s);
    measureWith(cache_);
}

void Statement::ActiveReport_ReportStart() {}

void Statement::ActiveReport_DataInitialize()
{
    addFields(Fields());
    for (const auto& [name, value] : file_.fields)
        Fields().setField(name, value);

    Recolour(section(QStringLiteral("PageHeader1")), false);
    Recolour(section(QStringLiteral("Detail1")), true);
    Recolour(section(QStringLiteral("ReportFooter1")), true);
    LoadLogo();
    row_ = 1;
}

void Statement::Recolour(Section& section, bool shade)
{
    for (int i = 0; i < section.Count(); ++i) {
        Control& c = section.control(i);
        if (c.tag == QLatin1String("BG")) {
            if (settings_.StmtBackColor != -1)
                c.style.fillColor = colourFromBgr(settings_.StmtBackColor);
            if (settings_.StmtForeColor != -1)
                c.style.textColor = colourFromBgr(settings_.StmtForeColor);
        }
        if (shade && c.tag == QLatin1String("SHADE") && settings_.StmtShadeColor != -1)
            c.style.fillColor = colourFromBgr(settings_.StmtShadeColor);
    }
}

QImage Statement::LoadPicture(const QString& path, const platform::FileStamp& stamp)
{
    Control& frame = control(QStringLiteral("Logo2"));
    const QImage picture = cache_.picture(fs_, path, stamp, QSize(frame.width, frame.height));
    if (picture.isNull())
        throw platform::Error(kInvalidPicture, QStringLiteral("Invalid picture"), path);
    return picture;
}

std::optional<platform::FileStamp> Statement::LogoFile(const QString& path)
{
    std::optional<platform::FileStamp> stamp = fs_.stamp(path);
    // A link counts as the file it leads to, when that is there.
    if (stamp && stamp->kind == platform::FileStamp::Link && !fs_.exists(path))
        stamp.reset();
    return stamp;
}

void Statement::LoadLogo()
{
    const std::optional<DocumentCache::Logo> found = cache_.logo(fs_, [this]() -> std::optional<DocumentCache::Logo> {
        const QString narrow = QLatin1String(NarrowLogoPath);
        const QString wide = QLatin1String(WideLogoPath);
        std::optional<platform::FileStamp> stamp = LogoFile(wide);
        const bool hasWide = stamp.has_value();
        if (!hasWide)
            stamp = LogoFile(narrow);
        if (!stamp)
            return std::nullopt;
        return DocumentCache::Logo{hasWide, LoadPicture(hasWide ? wide : narrow, *stamp)};
    });
    if (!found)
        return;
    Control& logo = control(found->wide ? QStringLiteral("Logo2") : QStringLiteral("Logo1"));
    logo.picture = found->picture;
    logo.visible = true;
    for (const char* name : {"FromAddr1", "FromAddr2", "FromAddr3", "FromAddr4"})
        control(QLatin1String(name)).visible = false;
}

void Statement::ActiveReport_FetchData(bool& eof)
{
    const input::Details* lines = file_.lines.get();
    if (!lines || row_ > lines->Count()) {
        eof = true;
        return;
    }
    eof = false;
    const input::Detail& d = lines->Item(static_cast<int32_t>(row_));
    FieldList& f = Fields();
    if (lineFields_.empty()) {
        // Looked up by name once, not for every line.
        for (const auto& field : input::kDetailFields)
            lineFields_.push_back(f.indexOf(QString::fromLatin1(field.field)));
    }
    size_t i = 0;
    for (const auto& field : input::kDetailFields)
        f.setField(lineFields_[i++], d.*field.member);
    ++row_;
}

void Statement::ActiveReport_ReportEnd() {}

}  // namespace document
