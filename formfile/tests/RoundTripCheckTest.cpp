// How a round trip of a whole form file is judged.
#include "FormBuilder.h"
#include "ResourceHeader.h"
#include "RoundTrip.h"
#include "TestSupport.h"

namespace dfm {
namespace {

using namespace test;

std::string FormFile(const std::string& stream, const std::string& trailing = "")
{
    return MakeResourceHeader("TForm1", static_cast<std::uint32_t>(stream.size() + trailing.size())) + stream
        + trailing;
}

std::string WithProperty(const std::string& value)
{
    return Stream(Object("TForm1", "Form1", Prop("P", value)));
}

TEST(CheckRoundTrip, JudgesEachKindOfResult)
{
    using Kind = RoundTripResult::Kind;
    const struct {
        const char* name;
        std::string file;
        Kind kind;
    } cases[] = {
        {"written as the designer writes", FormFile(WithProperty(Int8(5))), Kind::Identical},
        {"bytes after the form", FormFile(WithProperty(Int8(5)), "junk"), Kind::IdenticalTrailing},
        {"an integer in a wider tag", FormFile(WithProperty("\x04" + Le(5, 4))), Kind::TextFixed},
        {"a wide string without wide units", FormFile(WithProperty(Wide(u"abc"))), Kind::TextFixed},
        {"an order index the text drops", FormFile(WithProperty("\x0E" + Int8(-1) + "\x01" + std::string(2, '\0'))),
         Kind::Differs},
        {"cut short", FormFile(WithProperty(Int8(5))).substr(0, 30), Kind::Failed},
        {"a property the text cannot name", FormFile(Stream(Object("TForm1", "", Prop("End", Int8(1))))), Kind::Differs},
        {"a position that is no integer", FormFile(Stream("\xF2\x06" + Object("TForm1", "", ""))), Kind::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RoundTripResult result = CheckRoundTrip(c.file);
        EXPECT_STREQ(RoundTripKindName(result.kind), RoundTripKindName(c.kind)) << result.message;
    }
    const RoundTripResult differs = CheckRoundTrip(cases[4].file);
    // Header, "TPF0", class and object names, the property name, the collection tag: then the index.
    EXPECT_EQ(differs.offset, static_cast<std::int64_t>(MakeResourceHeader("TForm1", 0).size()) + 4 + 7 + 6 + 2 + 1);
    EXPECT_EQ(CheckRoundTrip(cases[5].file).message, "Erreur de lecture du flux");
    EXPECT_EQ(CheckRoundTrip(cases[7].file).message, "Valeur de propriété incorrecte");
}

}  // namespace
}  // namespace dfm
