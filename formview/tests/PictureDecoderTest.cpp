// Pictures decoded for drawing: each format to its size and pixels, damaged and oversized ones
// refused with their reason, button glyphs cut from their strip, and every picture of the corpus.
#include "CorpusFiles.h"
#include "FormBuilder.h"
#include "ModelTestSupport.h"
#include "PictureDecoder.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QImageReader>

namespace dfm {
namespace {

using namespace test;

const QRgb Fill = qRgb(30, 60, 200);
const QRgb Mark = qRgb(250, 10, 10);

// A 12 x 8 picture of one colour, with one pixel of another at (3, 2).
QImage sample()
{
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(Fill);
    image.setPixel(3, 2, Mark);
    return image;
}

std::string fileOf(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, 95)) << format;
    return bytes.toStdString();
}

// A GIF of one red pixel; the image readers write no GIF.
const std::string RedPixelGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\x00"
                              "\x21\xF9\x04\x00\x00\x00\x00\x00"
                              "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B",
                              43);

std::string sized(const std::string& file)
{
    return le(file.size(), 4) + file;
}

// The header of a 24-bit bitmap of width x height followed by only a few bytes of pixels.
std::string bitmapClaiming(int width, int height)
{
    const std::string header = "BM" + le(54 + 16, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(width, 4)
        + le(height, 4) + le(1, 2) + le(24, 2) + le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4) + le(0, 4);
    return header + std::string(16, '\x7F');
}

std::uint32_t crc32(std::string_view bytes)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

std::string pngChunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    return bigEndian(static_cast<std::uint32_t>(data.size()), 4) + body + bigEndian(crc32(body), 4);
}

// A PNG whose header chunk claims width x height, its pixel data empty.
std::string pngClaiming(int width, int height)
{
    const std::string header = bigEndian(width, 4) + bigEndian(height, 4) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", "")
        + pngChunk("IEND", "");
}

// A JPEG whose frame claims width x height: its markers up to the first scan, and its end.
std::string jpegClaiming(int width, int height)
{
    const std::string frame = std::string("\xFF\xC0\x00\x11\x08", 5) + bigEndian(height, 2) + bigEndian(width, 2)
        + std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    const std::string scan = std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 14);
    return "\xFF\xD8" + frame + scan + "\xFF\xD9";
}

