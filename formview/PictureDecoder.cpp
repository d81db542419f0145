#include "PictureDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>

namespace dfm {

namespace {

using Bytes = std::span<const unsigned char>;

std::uint32_t littleEndian(Bytes data, std::size_t offset, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | data[offset + static_cast<std::size_t>(i)];
    return value;
}

// What the messages call each format, and the image reader's name for it.
struct FormatNames {
    const char* reader;
    const char* shown;
};

FormatNames namesOf(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Bitmap:
        return {"bmp", "bitmap"};
    case PictureFormat::Icon:
        return {"ico", "icon"};
    case PictureFormat::Jpeg:
        return {"jpeg", "JPEG"};
    case PictureFormat::Png:
        return {"png", "PNG"};
    case PictureFormat::Gif:
        return {"gif", "GIF"};
    default:
        return {nullptr, nullptr};
    }
}

// What a bitmap's header says of its pixels. Only the rows of the plain and bit-field layouts
// can be counted before decoding; headers of other kinds are left to the reader.
struct BitmapHeader {
    QSize size;
    std::uint64_t pixelBytes = 0;  // from the start of the file to the end of the last row
    bool counted = false;
};

std::optional<BitmapHeader> bitmapHeaderOf(Bytes data)
{
    constexpr std::size_t CoreHeaderEnd = 14 + 12;
    constexpr std::size_t InfoHeaderEnd = 14 + 40;
    if (data.size() < CoreHeaderEnd)
        return std::nullopt;
    const std::uint32_t pixelsAt = littleEndian(data, 10, 4);
    const std::uint32_t headerSize = littleEndian(data, 14, 4);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        width = littleEndian(data, 18, 2);
        height = littleEndian(data, 20, 2);
        bits = littleEndian(data, 24, 2);
    } else if (headerSize >= 40 && data.size() >= InfoHeaderEnd) {
        width = static_cast<std::int32_t>(littleEndian(data, 18, 4));
        height = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(littleEndian(data, 22, 4))));
        bits = littleEndian(data, 28, 2);
        compression = littleEndian(data, 30, 4);
    } else {
        return std::nullopt;
    }
    constexpr std::int64_t Widest = std::numeric_limits<int>::max();
    if (width <= 0 || height <= 0 || width > Widest || height > Widest)
        return std::nullopt;
    BitmapHeader header;
    header.size = QSize(static_cast<int>(width), static_cast<int>(height));
    constexpr std::uint32_t Plain = 0;
    constexpr std::uint32_t BitFields = 3;
    constexpr std::uint32_t AlphaBitFields = 6;
    header.counted = (compression == Plain || compression == BitFields || compression == AlphaBitFields) && bits > 0;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    // Both factors are below 2^48 and 2^31 once the caps have passed; beyond them nothing is counted.
    if (header.counted && width <= LargestPictureSide && height <= LargestPictureSide)
        header.pixelBytes = pixelsAt + rowBytes * static_cast<std::uint64_t>(height);
    return header;
}

// Whether a JPEG file reaches its end marker after its first scan; the markers before the scan
// are walked by their lengths.
bool jpegReachesItsEnd(Bytes data)
{
    std::size_t at = 2;
    while (at + 4 <= data.size()) {
        const unsigned char marker = data[at + 1];
        if (data[at] != 0xFF)
            return false;
        if (marker == 0xFF) {
            ++at;  // a fill byte before a marker
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;  // a marker without a segment
            continue;
        }
        if (marker == 0xD9)
            return false;  // the end before any scan
        const std::size_t length = static_cast<std::size_t>(data[at + 2]) << 8 | data[at + 3];
        if (length < 2)
            return false;
        at += 2 + length;
        if (marker == 0xDA) {
            const Bytes rest = data.subspan(std::min(at, data.size()));
            const unsigned char end[] = {0xFF, 0xD9};
            return std::search(rest.begin(), rest.end(), std::begin(end), std::end(end)) != rest.end();
        }
    }
    return false;
}

// The image readers' allocation limit, held to the decoder's cap the first time unless a lower
// one is set; once only, as pictures may be decoded on several threads.
int allocationLimitInMegabytes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const int current = QImageReader::allocationLimit();
        if (current == 0 || current > LargestPictureMegabytes)
            QImageReader::setAllocationLimit(LargestPictureMegabytes);
    });
    return QImageReader::allocationLimit();
}

QString sizeText(const QSize& size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

DecodedPicture refused(const QString& problem)
{
    return {QImage(), problem};
}

}  // namespace

DecodedPicture decodePicture(const FormPicture& picture)
{
    if (picture.format == PictureFormat::Metafile || picture.format == PictureFormat::EnhancedMetafile)
        return refused(QStringLiteral("metafile not drawn"));
    const FormatNames names = namesOf(picture.format);
    if (names.reader == nullptr) {
        if (picture.graphicClass.empty())
            return refused(QStringLiteral("picture in no known format"));
        const std::string& name = picture.graphicClass;
        return refused(QStringLiteral("picture of class %1 in no known format")
                           .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
    }
    const QString damaged = QStringLiteral("damaged %1 picture").arg(QLatin1String(names.shown));
    const Bytes bytes = picture.bytes;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, names.reader);
    // The signature told the format: no other reader is asked.
    reader.setAutoDetectImageFormat(false);
    // The bitmap reader tells no size beyond the pixels it takes; the header still does.
    const std::optional<BitmapHeader> bitmap =
        picture.format == PictureFormat::Bitmap ? bitmapHeaderOf(bytes) : std::nullopt;
    QSize size = reader.size();
    if (!size.isValid() && bitmap)
        size = bitmap->size;
    if (!size.isValid() || size.isEmpty())
        return refused(damaged);
    if (size.width() > LargestPictureSide || size.height() > LargestPictureSide)
        return refused(QStringLiteral("picture of %1 pixels is larger than %2")
                           .arg(sizeText(size), sizeText({LargestPictureSide, LargestPictureSide})));
    const int megabytes = allocationLimitInMegabytes();
    if (std::int64_t{size.width()} * size.height() * 4 > std::int64_t{megabytes} * 1024 * 1024)
        return refused(QStringLiteral("picture of %1 pixels needs more than %2 MB").arg(sizeText(size)).arg(megabytes));
    // The readers leave the rows of a cut-off bitmap blank and fill a cut-off JPEG with grey, and
    // call it read.
    if ((bitmap && bitmap->counted && bitmap->pixelBytes > bytes.size())
        || (picture.format == PictureFormat::Jpeg && !jpegReachesItsEnd(bytes)))
        return refused(damaged);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return refused(damaged);
    // A reader that told one size and gave a larger picture is held to the caps all the same.
    if (image.width() > size.width() || image.height() > size.height())
        return refused(damaged);
    return {image, QString()};
}

QImage buttonGlyph(const QImage& glyphs, int numGlyphs, bool enabled)
{
    if (glyphs.isNull())
        return {};
    int count = std::clamp(numGlyphs, 1, 4);
    if (glyphs.width() < count)
        count = 1;
    const int width = glyphs.width() / count;
    const int index = !enabled && count > 1 ? 1 : 0;
    QImage glyph = glyphs.copy(index * width, 0, width, glyphs.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = glyphs.pixel(0, glyphs.height() - 1) & RGB_MASK;
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if ((line[x] & RGB_MASK) == transparent)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return glyph;
}

}  // namespace dfm
