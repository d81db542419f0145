#include "FormPicture.h"

#include "AsciiText.h"
#include "ValueTag.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>

namespace dfm {

namespace {

using Bytes = std::span<const unsigned char>;

constexpr std::string_view DataSuffix = ".Data";

bool startsWith(Bytes data, std::initializer_list<unsigned char> signature)
{
    return data.size() >= signature.size() && std::equal(signature.begin(), signature.end(), data.begin());
}

std::uint32_t littleEndian32(Bytes data)
{
    return std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16
        | std::uint32_t{data[3]} << 24;
}

// The format whose signature data starts with. Each needs the bytes that make it more than a
// coincidence: a bitmap its file header and the smallest info header, a metafile header its
// " EMF" mark.
PictureFormat formatBySignature(Bytes data)
{
    constexpr std::size_t SmallestBitmap = 14 + 12;
    constexpr std::size_t EnhancedMarkOffset = 40;
    if (startsWith(data, {'B', 'M'}) && data.size() >= SmallestBitmap)
        return PictureFormat::Bitmap;
    if (startsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return PictureFormat::Png;
    if (startsWith(data, {0xFF, 0xD8, 0xFF}))
        return PictureFormat::Jpeg;
    if (startsWith(data, {'G', 'I', 'F', '8', '7', 'a'}) || startsWith(data, {'G', 'I', 'F', '8', '9', 'a'}))
        return PictureFormat::Gif;
    if (startsWith(data, {0x00, 0x00, 0x01, 0x00}))
        return PictureFormat::Icon;
    if (startsWith(data, {0xD7, 0xCD, 0xC6, 0x9A}) || startsWith(data, {0x01, 0x00, 0x09, 0x00})
        || startsWith(data, {0x02, 0x00, 0x09, 0x00}))
        return PictureFormat::Metafile;
    if (startsWith(data, {0x01, 0x00, 0x00, 0x00})
        && startsWith(data.subspan(std::min(data.size(), EnhancedMarkOffset)), {' ', 'E', 'M', 'F'}))
        return PictureFormat::EnhancedMetafile;
    return PictureFormat::Unknown;
}

struct Graphic {
    PictureFormat format = PictureFormat::Unknown;
    Bytes bytes;
};

// The graphic file in data: behind a size that fits the data, or at its very start. The size is
// tried first, so that a sized file whose size reads like a signature (an icon of 64 KB) is not
// taken with its size.
std::optional<Graphic> findGraphic(Bytes data)
{
    if (data.size() >= 4) {
        const std::uint32_t size = littleEndian32(data);
        if (size <= data.size() - 4) {
            const Bytes file = data.subspan(4, size);
            const PictureFormat format = formatBySignature(file);
            if (format != PictureFormat::Unknown)
                return Graphic{format, file};
        }
    }
    const PictureFormat format = formatBySignature(data);
    if (format != PictureFormat::Unknown)
        return Graphic{format, data};
    return std::nullopt;
}

// The graphic class name a picture's data starts with: a length byte, then an identifier.
std::optional<std::string_view> leadingClassName(Bytes data)
{
    if (data.empty() || data[0] == 0 || data[0] > data.size() - 1)
        return std::nullopt;
    const std::string_view name(reinterpret_cast<const char*>(data.data() + 1), data[0]);
    const auto identifierChar = [](unsigned char c) { return ascii::isLetter(c) || ascii::isDigit(c) || c == '_'; };
    if (ascii::isDigit(static_cast<unsigned char>(name[0])) || !std::all_of(name.begin(), name.end(), identifierChar))
        return std::nullopt;
    return name;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && ascii::equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (ascii::equalsIgnoringCase(text.substr(at, part.size()), part))
            return true;
    }
    return false;
}

// Formats whose signature other binary data rarely starts with: an icon's and a plain
// metafile's four bytes read like a version and a count, as data of other kinds begins.
bool hasDistinctiveSignature(const FormPicture& picture)
{
    switch (picture.format) {
    case PictureFormat::Icon:
    case PictureFormat::Unknown:
        return false;
    case PictureFormat::Metafile:
        return startsWith(picture.bytes, {0xD7, 0xCD, 0xC6, 0x9A});
    default:
        return true;
    }
}

}  // namespace

bool namesPictureProperty(std::string_view propertyName)
{
    if (!endsWithIgnoringCase(propertyName, DataSuffix))
        return false;
    std::string_view owner = propertyName.substr(0, propertyName.size() - DataSuffix.size());
    owner.remove_prefix(owner.rfind('.') == std::string_view::npos ? 0 : owner.rfind('.') + 1);
    constexpr std::array<std::string_view, 4> Words = {"Picture", "Glyph", "Bitmap", "Icon"};
    return std::any_of(Words.begin(), Words.end(),
                       [&](std::string_view word) { return containsIgnoringCase(owner, word); });
}

FormPicture pictureFromData(std::string_view propertyName, Bytes data)
{
    FormPicture picture;
    picture.propertyName = propertyName;
    const std::optional<std::string_view> className = leadingClassName(data);
    const Bytes afterClass = className ? data.subspan(1 + className->size()) : data;
    std::optional<Graphic> graphic;
    if (className)
        graphic = findGraphic(afterClass);
    if (graphic) {
        picture.graphicClass = *className;
    } else {
        graphic = findGraphic(data);
    }
    if (graphic) {
        picture.format = graphic->format;
        picture.bytes = graphic->bytes;
        return picture;
    }
    picture.graphicClass = className.value_or(std::string_view());
    picture.bytes = afterClass;
    return picture;
}

std::optional<FormPicture> pictureOf(const FormNode& node, const FormProperty& property)
{
    const FormValue value = property.value();
    const std::string_view name = property.name();
    if (value.kind() != ValueTag::Binary || !endsWithIgnoringCase(name, DataSuffix))
        return std::nullopt;
    FormPicture picture = pictureFromData(name, value.bytes());
    // A picture property left empty, or a size of nothing behind its class name.
    const bool empty = picture.bytes.empty()
        || (picture.format == PictureFormat::Unknown && picture.bytes.size() == 4
            && littleEndian32(picture.bytes) == 0);
    if (empty || (!namesPictureProperty(name) && !hasDistinctiveSignature(picture)))
        return std::nullopt;
    picture.objectName = node.name();
    return picture;
}

std::vector<FormPicture> picturesOf(const FormModel& model)
{
    std::vector<FormPicture> pictures;
    for (const FormNode node : model.nodes()) {
        for (const FormProperty property : node.properties()) {
            if (std::optional<FormPicture> picture = pictureOf(node, property))
                pictures.push_back(std::move(*picture));
        }
    }
    return pictures;
}

std::string_view fileExtension(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Bitmap:
        return "bmp";
    case PictureFormat::Icon:
        return "ico";
    case PictureFormat::Jpeg:
        return "jpg";
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Metafile:
        return "wmf";
    case PictureFormat::EnhancedMetafile:
        return "emf";
    case PictureFormat::Unknown:
        break;
    }
    return "bin";
}

}  // namespace dfm