FormPicture pictureOfData(const char* property, const std::string& data)
{
    return pictureFromData(property, {reinterpret_cast<const unsigned char*>(data.data()), data.size()});
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST(PictureDecoder, EachFormatDecodesToItsSizeAndPixels)
{
    const std::string bitmap = fileOf(sample(), "bmp");
    const std::string png = fileOf(sample(), "png");
    const std::string jpeg = fileOf(sample(), "jpg");
    const std::string icon = fileOf(sample(), "ico");
    struct Case {
        const char* label;
        const char* property;
        std::string data;
        QSize size;
        QRgb corner;    // at (0, 0)
        bool lossless;  // (3, 2) keeps its own colour
    };
    const Case cases[] = {
        {"bitmap of a picture", "Picture.Data", encodedName("TBitmap") + sized(bitmap), {12, 8}, Fill, true},
        {"bitmap of a glyph", "Glyph.Data", sized(bitmap), {12, 8}, Fill, true},
        {"PNG", "Picture.Data", encodedName("TPngImage") + png, {12, 8}, Fill, true},
        {"JPEG", "Picture.Data", encodedName("TJPEGImage") + sized(jpeg), {12, 8}, Fill, false},
        {"icon", "Icon.Data", icon, {12, 8}, Fill, true},
        {"GIF", "Picture.Data", encodedName("TGIFImage") + RedPixelGif, {1, 1}, qRgb(255, 0, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const DecodedPicture decoded = decodePicture(pictureOfData(c.property, c.data));
        EXPECT_EQ(decoded.problem.toStdString(), "");
        ASSERT_FALSE(decoded.image.isNull());
        EXPECT_EQ(decoded.image.size(), c.size);
        EXPECT_TRUE(near(decoded.image.pixel(0, 0), c.corner, 12)) << std::hex << decoded.image.pixel(0, 0);
        if (c.lossless) {
            EXPECT_EQ(decoded.image.pixel(3, 2) | 0xFF000000u, Mark);
        }
    }
}

// Cut-off files and sizes that do not fit give a reason, never a picture half grey or a crash.
TEST(PictureDecoder, DamagedPicturesAreRefused)
{
    QImage noisy(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    const std::string bitmap = fileOf(noisy, "bmp");
    const std::string png = fileOf(noisy, "png");
    const std::string jpeg = fileOf(noisy, "jpg");
    const std::string icon = fileOf(noisy, "ico");
    const auto cut = [](const std::string& file, std::size_t keep) { return file.substr(0, keep); };
    struct Case {
        const char* label;
        const char* property;
        std::string data;
        const char* problem;
    };
    const Case damaged[] = {
        {"bitmap cut in half", "Glyph.Data", sized(cut(bitmap, bitmap.size() / 2)), "damaged bitmap picture"},
        {"bitmap cut in its header", "Glyph.Data", sized(cut(bitmap, 30)), "damaged bitmap picture"},
        {"a size that cuts the bitmap", "Glyph.Data", le(bitmap.size() - 10, 4) + bitmap, "damaged bitmap picture"},
        {"a size beyond the data", "Picture.Data", encodedName("TBitmap") + le(bitmap.size() + 1, 4) + bitmap,
         "picture of class TBitmap in no known format"},
        {"PNG cut", "Picture.Data", encodedName("TPngImage") + cut(png, png.size() * 9 / 10), "damaged PNG picture"},
        {"JPEG cut in its scan", "Picture.Data", encodedName("TJPEGImage") + sized(cut(jpeg, jpeg.size() * 9 / 10)),
         "damaged JPEG picture"},
        {"JPEG cut in its header", "Picture.Data", encodedName("TJPEGImage") + sized(cut(jpeg, 20)),
         "damaged JPEG picture"},
        {"GIF cut", "Picture.Data", encodedName("TGIFImage") + cut(RedPixelGif, 39), "damaged GIF picture"},
        {"icon cut in half", "Icon.Data", cut(icon, icon.size() / 2), "damaged icon picture"},
        {"icon of its header only", "Icon.Data", cut(icon, 6), "damaged icon picture"},
        {"metafile", "Picture.Data", encodedName("TMetafile") + "\xD7\xCD\xC6\x9A" + std::string(40, '\0'),
         "metafile not drawn"},
        {"enhanced metafile", "Picture.Data",
         encodedName("TMetafile") + std::string("\x01\0\0\0", 4) + std::string(36, '\0') + " EMF",
         "metafile not drawn"},
        {"data of no known kind", "Glyph.Data", "nothing", "picture in no known format"},
    };
    for (const Case& c : damaged) {
        SCOPED_TRACE(c.label);
        const DecodedPicture decoded = decodePicture(pictureOfData(c.property, c.data));
        EXPECT_EQ(decoded.problem.toStdString(), c.problem);
        EXPECT_TRUE(decoded.image.isNull());
    }
}

// A header that claims a huge picture is refused from the header alone: the pixels it claims are
// never allocated, and the answer comes at once.
TEST(PictureDecoder, PicturesBeyondTheCapsAreRefusedBeforeDecoding)
{
    const std::pair<std::string, const char*> cases[] = {
        {sized(bitmapClaiming(20000, 20000)), "picture of 20000 x 20000 pixels is larger than 16384 x 16384"},
        {sized(bitmapClaiming(16384, 40000)), "picture of 16384 x 40000 pixels is larger than 16384 x 16384"},
        {sized(bitmapClaiming(16000, 16000)), "picture of 16000 x 16000 pixels needs more than 128 MB"},
        {pngClaiming(20000, 20000), "picture of 20000 x 20000 pixels is larger than 16384 x 16384"},
        {pngClaiming(100000, 10), "picture of 100000 x 10 pixels is larger than 16384 x 16384"},
        {jpegClaiming(60000, 60000), "picture of 60000 x 60000 pixels is larger than 16384 x 16384"},
        {jpegClaiming(10000, 10000), "picture of 10000 x 10000 pixels needs more than 128 MB"},
    };
    for (const auto& [data, problem] : cases) {
        SCOPED_TRACE(problem);
        QElapsedTimer timer;
        timer.start();
        const DecodedPicture decoded = decodePicture(pictureOfData("Glyph.Data", data));
        EXPECT_EQ(decoded.problem.toStdString(), problem);
        EXPECT_TRUE(decoded.image.isNull());
        EXPECT_LT(timer.elapsed(), 1000);
    }
    // A lower limit set for the whole program is kept, and the cap follows it.
    const int previous = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const DecodedPicture limited = decodePicture(pictureOfData("Glyph.Data", sized(bitmapClaiming(1000, 300))));
    EXPECT_EQ(limited.problem.toStdString(), "picture of 1000 x 300 pixels needs more than 1 MB");
    EXPECT_EQ(QImageReader::allocationLimit(), 1);
    QImageReader::setAllocationLimit(previous);
}

// Two glyphs side by side, each on a magenta ground: one with a red point, one with a green one.
TEST(PictureDecoder, ButtonGlyphsAreCutFromTheirStripWithTheCornerColourTransparent)
{
    const QRgb ground = qRgb(255, 0, 255);
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(ground);
    strip.setPixel(1, 1, red);
    strip.setPixel(5, 1, green);
    struct Case {
        const char* label;
        int numGlyphs;
        bool enabled;
        int width;
        std::vector<std::pair<QPoint, QRgb>> opaque;
    };
    const Case cases[] = {
        {"up", 2, true, 4, {{{1, 1}, red}}},
        {"disabled", 2, false, 4, {{{1, 1}, green}}},
        {"a single glyph serves both", 1, false, 8, {{{1, 1}, red}, {{5, 1}, green}}},
        {"no glyph count counts one", 0, true, 8, {{{1, 1}, red}, {{5, 1}, green}}},
        {"at most four", 9, true, 2, {{{1, 1}, red}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QImage glyph = buttonGlyph(strip, c.numGlyphs, c.enabled);
        ASSERT_EQ(glyph.size(), QSize(c.width, 4));
        int opaque = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                opaque += qAlpha(glyph.pixel(x, y)) != 0;
        EXPECT_EQ(opaque, static_cast<int>(c.opaque.size()));
        for (const auto& [point, colour] : c.opaque)
            EXPECT_EQ(glyph.pixel(point), colour);
    }
    EXPECT_TRUE(buttonGlyph(QImage(), 2, true).isNull());
    EXPECT_EQ(buttonGlyph(strip.copy(0, 0, 3, 4), 4, true).size(), QSize(3, 4));
}

// Every picture of the corpus decodes, but for its metafile, which is not drawn.
TEST(PictureDecoder, EveryPictureOfTheCorpusDecodes)
{
    int decoded = 0;
    const auto decodeAll = [&](const FormModel& model) {
        for (const FormPicture& picture : picturesOf(model)) {
            const DecodedPicture result = decodePicture(picture);
            const bool metafile = picture.format == PictureFormat::Metafile
                || picture.format == PictureFormat::EnhancedMetafile;
            EXPECT_EQ(result.problem.toStdString(), metafile ? "metafile not drawn" : "")
                << picture.objectName << "." << picture.propertyName;
            decoded += !result.image.isNull();
        }
    };
    for (const Entry& entry : manifest()) {
        if (entry.kind != "binary")
            continue;
        SCOPED_TRACE(entry.file);
        decodeAll(binaryModel(corpusBinaryStream(entry)));
    }
    forEachCorpusText(
        [&](const Entry& entry, const std::string& text) { decodeAll(textModel(text, textEncodingOf(entry))); });
    EXPECT_GT(decoded, 300);
}

}  // namespace
}  // namespace dfm
