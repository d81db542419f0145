// The real question box: Yes and No are its only buttons, and closing it unanswered is an answer
// of its own, so that the action that asked can be cancelled.
#include "QtUserPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace dfm {
namespace {

TEST(QtUserPrompts, TheQuestionBoxClosedUnansweredSaysClosed)
{
    using Reply = UserPrompts::Reply;
    const auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox& box) { box.button(which)->click(); };
    };
    const struct {
        const char* name;
        std::function<void(QMessageBox&)> answer;
        Reply reply;
    } cases[] = {
        {"Yes", press(QMessageBox::Yes), Reply::Yes},
        {"No", press(QMessageBox::No), Reply::No},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, Reply::Closed},
        {"the close button", [](QMessageBox& box) { box.close(); }, Reply::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons()) {
                if (button->isVisible())
                    shown << button->text().remove(u'&');
            }
            c.answer(*box);
        });
        QtUserPrompts prompts;
        EXPECT_EQ(prompts.askYesNo("Save change", "Current form has been modified.\nSave change ?"), c.reply);
        shown.sort();
        EXPECT_EQ(shown, (QStringList{"No", "Yes"}));
    }
}

}  // namespace
}  // namespace dfm
