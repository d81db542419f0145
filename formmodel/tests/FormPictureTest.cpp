// Pictures taken out of form properties: each layout a form stores, data that lies about itself,
// the properties that hold pictures and those that do not, and every picture of the corpus.
#include "CorpusFiles.h"
#include "FormBuilder.h"
#include "FormPicture.h"
#include "ModelTestSupport.h"
#include "TestSupport.h"

#include <map>

namespace dfm {
namespace {

using namespace test;

std::span<const unsigned char> span(const std::string& bytes)
{
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

std::string text(std::span<const unsigned char> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string sized(const std::string& file)
{
    return le(file.size(), 4) + file;
}

std::string hex(const std::string& bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        out += Digits[static_cast<unsigned char>(c) >> 4];
        out += Digits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

// Files no longer than their signatures need, with a tail that is none of them.
const std::string Bitmap = "BM" + le(26, 4) + std::string(20, '\0');
const std::string Png = std::string("\x89PNG\r\n\x1A\n", 8) + "tail";
const std::string Jpeg = "\xFF\xD8\xFF\xE0tail\xFF\xD9";
const std::string Gif = "GIF89a" + std::string("\x01\0\x01\0", 4);
const std::string Icon = std::string("\0\0\1\0\1\0", 6) + "tail";
const std::string Placeable = "\xD7\xCD\xC6\x9Atail";
const std::string PlainMetafile = std::string("\x01\0\x09\0", 4) + "tail";
const std::string Enhanced = std::string("\x01\0\0\0", 4) + std::string(36, 'x') + " EMF" + "tail";

struct Case {
    const char* label;
    const char* property;
    std::string data;
    PictureFormat format;
    std::string graphicClass;
    std::string bytes;
};

std::vector<Case> layouts()
{
    const std::string junk = "no picture at all";
    return {
        {"bitmap behind its class and size", "Picture.Data", encodedName("TBitmap") + sized(Bitmap),
         PictureFormat::Bitmap, "TBitmap", Bitmap},
        {"JPEG behind its class and size", "Picture.Data", encodedName("TJPEGImage") + sized(Jpeg),
         PictureFormat::Jpeg, "TJPEGImage", Jpeg},
        {"PNG right after its class", "Picture.Data", encodedName("TPngImage") + Png, PictureFormat::Png,
         "TPngImage", Png},
        {"icon right after its class", "Picture.Data", encodedName("TIcon") + Icon, PictureFormat::Icon, "TIcon", Icon},
        {"GIF right after its class", "Picture.Data", encodedName("TGIFImage") + Gif, PictureFormat::Gif,
         "TGIFImage", Gif},
        {"placeable metafile behind a size", "Picture.Data", encodedName("TMetafile") + sized(Placeable),
         PictureFormat::Metafile, "TMetafile", Placeable},
        {"plain metafile", "Picture.Data", encodedName("TMetafile") + PlainMetafile, PictureFormat::Metafile,
         "TMetafile", PlainMetafile},
        {"enhanced metafile", "Picture.Data", encodedName("TMetafile") + Enhanced, PictureFormat::EnhancedMetafile,
         "TMetafile", Enhanced},
        {"the signature decides, not the class", "Picture.Data", encodedName("TJPEGImage") + sized(Png),
         PictureFormat::Png, "TJPEGImage", Png},
        {"a size shorter than the data bounds the file", "Picture.Data", encodedName("TBitmap") + sized(Bitmap) + "pad",
         PictureFormat::Bitmap, "TBitmap", Bitmap},
        {"glyph: a size, then the bitmap", "Glyph.Data", sized(Bitmap), PictureFormat::Bitmap, "", Bitmap},
        {"bitmap of another property", "PictureLeaf.Data", sized(Bitmap), PictureFormat::Bitmap, "", Bitmap},
        {"form icon: the file itself", "Icon.Data", Icon, PictureFormat::Icon, "", Icon},
        {"a sized icon whose size reads like an icon", "Glyph.Data",
         std::string("\0\0\1\0", 4) + Icon + std::string(65536 - Icon.size(), 'i'), PictureFormat::Icon, "",
         Icon + std::string(65536 - Icon.size(), 'i')},
        {"unknown class", "Picture.Data", encodedName("TFooGraphic") + junk, PictureFormat::Unknown, "TFooGraphic",
         junk},
        {"a size beyond the data is no size", "Picture.Data",
         encodedName("TBitmap") + le(Bitmap.size() + 1, 4) + Bitmap, PictureFormat::Unknown, "TBitmap",
         le(Bitmap.size() + 1, 4) + Bitmap},
        {"a size of four gigabytes", "Glyph.Data", le(0xFFFFFFFF, 4) + Bitmap, PictureFormat::Unknown, "",
         le(0xFFFFFFFF, 4) + Bitmap},
        {"a bitmap too short for its headers", "Glyph.Data", sized("BM" + std::string(10, '\0')),
         PictureFormat::Unknown, "", sized("BM" + std::string(10, '\0'))},
        {"a class name running past the end", "Picture.Data", "\x20TBitmap", PictureFormat::Unknown, "", "\x20TBitmap"},
        {"a class name that is no identifier", "Picture.Data", "\x03T-x" + Png, PictureFormat::Unknown, "",
         "\x03T-x" + Png},
        {"an empty class name", "Picture.Data", std::string(1, '\0') + Png, PictureFormat::Unknown, "",
         std::string(1, '\0') + Png},
        {"nothing", "Picture.Data", "", PictureFormat::Unknown, "", ""},
        {"only a class", "Picture.Data", encodedName("TBitmap"), PictureFormat::Unknown, "TBitmap", ""},
    };
}

TEST(FormPicture, EachLayoutGivesTheGraphicsOwnBytes)
{
    for (const Case& c : layouts()) {
        SCOPED_TRACE(c.label);
        const FormPicture picture = pictureFromData(c.property, span(c.data));
        EXPECT_EQ(picture.propertyName, c.property);
        EXPECT_EQ(picture.format, c.format);
        EXPECT_EQ(picture.graphicClass, c.graphicClass);
        EXPECT_EQ(text(picture.bytes), c.bytes);
    }
}

// Every cut of every layout: what comes back lies inside the data (the sanitizer build checks
// that nothing is read beyond it either).
TEST(FormPicture, CutDataNeverLeadsOutsideItself)
{
    for (const Case& c : layouts()) {
        SCOPED_TRACE(c.label);
        const std::size_t longest = std::min<std::size_t>(c.data.size(), 200);
        for (std::size_t length = 0; length <= longest; ++length) {
            const std::span<const unsigned char> data = span(c.data).first(length);
            const FormPicture picture = pictureFromData(c.property, data);
            if (picture.bytes.empty())
                continue;
            EXPECT_GE(picture.bytes.data(), data.data());
            EXPECT_LE(picture.bytes.data() + picture.bytes.size(), data.data() + data.size());
        }
    }
}

TEST(FormPicture, PropertiesThatNameAPicture)
{
    const std::pair<const char*, bool> cases[] = {
        {"Picture.Data", true},     {"Glyph.Data", true},        {"Icon.Data", true},
        {"Bitmap.Data", true},      {"picture.DATA", true},      {"NextMonthGlyph.Data", true},
        {"PictureLeaf.Data", true}, {"Image.Picture.Data", true}, {"Items.Data", false},
        {"Params.Data", false},     {"Picture", false},          {"Glyph.Data.Size", false},
        {"Icon.Items.Data", false}, {"Data", false},             {".Data", false},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(namesPictureProperty(name), expected);
    }
}

struct Found {
    std::string object;
    std::string property;
    std::string graphicClass;
    PictureFormat format;
    std::string bytes;
    bool operator==(const Found&) const = default;
};

std::vector<Found> found(const FormModel& model)
{
    std::vector<Found> pictures;
    for (const FormPicture& picture : picturesOf(model))
        pictures.push_back({picture.objectName, picture.propertyName, picture.graphicClass, picture.format,
                            text(picture.bytes)});
    return pictures;
}

// Pictures in document order; data of other kinds, empty pictures and values that are not binary
// are none, however their bytes begin.
TEST(FormPicture, AFormsPicturesInDocumentOrder)
{
    const std::string form = lines({
        "object Form1: TForm1",
        "  Icon.Data = {" + hex(Icon) + "}",
        "  object Image1: TImage",
        "    Caption = 'x'",
        "    Picture.Data = {" + hex(encodedName("TJPEGImage") + sized(Jpeg)) + "}",
        "  end",
        "  object Query1: TQuery",
        "    Params.Data = {" + hex(std::string("\x01\0\x02\0\x06name", 9)) + "}",
        "    Items.Data = {" + hex(Icon) + "}",
        "    Rows.Data = {" + hex(PlainMetafile) + "}",
        "  end",
        "  object Logo1: TFancyLogo",
        "    Logo.Data = {" + hex(Png) + "}",
        "  end",
        "  object Empty1: TImage",
        "    Picture.Data = {" + hex(encodedName("TBitmap") + le(0, 4)) + "}",
        "    Glyph.Data = {}",
        "  end",
        "  object Button1: TSpeedButton",
        "    Picture.Data = 'BM not binary'",
        "    Glyph.Data = {" + hex(sized(Bitmap)) + "}",
        "    Picture.Data = {" + hex(encodedName("TFooGraphic") + "abc") + "}",
        "  end",
        "end",
    });
    const std::vector<Found> expected = {
        {"Form1", "Icon.Data", "", PictureFormat::Icon, Icon},
        {"Image1", "Picture.Data", "TJPEGImage", PictureFormat::Jpeg, Jpeg},
        {"Logo1", "Logo.Data", "", PictureFormat::Png, Png},
        {"Button1", "Glyph.Data", "", PictureFormat::Bitmap, Bitmap},
        {"Button1", "Picture.Data", "TFooGraphic", PictureFormat::Unknown, "abc"},
    };
    const FormModel fromText = textModel(form);
    EXPECT_EQ(found(fromText), expected);
    EXPECT_EQ(found(binaryModel(binaryOf(fromText))), expected);

    const FormNode image = *fromText.root().children().begin();
    const std::optional<FormProperty> caption = image.findProperty("Caption");
    ASSERT_TRUE(caption);
    EXPECT_FALSE(pictureOf(image, *caption));
}

TEST(FormPicture, AnObjectWithoutANameKeepsItEmpty)
{
    const std::string data = encodedName("TPngImage") + Png;
    const std::string image = object("TImage", "", prop("Picture.Data", "\x0A" + le(data.size(), 4) + data));
    const std::string form = stream(object("TForm1", "Form1", "", image));
    const std::vector<Found> expected = {{"", "Picture.Data", "TPngImage", PictureFormat::Png, Png}};
    EXPECT_EQ(found(binaryModel(form)), expected);
}

// Every picture of the corpus is taken apart, of every kind the corpus holds.
TEST(FormPicture, EveryPictureOfTheCorpusIsKnown)
{
    std::map<PictureFormat, int> counts;
    const auto count = [&](const FormModel& model) {
        for (const FormPicture& picture : picturesOf(model)) {
            EXPECT_NE(picture.format, PictureFormat::Unknown)
                << picture.objectName << "." << picture.propertyName << " of class " << picture.graphicClass;
            ++counts[picture.format];
        }
    };
    for (const Entry& entry : manifest()) {
        if (entry.kind != "binary")
            continue;
        SCOPED_TRACE(entry.file);
        count(binaryModel(corpusBinaryStream(entry)));
    }
    forEachCorpusText(
        [&](const Entry& entry, const std::string& text) { count(textModel(text, textEncodingOf(entry))); });
    for (const PictureFormat format :
         {PictureFormat::Bitmap, PictureFormat::Icon, PictureFormat::Jpeg, PictureFormat::Metafile})
        EXPECT_GT(counts[format], 0) << fileExtension(format);
}

}  // namespace
}  // namespace dfm
