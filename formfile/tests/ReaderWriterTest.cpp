// The binary form stream: value widths and tags written, values read back, header and failures.
#include "ResourceHeader.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "FormBuilder.h"
#include "TestSupport.h"

#include <limits>

namespace dfm {
namespace {

using test::hexBytes;
using test::le;

template <typename Fill>
std::string written(Fill fill)
{
    MemoryStream out;
    {
        FormWriter writer(out);
        fill(writer);
        writer.flush();
    }
    return std::string(out.view());
}

TEST(FormWriter, IntegerTakesTheSmallestTag)
{
    const struct {
        std::int32_t value;
        const char* bytes;
    } cases[] = {
        {0, "02 00"},
        {127, "02 7F"},
        {-128, "02 80"},
        {128, "03 80 00"},
        {-129, "03 7F FF"},
        {32767, "03 FF 7F"},
        {-32768, "03 00 80"},
        {32768, "04 00 80 00 00"},
        {-32769, "04 FF 7F FF FF"},
        {std::numeric_limits<std::int32_t>::min(), "04 00 00 00 80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(written([&](FormWriter& w) { w.putIntegerValue(c.value); }), hexBytes(c.bytes));
        MemoryStream in(hexBytes(c.bytes));
        FormReader reader(in);
        EXPECT_EQ(reader.takeIntegerValue(), c.value);
    }
}

TEST(FormWriter, StringsNamesAndIdentifiers)
{
    const std::string s255(255, 'x');
    const std::string s256(256, 'x');
    EXPECT_EQ(written([&](FormWriter& w) { w.putStringValue(s255); }), hexBytes("06 FF") + s255);
    EXPECT_EQ(written([&](FormWriter& w) { w.putStringValue(s256); }), hexBytes("0C 00 01 00 00") + s256);
    EXPECT_EQ(written([&](FormWriter& w) { w.putName(std::string(300, 'n')); }), hexBytes("FF") + std::string(255, 'n'));

    const struct {
        const char* text;
        const char* bytes;
    } idents[] = {
        {"TRUE", "09"}, {"true", "09"}, {"True", "09"}, {"false", "08"}, {"NIL", "0D"},
        {"Truex", "07 05 54 72 75 65 78"}, {"nill", "07 04 6E 69 6C 6C"}, {"clRed", "07 05 63 6C 52 65 64"},
    };
    for (const auto& c : idents) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(written([&](FormWriter& w) { w.putIdentValue(c.text); }), hexBytes(c.bytes));
    }
}

TEST(FormWriter, EmptyAggregatesAndPrefixes)
{
    EXPECT_EQ(written([](FormWriter& w) { w.putBinaryValue([](ByteStream&) {}); }), hexBytes("0A 00 00 00 00"));
    EXPECT_EQ(written([](FormWriter& w) { w.putListStart(); w.putListEnd(); }), hexBytes("01 00"));
    EXPECT_EQ(written([](FormWriter& w) { w.putObjectPrefix(0, 7); }), "");
    EXPECT_EQ(written([](FormWriter& w) { w.putObjectPrefix(1, 0); }), hexBytes("F1"));
    EXPECT_EQ(written([](FormWriter& w) { w.putObjectPrefix(3, 5); }), hexBytes("F3 02 05"));
    EXPECT_EQ(written([](FormWriter& w) { w.putCurrencyValue(15000); }), hexBytes("10 98 3A 00 00 00 00 00 00"));
}

TEST(FormWriter, LongOutputCrossesTheBufferIntact)
{
    std::string expected;
    const std::string text = written([&](FormWriter& w) {
        for (std::size_t i = 0; i < FormWriter::BufferSize / 2; ++i) {
            w.putStringValue("abc");
            expected += hexBytes("06 03") + "abc";
        }
        const std::string longPiece(FormWriter::BufferSize + 10000, 'z');
        w.putBytes(longPiece.data(), longPiece.size());
        expected += longPiece;
    });
    EXPECT_EQ(text, expected);
}

// A binary value's bytes wait in the buffer behind its tag until its length is known, or go on
// in memory when they outgrow it: wherever the buffer stands, however large the value and its
// pieces, the value comes out whole; when its bytes fail, none of it does.
TEST(FormWriter, BinaryValuesOfAnySizeAndTheirFailures)
{
    constexpr std::size_t B = FormWriter::BufferSize;
    for (const std::size_t before : {std::size_t{0}, std::size_t{100}, B - 5, B - 4, B - 1}) {
        // The value that just fills the buffer, where there is room for one.
        const std::size_t filling = before + 5 <= B ? B - before - 5 : 2;
        for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, filling, B, 3 * B + 7}) {
            for (const std::size_t piece : {std::size_t{1000}, std::size_t{70000}}) {
                SCOPED_TRACE(std::to_string(before) + " " + std::to_string(size) + " " + std::to_string(piece));
                std::string data(size, '\0');
                for (std::size_t i = 0; i < size; ++i)
                    data[i] = static_cast<char>(i * 7 + i / 251);
                const std::string filler(before, 'f');
                const auto fill = [&](ByteStream& out) {
                    for (std::size_t at = 0; at < size; at += piece)
                        out.writeBuffer(data.data() + at, std::min(piece, size - at));
                };
                EXPECT_EQ(written([&](FormWriter& w) {
                              w.putBytes(filler.data(), filler.size());
                              w.putBinaryValue(fill);
                              w.putTag(EndOfList);
                          }),
                          filler + "\x0A" + le(size, 4) + data + std::string(1, '\0'));
                MemoryStream out;
                {
                    FormWriter writer(out);
                    writer.putBytes(filler.data(), filler.size());
                    EXPECT_THROW(writer.putBinaryValue([&](ByteStream& block) {
                        fill(block);
                        throw ReadError(msg::StreamReadFailed);
                    }),
                                 ReadError);
                }
                EXPECT_EQ(out.view(), filler);
            }
        }
    }
}

