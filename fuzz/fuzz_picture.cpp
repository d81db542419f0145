// Feeds arbitrary bytes to the pictures of forms: taken apart as a property's data, decoded, and
// cut into a button glyph. Nothing may crash, hang, or lead outside the data; a picture is either
// decoded within the caps or refused with a reason.
#include "FormPicture.h"
#include "PictureDecoder.h"

#include <QImageReader>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <span>
#include <string_view>

namespace {

// The layouts the first byte picks from: a class name may lead, a size may lead, neither.
constexpr std::string_view Properties[] = {"Picture.Data", "Glyph.Data", "Icon.Data", "Bitmap.Data", "Logo.Data"};

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_picture: %s\n", what);
    std::abort();
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The readers' warnings about broken files would bury the fuzzer's own report.
    qInstallMessageHandler(quiet);
    // A lower limit than the decoder's keeps each run quick; the decoder must follow it.
    QImageReader::setAllocationLimit(16);
    return 0;
}

// The first byte: the property (its value modulo the number of them), the glyph count (bits 4
// to 6) and whether the button is enabled (bit 7).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view property = Properties[data[0] % std::size(Properties)];
    const std::span<const unsigned char> bytes(data + 1, size - 1);
    const dfm::FormPicture picture = dfm::pictureFromData(property, bytes);
    if (!picture.bytes.empty()
        && (picture.bytes.data() < bytes.data() || picture.bytes.data() + picture.bytes.size() > bytes.data() + bytes.size()))
        fail("the picture's bytes lie outside its data");
    const dfm::DecodedPicture decoded = dfm::decodePicture(picture);
    if (decoded.image.isNull() == decoded.problem.isEmpty())
        fail("a picture is neither decoded nor refused, or both");
    if (decoded.image.isNull())
        return 0;
    if (decoded.image.width() > dfm::LargestPictureSide || decoded.image.height() > dfm::LargestPictureSide
        || std::int64_t{decoded.image.width()} * decoded.image.height() * 4 > std::int64_t{16} * 1024 * 1024)
        fail("a picture beyond the caps was decoded");
    const int numGlyphs = (data[0] >> 4) & 7;
    const QImage glyph = dfm::buttonGlyph(decoded.image, numGlyphs, (data[0] & 0x80) == 0);
    if (glyph.isNull() || glyph.height() != decoded.image.height() || glyph.width() > decoded.image.width())
        fail("the glyph is not a part of its strip");
    return 0;
}
