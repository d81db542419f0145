// Values written as form text, and what a user may type.
#include "FormEditError.h"
#include "ValueText.h"

#include <gtest/gtest.h>

namespace dfm {

TEST(ValueText, StringsAreQuotedEscapedAndSplit)
{
    EXPECT_EQ(ValueText::stringValue(""), QStringList{"''"});
    EXPECT_EQ(ValueText::stringValue("It's"), QStringList{"'It''s'"});
    EXPECT_EQ(ValueText::stringValue("a\tb\r\n"), QStringList{"'a'#9'b'#13#10"});
    EXPECT_EQ(ValueText::stringValue(QString::fromUtf8("Été")), QStringList{QString::fromUtf8("'Été'")});
    const QStringList long100 = ValueText::stringValue(QString(100, u'x'));
    ASSERT_EQ(long100.size(), 3);
    EXPECT_EQ(long100[0], "");
    EXPECT_EQ(long100[1], u'\'' + QString(64, u'x') + "' +");
    EXPECT_EQ(long100[2], u'\'' + QString(36, u'x') + u'\'');
    EXPECT_EQ(ValueText::stringListValue({}), QStringList{"()"});
}

TEST(ValueText, TypedValuesMustReadAsOneValue)
{
    struct Case {
        const char* typed;
        bool number;
        bool accepted;
    };
    const Case cases[] = {
        {"12", true, true},    {"-3", true, true},     {"$FF", true, true},  {"1.5", true, true},
        {"1e3", true, true},   {"abc", true, false},   {"1.", true, false},  {"", true, false},
        {"clRed", false, true}, {"'x'", false, true},   {"[a, b]", false, true}, {"'open", false, false},
        {"a b", false, false},  {"(", false, false},    {"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto parse = [&] {
            return c.number ? ValueText::numberValue(c.typed, "Left") : ValueText::typedValue(c.typed, "Hint");
        };
        if (c.accepted) {
            EXPECT_NO_THROW(parse());
        } else {
            try {
                parse();
                ADD_FAILURE() << "accepted";
            } catch (const FormEditError& error) {
                // The message names the property.
                EXPECT_NE(std::string(error.what()).find(c.number ? "Left" : "Hint"), std::string::npos);
            }
        }
    }
    EXPECT_THROW(ValueText::identifierValue("cl Red"), FormEditError);
    EXPECT_THROW(ValueText::identifierValue("Module."), FormEditError);
    EXPECT_EQ(ValueText::identifierValue("DataModule2.DataSource1"), QStringList{"DataModule2.DataSource1"});
    EXPECT_EQ(ValueText::setValue({"akLeft", "akTop"}), QStringList{"[akLeft, akTop]"});
    EXPECT_TRUE(ValueText::isPropertyName("Font.Name"));
    EXPECT_FALSE(ValueText::isPropertyName("Font..Name"));
}

}  // namespace dfm