// What was written before a failure reaches the stream while the error unwinds.
TEST(FormWriter, FlushesWhenDestroyedDuringAnError)
{
    MemoryStream out;
    try {
        FormWriter writer(out);
        writer.putSignature();
        throw ReadError(msg::StreamReadFailed);
    } catch (const ReadError&) {
    }
    EXPECT_EQ(out.view(), "TPF0");
}

TEST(FormReader, ReadsEachValueKind)
{
    MemoryStream in(hexBytes("F3 02 05 | 05 00 00 00 00 00 00 00 80 FF 3F | 0F 00 00 C0 3F | 10 98 3A 00 00 00 00 00 00"
                           "| 11 00 00 00 00 00 00 F8 3F | 06 02 68 69 | 12 01 00 00 00 AC 20 | 07 02 61 62 | 08 09 0D"
                           "| 13 FF FF FF FF FF FF FF FF | 02 05 | 03 10 27 | 02 03"));
    FormReader reader(in);
    const ObjectPrefix prefix = reader.takeObjectPrefix();
    EXPECT_EQ(prefix.flags, 3u);
    EXPECT_EQ(prefix.position, 5);
    EXPECT_EQ(reader.takeExtendedValue().toText(), "1");
    EXPECT_EQ(reader.takeSingleValue(), 1.5f);
    EXPECT_EQ(reader.takeCurrencyValue(), 15000);
    EXPECT_EQ(reader.takeDateValue(), 1.5);
    EXPECT_EQ(reader.takeStringValue(), "hi");
    EXPECT_EQ(reader.takeWideStringValue(), u"\u20AC");
    EXPECT_EQ(reader.takeIdentValue(), "ab");
    EXPECT_EQ(reader.takeIdentValue(), "False");
    EXPECT_EQ(reader.takeIdentValue(), "True");
    EXPECT_EQ(reader.takeIdentValue(), "nil");
    EXPECT_EQ(reader.takeInt64Value(), -1);
    // An integer stands in for a float or currency value.
    EXPECT_EQ(reader.takeExtendedValue().toText(), "5");
    EXPECT_EQ(reader.takeCurrencyValue(), 10000 * 10000);
    EXPECT_EQ(reader.takeSingleValue(), 3.0f);
}

