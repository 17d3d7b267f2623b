#include "mailer/pdf/font_program.h"

#include "mailer/pdf/deflate.h"
#include "platform/cp1252.h"
#include "platform/design_fonts.h"
#include "platform/error.h"

#include <QCryptographicHash>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

namespace pdf {
namespace {

/// The destroy function of a HarfBuzz handle, for std::unique_ptr.
template <class T, void (*Destroy)(T*)>
struct Destroyer {
    void operator()(T* p) const { Destroy(p); }
};
using Blob_ = std::unique_ptr<hb_blob_t, Destroyer<hb_blob_t, hb_blob_destroy>>;
using Font_ = std::unique_ptr<hb_font_t, Destroyer<hb_font_t, hb_font_destroy>>;
using Face_ = std::unique_ptr<hb_face_t, Destroyer<hb_face_t, hb_face_destroy>>;
using Input_ = std::unique_ptr<hb_subset_input_t, Destroyer<hb_subset_input_t, hb_subset_input_destroy>>;

char32_t unicodeOf(unsigned char code)
{
    return platform::fromCp1252(std::string(1, static_cast<char>(code))).at(0).unicode();
}

int16_t be16(const char* p)
{
    return static_cast<int16_t>((static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]));
}

}  // namespace

FontProgram::FontProgram(const QString& family)
{
    const std::string file = platform::fontFile(family);
    file_ = file;
    package_ = platform::fontPackage(family);
    Blob_ blob(hb_blob_create_from_file(file.c_str()));
    face_.reset(hb_face_create(blob.get(), 0));
    const unsigned upem = hb_face_get_upem(face_.get());
    Blob_ head(hb_face_reference_table(face_.get(), HB_TAG('h', 'e', 'a', 'd')));
    unsigned headLength = 0;
    const char* h = hb_blob_get_data(head.get(), &headLength);
    if (file.empty() || headLength < 54 || hb_face_get_glyph_count(face_.get()) == 0)
        throw platform::Error(platform::Error::InvalidFileFormat,
                              QStringLiteral("The font file %1 of %2 cannot be read as TrueType. Reinstall %3")
                                  .arg(QString::fromStdString(file), family, package_),
                              QString());
    auto em = [upem](double units) { return units * 1000.0 / upem; };
    for (int i = 0; i < 4; ++i)
        bbox_[i] = static_cast<int>(em(be16(h + 36 + 2 * i)));

    Font_ font(hb_font_create(face_.get()));
    hb_position_t v = 0;
    hb_ot_metrics_get_position(font.get(), HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &v);
    ascent_ = static_cast<int>(em(v));
    hb_ot_metrics_get_position(font.get(), HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &v);
    descent_ = static_cast<int>(em(v));
    capHeight_ = ascent_;
    if (hb_ot_metrics_get_position(font.get(), HB_OT_METRICS_TAG_CAP_HEIGHT, &v))
        capHeight_ = static_cast<int>(em(v));
    for (int c = 0; c < 256; ++c) {
        hb_codepoint_t glyph = 0;
        hb_font_get_nominal_glyph(font.get(), unicodeOf(static_cast<unsigned char>(c)), &glyph);
        widths_[c] = em(hb_font_get_glyph_h_advance(font.get(), glyph));
    }
    char name[128] = {};
    unsigned size = sizeof name;
    hb_ot_name_get_utf8(face_.get(), HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name);
    postScriptName_ = name[0] ? name : family.toStdString();
    for (char& ch : postScriptName_)
        if (ch == ' ' || ch == '/' || ch == '(' || ch == ')' || ch == '[' || ch == ']' || ch == '#')
            ch = '-';
}

void FontProgram::FaceDestroy::operator()(hb_face_t* face) const
{
    hb_face_destroy(face);
}

std::shared_ptr<const Blob> FontProgram::subset(uint16_t rows) const
{
    Input_ input(hb_subset_input_create_or_fail());
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (int c = 32; c < 256; ++c)
        if (rows & (1u << (c / 16)))
            hb_set_add(unicodes, unicodeOf(static_cast<unsigned char>(c)));
    // Layout tables and hinting serve nothing in a PDF that places every glyph itself.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING);
    hb_set_t* drop = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
                         HB_TAG('k', 'e', 'r', 'n'), HB_TAG('D', 'S', 'I', 'G'), HB_TAG('g', 'a', 's', 'p'),
                         HB_TAG('h', 'd', 'm', 'x'), HB_TAG('V', 'D', 'M', 'X'), HB_TAG('L', 'T', 'S', 'H')})
        hb_set_add(drop, tag);
    Face_ cut(hb_subset_or_fail(face_.get(), input.get()));
    if (!cut)
        throw platform::Error(platform::Error::InvalidFileFormat,
                              QStringLiteral("The font %1 (%2) cannot be cut down to the characters a PDF shows: "
                                             "the file is damaged or of a kind HarfBuzz cannot subset. Reinstall %3")
                                  .arg(QString::fromStdString(postScriptName_), QString::fromStdString(file_), package_),
                              QString());
    Blob_ program(hb_face_reference_blob(cut.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(program.get(), &length);

    auto blob = std::make_shared<Blob>();
    Deflater deflater(9);
    blob->bytes = deflater.compress(std::string_view(data, length));
    blob->length1 = length;
    blob->digest = QCryptographicHash::hash(QByteArray::fromRawData(blob->bytes.data(), qsizetype(blob->bytes.size())),
                                            QCryptographicHash::Md5)
                       .toStdString();
    // The same rows give the same name in every run.
    uint32_t mix = 2166136261u ^ rows;
    for (char ch : postScriptName_)
        mix = (mix ^ static_cast<uint8_t>(ch)) * 16777619u;
    for (int i = 0; i < 6; ++i) {
        blob->tag += static_cast<char>('A' + mix % 26);
        mix = mix / 26 + (mix % 7) * 1000003u;
    }
    return blob;
}

}  // namespace pdf
