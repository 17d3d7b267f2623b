#include "platform/design_fonts.h"

#include "platform/error.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>
#include <initializer_list>
#include <memory>

namespace platform {
namespace {

struct InstalledFace {
    const char* family;
    const char* package;
};

struct DesignFace {
    const char* design;
    std::initializer_list<InstalledFace> twins;  // metric twins; the first installed one wins
    const char* sameKind;                        // for windows only, when no twin is installed
};

// Changing the faces is this table and the packages that setup installs.
const DesignFace kFaces[] = {
    {"Arial", {{"Liberation Sans", "fonts-liberation"}, {"Arimo", "fonts-croscore"}}, "DejaVu Sans"},
    {"Arial Narrow", {{"Liberation Sans Narrow", "fonts-liberation"}}, "DejaVu Sans Condensed"},
    {"MS Sans Serif", {{"Liberation Sans", "fonts-liberation"}}, "DejaVu Sans"},
    {"Microsoft Sans Serif", {{"Liberation Sans", "fonts-liberation"}}, "DejaVu Sans"},
};

const DesignFace* designFace(const QString& designFamily)
{
    for (const DesignFace& f : kFaces)
        if (designFamily.compare(QLatin1String(f.design), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

struct PatternDestroy {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDestroy>;

/// What fontconfig matches for a family: its file, format and family names.
struct Match {
    std::string file, format;
    QStringList families;
};

Match match(const QString& family)
{
    Match m;
    const Pattern pattern{FcNameParse(reinterpret_cast<const FcChar8*>(family.toUtf8().constData()))};
    if (!pattern)
        return m;
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result;
    const Pattern found{FcFontMatch(nullptr, pattern.get(), &result)};
    if (!found)
        return m;
    FcChar8* value = nullptr;
    if (FcPatternGetString(found.get(), FC_FILE, 0, &value) == FcResultMatch)
        m.file = reinterpret_cast<const char*>(value);
    if (FcPatternGetString(found.get(), FC_FONTFORMAT, 0, &value) == FcResultMatch)
        m.format = reinterpret_cast<const char*>(value);
    for (int i = 0; FcPatternGetString(found.get(), FC_FAMILY, i, &value) == FcResultMatch; ++i)
        m.families << QString::fromUtf8(reinterpret_cast<const char*>(value));
    return m;
}

/// The first metric twin of a design face that is installed, or empty.
QString installedTwin(const DesignFace& face)
{
    for (const InstalledFace& twin : face.twins)
        if (QFontDatabase::hasFamily(QLatin1String(twin.family)))
            return QLatin1String(twin.family);
    return QString();
}

}  // namespace

QString installedFamily(const QString& designFamily)
{
    const DesignFace* f = designFace(designFamily);
    if (!f)
        return designFamily;
    const QString twin = installedTwin(*f);
    return twin.isEmpty() ? QLatin1String(f->twins.begin()->family) : twin;
}

QString windowFamily(const QString& designFamily)
{
    const DesignFace* f = designFace(designFamily);
    if (!f)
        return designFamily;
    const QString twin = installedTwin(*f);
    if (!twin.isEmpty())
        return twin;
    return QFontDatabase::hasFamily(QLatin1String(f->sameKind)) ? QLatin1String(f->sameKind) : QString();
}

QString fontPackage(const QString& installedFamily)
{
    // A package installs a whole family of faces ("Liberation Sans Narrow", "Liberation Mono").
    for (const DesignFace& f : kFaces)
        for (const InstalledFace& twin : f.twins)
            if (installedFamily.startsWith(QString::fromLatin1(twin.family).section(QLatin1Char(' '), 0, 0),
                                           Qt::CaseInsensitive))
                return QStringLiteral("the package ") + QLatin1String(twin.package);
    return QStringLiteral("the package that provides it");
}

std::string fontFile(const QString& family)
{
    const Match m = match(family);
    if (!m.file.empty() && m.format == "TrueType" && m.families.contains(family, Qt::CaseInsensitive))
        return m.file;
    QString offered = QStringLiteral("fontconfig offers nothing for it");
    if (!m.file.empty())
        offered = QStringLiteral("fontconfig offers %1 (%2, %3) in its place")
                      .arg(m.families.value(0), QString::fromStdString(m.file),
                           m.format.empty() ? QStringLiteral("unknown format") : QString::fromStdString(m.format));
    throw Error(Error::FileNotFound,
                QStringLiteral("The font %1 is not installed as a TrueType file; %2. Install %3 "
                               "rather than print in another face")
                    .arg(family, offered, fontPackage(family)),
                QString());
}

void installFontSubstitutions()
{
    for (const DesignFace& f : kFaces) {
        QStringList faces;
        for (const InstalledFace& twin : f.twins)
            faces << QLatin1String(twin.family);
        faces << QLatin1String(f.sameKind);
        QFont::insertSubstitutions(QLatin1String(f.design), faces);
    }
}

}  // namespace platform
