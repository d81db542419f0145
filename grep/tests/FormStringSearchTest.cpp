// The search of form strings as a user reads them: escapes, joins, each form's own page, case by
// Unicode's rules, binary and text alike; files that are no form are passed over.
#include "FormStringSearch.h"
#include "GrepTestSupport.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

namespace dfm {
namespace {

using test::TempTree;

std::string binaryOf(const std::string& text)
{
    MemoryStream input(text);
    MemoryStream output;
    textToResource(input, output);
    return std::string(output.view());
}

const std::string CyrillicText = "object F: TF\r\n"
                                 "  Caption = '\xC4\xE0\xF2\xE0 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xE0'\r\n"  // Дата документа
                                 "  Hint = '\xCF\xEE\xF1\xF2\xE0\xE2\xF9\xE8\xEA \xF2\xEE\xE2\xE0\xF0\xE0'\r\nend\r\n";
// The same caption as a text form writes it outside its page: escapes, cut across a "+".
const std::string EscapedText = "object F: TF\r\n  Caption = #1044#1072 +\r\n    #1090#1072' '#1076'o'\r\nend\r\n";

TEST(FormStringSearchTest, FindsTheStringsAUserReads)
{
    const struct {
        const char* name;
        std::string form;
        std::u16string key;
        bool caseSensitive;
        int page;
        bool found;
    } cases[] = {
        {"a 1251 binary form, no page given", binaryOf(CyrillicText), u"\u0414\u0430\u0442\u0430", true, 0, true},
        {"its text form", CyrillicText, u"\u0414\u0430\u0442\u0430", true, 0, true},
        {"the case ignored by Unicode's rules", binaryOf(CyrillicText), u"\u0434\u0410\u0422\u0410", false, 0, true},
        {"the case kept", binaryOf(CyrillicText), u"\u0434\u0430\u0442\u0430", true, 0, false},
        {"a page given overrides the form's", binaryOf(CyrillicText), u"\u0414\u0430\u0442\u0430", true, 1252, false},
        {"escapes and a join", EscapedText, u"\u0414\u0430\u0442\u0430 \u0434o", true, 0, true},
        {"escapes in binary", binaryOf(EscapedText), u"\u0430\u0442\u0430 \u0434", true, 0, true},
        {"a key across two strings is not one", binaryOf(CyrillicText), u"\u0430\u0020\u041F", true, 0, false},
        {"UTF-8 text", "\xEF\xBB\xBFobject F: TF\r\n  Caption = 'Transfer\xC3\xAAncia'\r\nend\r\n",
         u"TRANSFER\u00CANCIA", false, 0, true},
        {"names and values are no strings", CyrillicText, u"Caption", true, 0, false},
        {"a form cut short is searched as far as it reads", binaryOf(CyrillicText).substr(0, 70),
         u"\u0414\u0430\u0442\u0430", true, 0, true},
        {"no form", "Caption = '\xC4\xE0\xF2\xE0'", u"\u0414\u0430\u0442\u0430", true, 1251, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormStringSearch(c.key, c.caseSensitive, c.page).formHolds(c.form), c.found);
    }
}

TEST(FormStringSearchTest, ReadsFilesAndNamesOnesItCannot)
{
    TempTree tree;
    const std::string form = tree.write("form.dfm", binaryOf(CyrillicText));
    const std::string notes = tree.write("notes.txt", "\xC4\xE0\xF2\xE0");
    test::RecordingHost host;
    const FormStringSearch search(u"\u0414\u0430\u0442\u0430", true, 0);
    EXPECT_TRUE(search.fileHolds(form, host));
    EXPECT_FALSE(search.fileHolds(notes, host));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_FALSE(search.fileHolds(tree.root() + "gone.dfm", host));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "Cannot scan " + tree.root() + "gone.dfm.\rFile not found.");
}

}  // namespace
}  // namespace dfm