TEST(FormReader, FailuresCarryTheirFixedMessages)
{
    const auto read = [](const std::string& bytes, auto take) {
        MemoryStream in(bytes);
        FormReader reader(in);
        take(reader);
    };
    EXPECT_THROW_MSG(read(hexBytes("06 05 61 62"), [](FormReader& r) { r.takeStringValue(); }), ReadError,
                     "Erreur de lecture du flux");
    EXPECT_THROW_MSG(read("", [](FormReader& r) { r.takeTag(); }), ReadError, "Erreur de lecture du flux");
    EXPECT_THROW_MSG(read("TPF1", [](FormReader& r) { r.takeSignature(); }), ReadError, "Format de flux incorrect");
    EXPECT_THROW_MSG(read(hexBytes("07 01 41"), [](FormReader& r) { r.takeStringValue(); }), ReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(hexBytes("06 00"), [](FormReader& r) { r.takeIntegerValue(); }), ReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(hexBytes("06 00"), [](FormReader& r) { r.takeIdentValue(); }), ReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(hexBytes("06 00"), [](FormReader& r) { r.takeWideStringValue(); }), ReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(hexBytes("01"), [](FormReader& r) { r.expectTag(EndOfList); }), ReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(hexBytes("F2 06 00"), [](FormReader& r) { r.takeObjectPrefix(); }), ReadError,
                     "Valeur de propriété incorrecte");
}

// A length field far beyond the data must fail on the data, not try to reserve it.
TEST(FormReader, HugeLengthsFailWithoutAllocating)
{
    for (const char* bytes : {"0C FF FF FF 7F 41", "12 FF FF FF FF 41 00", "14 FF FF FF FF 41"}) {
        SCOPED_TRACE(bytes);
        MemoryStream in(hexBytes(bytes));
        FormReader reader(in);
        std::string text;
        const auto tag = reader.peekTag();
        EXPECT_THROW(tag == LongString ? reader.takeStringValue(text)
                         : tag == WideString ? static_cast<void>(reader.takeWideStringValue())
                                             : reader.takeUtf8StringValue(text),
                     ReadError);
    }
}

TEST(FormReader, GivesBackWhatItBufferedButDidNotUse)
{
    MemoryStream in(std::string("TPF0") + std::string(10000, 'x'));
    {
        FormReader reader(in);
        reader.takeSignature();
        reader.takeTag();
    }
    EXPECT_EQ(in.position(), 5);
}

TEST(ResourceHeader, SkipsToTheFormStream)
{
    const struct {
        const char* name;
        std::string bytes;
        std::int64_t streamAt;
    } cases[] = {
        {"class name", hexBytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10 D2 04 00 00") + "TPF0", 16},
        {"empty name", hexBytes("FF 0A 00 00 30 10 00 00 00 00") + "TPF0", 10},
        {"odd flags and size", hexBytes("FF 0A 00 41 00 FF FF 12 34 56 78") + "TPF0", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream in(c.bytes);
        skipResourceHeader(in);
        EXPECT_EQ(in.position(), c.streamAt);
    }
    EXPECT_EQ(makeResourceHeader("TForm1", 1234), hexBytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10 D2 04 00 00"));
}

TEST(ResourceHeader, RefusesWhatIsNotAFormResource)
{
    for (const std::string& bytes : {std::string("object Form1: TForm1\r\n"), hexBytes("FF 0B 00 41 00"),
                                     hexBytes("FE 0A 00"), std::string()}) {
        MemoryStream in(bytes);
        EXPECT_THROW_MSG(skipResourceHeader(in), InvalidImageError, "Format de flux incorrect");
    }
    // A header cut short passes the check; the signature read then fails.
    MemoryStream cut(hexBytes("FF 0A 00 41 42"));
    MemoryStream out;
    EXPECT_THROW_MSG(resourceToText(cut, out), ReadError, "Erreur de lecture du flux");
}

}  // namespace
}  // namespace dfm
