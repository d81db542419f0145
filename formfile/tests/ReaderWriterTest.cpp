// The binary form stream: value widths and tags written, values read back, header and failures.
#include "ResourceHeader.h"
#include "TReader.h"
#include "TWriter.h"
#include "TestSupport.h"

#include <limits>

namespace dfm {
namespace {

using test::Bytes;

template <typename Fill>
std::string Written(Fill fill)
{
    TMemoryStream out;
    {
        TWriter writer(out);
        fill(writer);
        writer.Flush();
    }
    return std::string(out.View());
}

TEST(TWriter, IntegerTakesTheSmallestTag)
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
        EXPECT_EQ(Written([&](TWriter& w) { w.PutIntegerValue(c.value); }), Bytes(c.bytes));
        TMemoryStream in(Bytes(c.bytes));
        TReader reader(in);
        EXPECT_EQ(reader.TakeIntegerValue(), c.value);
    }
}

TEST(TWriter, StringsNamesAndIdentifiers)
{
    const std::string s255(255, 'x');
    const std::string s256(256, 'x');
    EXPECT_EQ(Written([&](TWriter& w) { w.PutStringValue(s255); }), Bytes("06 FF") + s255);
    EXPECT_EQ(Written([&](TWriter& w) { w.PutStringValue(s256); }), Bytes("0C 00 01 00 00") + s256);
    EXPECT_EQ(Written([&](TWriter& w) { w.PutName(std::string(300, 'n')); }), Bytes("FF") + std::string(255, 'n'));

    const struct {
        const char* text;
        const char* bytes;
    } idents[] = {
        {"TRUE", "09"}, {"true", "09"}, {"True", "09"}, {"false", "08"}, {"NIL", "0D"},
        {"Truex", "07 05 54 72 75 65 78"}, {"nill", "07 04 6E 69 6C 6C"}, {"clRed", "07 05 63 6C 52 65 64"},
    };
    for (const auto& c : idents) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Written([&](TWriter& w) { w.PutIdentValue(c.text); }), Bytes(c.bytes));
    }
}

TEST(TWriter, EmptyAggregatesAndPrefixes)
{
    EXPECT_EQ(Written([](TWriter& w) { w.PutBinaryValue([](TStream&) {}); }), Bytes("0A 00 00 00 00"));
    EXPECT_EQ(Written([](TWriter& w) { w.PutListStart(); w.PutListEnd(); }), Bytes("01 00"));
    EXPECT_EQ(Written([](TWriter& w) { w.PutObjectPrefix(0, 7); }), "");
    EXPECT_EQ(Written([](TWriter& w) { w.PutObjectPrefix(1, 0); }), Bytes("F1"));
    EXPECT_EQ(Written([](TWriter& w) { w.PutObjectPrefix(3, 5); }), Bytes("F3 02 05"));
    EXPECT_EQ(Written([](TWriter& w) { w.PutCurrencyValue(15000); }), Bytes("10 98 3A 00 00 00 00 00 00"));
}

TEST(TWriter, LongOutputCrossesTheBufferIntact)
{
    std::string expected;
    const std::string text = Written([&](TWriter& w) {
        for (int i = 0; i < 3000; ++i) {
            w.PutStringValue("abc");
            expected += Bytes("06 03") + "abc";
        }
        w.PutBytes(std::string(10000, 'z').data(), 10000);
        expected += std::string(10000, 'z');
    });
    EXPECT_EQ(text, expected);
}

// What was written before a failure reaches the stream while the error unwinds.
TEST(TWriter, FlushesWhenDestroyedDuringAnError)
{
    TMemoryStream out;
    try {
        TWriter writer(out);
        writer.PutSignature();
        throw EReadError(msg::ReadError);
    } catch (const EReadError&) {
    }
    EXPECT_EQ(out.View(), "TPF0");
}

TEST(TReader, ReadsEachValueKind)
{
    TMemoryStream in(Bytes("F3 02 05 | 05 00 00 00 00 00 00 00 80 FF 3F | 0F 00 00 C0 3F | 10 98 3A 00 00 00 00 00 00"
                           "| 11 00 00 00 00 00 00 F8 3F | 06 02 68 69 | 12 01 00 00 00 AC 20 | 07 02 61 62 | 08 09 0D"
                           "| 13 FF FF FF FF FF FF FF FF | 02 05 | 03 10 27 | 02 03"));
    TReader reader(in);
    const ObjectPrefix prefix = reader.TakeObjectPrefix();
    EXPECT_EQ(prefix.flags, 3u);
    EXPECT_EQ(prefix.position, 5);
    EXPECT_EQ(reader.TakeExtendedValue().ToText(), "1");
    EXPECT_EQ(reader.TakeSingleValue(), 1.5f);
    EXPECT_EQ(reader.TakeCurrencyValue(), 15000);
    EXPECT_EQ(reader.TakeDateValue(), 1.5);
    EXPECT_EQ(reader.TakeStringValue(), "hi");
    EXPECT_EQ(reader.TakeWideStringValue(), u"\u20AC");
    EXPECT_EQ(reader.TakeIdentValue(), "ab");
    EXPECT_EQ(reader.TakeIdentValue(), "False");
    EXPECT_EQ(reader.TakeIdentValue(), "True");
    EXPECT_EQ(reader.TakeIdentValue(), "nil");
    EXPECT_EQ(reader.TakeInt64Value(), -1);
    // An integer stands in for a float or currency value.
    EXPECT_EQ(reader.TakeExtendedValue().ToText(), "5");
    EXPECT_EQ(reader.TakeCurrencyValue(), 10000 * 10000);
    EXPECT_EQ(reader.TakeSingleValue(), 3.0f);
}

