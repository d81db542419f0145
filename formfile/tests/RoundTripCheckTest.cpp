// How a round trip of a whole form file is judged.
#include "FileStream.h"
#include "FormBuilder.h"
#include "ResourceHeader.h"
#include "RoundTrip.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

std::string formFile(const std::string& stream, const std::string& trailing = "")
{
    return makeResourceHeader("TForm1", static_cast<std::uint32_t>(stream.size() + trailing.size())) + stream
        + trailing;
}

std::string withProperty(const std::string& value)
{
    return stream(object("TForm1", "Form1", prop("P", value)));
}

TEST(CheckRoundTrip, JudgesEachKindOfResult)
{
    using Kind = RoundTripResult::Kind;
    const struct {
        const char* name;
        std::string file;
        Kind kind;
    } cases[] = {
        {"written as the designer writes", formFile(withProperty(int8(5))), Kind::Identical},
        {"bytes after the form", formFile(withProperty(int8(5)), "junk"), Kind::IdenticalTrailing},
        {"an integer in a wider tag", formFile(withProperty("\x04" + le(5, 4))), Kind::TextFixed},
        {"a wide string without wide units", formFile(withProperty(wideBytes(u"abc"))), Kind::TextFixed},
        {"an order index the text drops", formFile(withProperty("\x0E" + int8(-1) + "\x01" + std::string(2, '\0'))),
         Kind::Differs},
        {"cut short", formFile(withProperty(int8(5))).substr(0, 30), Kind::Failed},
        {"a property the text cannot name", formFile(stream(object("TForm1", "", prop("End", int8(1))))), Kind::Differs},
        {"a position that is no integer", formFile(stream("\xF2\x06" + object("TForm1", "", ""))), Kind::Failed},
        {"a double that comes back as an extended", formFile(withProperty("\x15" + le(0x3FB999999999999Au, 8))),
         Kind::TextFixed},
        {"a negative zero that comes back as an integer",
         formFile(withProperty("\x05" + le(0, 8) + le(0x8000, 2))), Kind::TextFixed},
        {"a utf-8 string that comes back narrow", formFile(withProperty("\x14" + le(3, 4) + "abc")), Kind::TextFixed},
        // The text reads back to itself, but a value is not what it was.
        {"an extended too small for the text", formFile(withProperty("\x05" + le(1, 8) + le(0, 2))), Kind::Differs},
        {"a negative infinity", formFile(withProperty("\x05" + le(0x8000000000000000u, 8) + le(0xFFFF, 2))),
         Kind::Differs},
        // The text goes past what a file stream hands out in one read.
        {"an integer in a wider tag behind 100 KB of text",
         formFile(stream(object("TForm1", "Form1",
                                prop("Data", "\x0A" + le(50000, 4) + std::string(50000, '\x5A'))
                                    + prop("P", "\x04" + le(5, 4))))),
         Kind::TextFixed},
    };
    // The text and the bytes made back kept in files judge as those kept in memory.
    const ScratchStreams inFiles = [] { return std::unique_ptr<ByteStream>(FileStream::temporary()); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RoundTripResult result = checkRoundTrip(c.file);
        EXPECT_STREQ(roundTripKindName(result.kind), roundTripKindName(c.kind)) << result.message;
        const RoundTripResult fromFiles = checkRoundTrip(c.file, inFiles);
        EXPECT_EQ(fromFiles.kind, result.kind);
        EXPECT_EQ(fromFiles.offset, result.offset);
        EXPECT_EQ(fromFiles.message, result.message);
    }
    const RoundTripResult differs = checkRoundTrip(cases[4].file);
    // Header, "TPF0", class and object names, the property name, the collection tag: then the index.
    EXPECT_EQ(differs.offset, static_cast<std::int64_t>(makeResourceHeader("TForm1", 0).size()) + 4 + 7 + 6 + 2 + 1);
    EXPECT_EQ(checkRoundTrip(cases[5].file).message, "Erreur de lecture du flux");
    EXPECT_EQ(checkRoundTrip(cases[11].file).property, "Form1.P");
    const RoundTripResult inCollection = checkRoundTrip(formFile(stream(object(
        "TForm1", "Form1",
        prop("Columns", "\x0E\x01" + prop("Width", int8(5)) + std::string(1, '\0') + "\x01"
                            + prop("Width", "\x05" + le(1, 8) + le(0, 2)) + std::string(2, '\0'))))));
    EXPECT_EQ(inCollection.property, "Form1.Columns[1].Width");
    EXPECT_EQ(checkRoundTrip(cases[7].file).message, "Valeur de propriété incorrecte");
}

}  // namespace
}  // namespace dfm