TEST(TReader, FailuresCarryTheirFixedMessages)
{
    const auto read = [](const std::string& bytes, auto take) {
        TMemoryStream in(bytes);
        TReader reader(in);
        take(reader);
    };
    EXPECT_THROW_MSG(read(Bytes("06 05 61 62"), [](TReader& r) { r.TakeStringValue(); }), EReadError,
                     "Erreur de lecture du flux");
    EXPECT_THROW_MSG(read("", [](TReader& r) { r.TakeTag(); }), EReadError, "Erreur de lecture du flux");
    EXPECT_THROW_MSG(read("TPF1", [](TReader& r) { r.TakeSignature(); }), EReadError, "Format de flux incorrect");
    EXPECT_THROW_MSG(read(Bytes("07 01 41"), [](TReader& r) { r.TakeStringValue(); }), EReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(Bytes("06 00"), [](TReader& r) { r.TakeIntegerValue(); }), EReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(Bytes("06 00"), [](TReader& r) { r.TakeIdentValue(); }), EReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(Bytes("06 00"), [](TReader& r) { r.TakeWideStringValue(); }), EReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(Bytes("01"), [](TReader& r) { r.ExpectTag(EndOfList); }), EReadError,
                     "Valeur de propriété incorrecte");
    EXPECT_THROW_MSG(read(Bytes("F2 06 00"), [](TReader& r) { r.TakeObjectPrefix(); }), EReadError,
                     "Valeur de propriété incorrecte");
}

// A length field far beyond the data must fail on the data, not try to reserve it.
TEST(TReader, HugeLengthsFailWithoutAllocating)
{
    for (const char* bytes : {"0C FF FF FF 7F 41", "12 FF FF FF FF 41 00", "14 FF FF FF FF 41"}) {
        SCOPED_TRACE(bytes);
        TMemoryStream in(Bytes(bytes));
        TReader reader(in);
        std::string text;
        const auto tag = reader.PeekTag();
        EXPECT_THROW(tag == LongString ? reader.TakeStringValue(text)
                         : tag == WideString ? static_cast<void>(reader.TakeWideStringValue())
                                             : reader.TakeUtf8StringValue(text),
                     EReadError);
    }
}

TEST(TReader, GivesBackWhatItBufferedButDidNotUse)
{
    TMemoryStream in(std::string("TPF0") + std::string(10000, 'x'));
    {
        TReader reader(in);
        reader.TakeSignature();
        reader.TakeTag();
    }
    EXPECT_EQ(in.Position(), 5);
}

TEST(ResourceHeader, SkipsToTheFormStream)
{
    const struct {
        const char* name;
        std::string bytes;
        std::int64_t streamAt;
    } cases[] = {
        {"class name", Bytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10 D2 04 00 00") + "TPF0", 16},
        {"empty name", Bytes("FF 0A 00 00 30 10 00 00 00 00") + "TPF0", 10},
        {"odd flags and size", Bytes("FF 0A 00 41 00 FF FF 12 34 56 78") + "TPF0", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream in(c.bytes);
        SkipResourceHeader(in);
        EXPECT_EQ(in.Position(), c.streamAt);
    }
    EXPECT_EQ(MakeResourceHeader("TForm1", 1234), Bytes("FF 0A 00 54 46 4F 52 4D 31 00 30 10 D2 04 00 00"));
}

TEST(ResourceHeader, RefusesWhatIsNotAFormResource)
{
    for (const std::string& bytes : {std::string("object Form1: TForm1\r\n"), Bytes("FF 0B 00 41 00"),
                                     Bytes("FE 0A 00"), std::string()}) {
        TMemoryStream in(bytes);
        EXPECT_THROW_MSG(SkipResourceHeader(in), EInvalidImage, "Format de flux incorrect");
    }
    // A header cut short passes the check; the signature read then fails.
    TMemoryStream cut(Bytes("FF 0A 00 41 42"));
    TMemoryStream out;
    EXPECT_THROW_MSG(ResourceToText(cut, out), EReadError, "Erreur de lecture du flux");
}

}  // namespace
}  // namespace dfm
