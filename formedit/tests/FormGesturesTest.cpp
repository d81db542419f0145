// Gestures of the form view on small forms: what each writes in the text and what it keeps within
// bounds.
#include "FormEditError.h"
#include "FormGestures.h"
#include "ValueText.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace dfm {

namespace {

// The panels have no bevel, so that a client area is the panel's own frame.
const char* const Form = R"(object Form1: TForm1
  Left = 0
  Top = 0
  ClientWidth = 400
  ClientHeight = 300
  object Header: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 41
    Align = alTop
  end
  object Body: TPanel
    Left = 0
    Top = 41
    Width = 400
    Height = 259
    Align = alClient
    BevelOuter = bvNone
    object Box: TPanel
      Left = 8
      Top = 9
      Width = 100
      Height = 50
      BevelOuter = bvNone
      object OK: TButton
        Left = 10
        Top = 11
        Width = 75
        Height = 25
        Caption = 'OK'
      end
    end
    object Target: TPanel
      Left = 200
      Top = 100
      Width = 150
      Height = 100
      BevelOuter = bvNone
    end
  end
  object Ticker: TTimer
    Left = 16
    Top = 200
  end
  object Clock: TTimer
    DesignInfo = 524296
  end
end
)";

std::shared_ptr<const FormModel> read(const QString& text)
{
    return std::make_shared<const FormModel>(ValueText::readFormText(text));
}

// The drawn objects of a case, found by name.
class Objects {
public:
    explicit Objects(const FormDrawing& drawing) : drawing_(drawing) {}

    int operator()(std::string_view name) const
    {
        for (std::size_t i = 0; i < drawing_.objects().size(); ++i) {
            if (drawing_.objects()[i].name == name)
                return static_cast<int>(i);
        }
        ADD_FAILURE() << "no object " << name;
        return -1;
    }
    const DrawnObject& operator[](std::string_view name) const
    {
        return drawing_.objects()[static_cast<std::size_t>((*this)(name))];
    }

private:
    const FormDrawing& drawing_;
};

using Gesture = std::function<QString(FormGestures&, const Objects&)>;

struct Outcome {
    QString text;
    QString note;
    std::vector<std::string> added;
};

// The gesture made on the form's drawing, its edits applied; the text must read after them.
Outcome made(const QString& form, const Gesture& gesture)
{
    const std::shared_ptr<const FormModel> model = read(form);
    const FormDrawing drawing = FormDrawing::build(model, CodePage::forNumber(1252));
    const QStringList lines = form.split(u'\n');
    FormEditPlan plan(*model, [&lines](int line) { return lines.value(line); });
    FormGestures gestures(drawing, plan);
    Outcome outcome;
    outcome.note = gesture(gestures, Objects(drawing));
    outcome.text = replaced(form, plan.replacements());
    outcome.added = gestures.added();
    EXPECT_NO_THROW(read(outcome.text)) << outcome.text.toStdString();
    return outcome;
}

// The text with each of the changes made once; each must be found exactly once.
QString withLines(QString text, const std::vector<std::pair<QString, QString>>& changes)
{
    for (const auto& [from, to] : changes) {
        EXPECT_EQ(text.count(from), 1) << from.toStdString();
        text.replace(from, to);
    }
    return text;
}

}  // namespace

TEST(FormGestures, MovesAndResizesKeepWithinTheirBounds)
{
    const QString form = QString::fromUtf8(Form);
    struct Case {
        const char* what;
        Gesture gesture;
        std::vector<std::pair<QString, QString>> expected;
        const char* note;  // a part of the note; empty: none
    };
    const std::vector<Case> cases = {
        {"a top-aligned panel changes its height only, and stays where it is",
         [](FormGestures& g, const Objects& o) { return g.resize({o("Header")}, QMargins(5, -3, 20, 10)); },
         {{"    Height = 41\n", "    Height = 54\n"}},
         "Header is aligned to its parent: only its free side changes."},
        {"a top-aligned panel is not moved",
         [](FormGestures& g, const Objects& o) { return g.move({o("Header")}, QPoint(10, 10)); },
         {},
         "Header is aligned to its parent and moves with its alignment only."},
        {"a client-aligned panel keeps its size",
         [](FormGestures& g, const Objects& o) { return g.resize({o("Body")}, QMargins(0, 0, 30, 30)); },
         {},
         "Body fills its parent and takes its size from it."},
        {"a move out of the parent stops at its sides",
         [](FormGestures& g, const Objects& o) { return g.move({o("OK")}, QPoint(1000, -1000)); },
         {{"        Left = 10\n", "        Left = 25\n"}, {"        Top = 11\n", "        Top = 0\n"}},
         "OK was kept within Box."},
        {"a move past the parent's left side stops at it",
         [](FormGestures& g, const Objects& o) { return g.move({o("Target")}, QPoint(-300, 0)); },
         {{"      Left = 200\n", "      Left = 0\n"}},
         "Target was kept within Body."},
        {"a size below 0 is 0",
         [](FormGestures& g, const Objects& o) { return g.resize({o("OK")}, QMargins(0, 0, -500, -30)); },
         {{"        Width = 75\n", "        Width = 0\n"}, {"        Height = 25\n", "        Height = 0\n"}},
         "A size is at least 0"},
        {"a left handle moves the left side only",
         [](FormGestures& g, const Objects& o) { return g.resize({o("OK")}, QMargins(-4, 0, 0, 0)); },
         {{"        Left = 10\n", "        Left = 6\n"}, {"        Width = 75\n", "        Width = 79\n"}},
         ""},
        {"a parent selected with its child moves alone",
         [](FormGestures& g, const Objects& o) { return g.move({o("OK"), o("Box")}, QPoint(8, 8)); },
         {{"      Left = 8\n", "      Left = 16\n"}, {"      Top = 9\n", "      Top = 17\n"}},
         ""},
        {"an icon with DesignInfo moves through it",
         [](FormGestures& g, const Objects& o) { return g.move({o("Clock")}, QPoint(16, 8)); },
         {{"    DesignInfo = 524296\n", "    DesignInfo = 1048600\n"}},
         ""},
        {"an icon with Left and Top keeps them",
         [](FormGestures& g, const Objects& o) { return g.move({o("Ticker")}, QPoint(4, -4)); },
         {{"    Left = 16\n", "    Left = 20\n"}, {"    Top = 200\n", "    Top = 196\n"}},
         ""},
        {"an icon does not go above or left of the form",
         [](FormGestures& g, const Objects& o) { return g.move({o("Clock")}, QPoint(-100, -100)); },
         {{"    DesignInfo = 524296\n", "    DesignInfo = 0\n"}},
         "Clock was kept within Form1."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = made(form, c.gesture);
        EXPECT_EQ(outcome.text.toStdString(), withLines(form, c.expected).toStdString());
        if (*c.note == '\0')
            EXPECT_TRUE(outcome.note.isEmpty()) << outcome.note.toStdString();
        else
            EXPECT_TRUE(outcome.note.contains(QString::fromUtf8(c.note))) << outcome.note.toStdString();
    }
}

TEST(FormGestures, AnIconWithoutAPlaceTakesDesignInfo)
{
    const QString form = "object Form1: TForm1\n  object Clock: TTimer\n  end\nend\n";
    const Outcome outcome = made(form, [](FormGestures& g, const Objects& o) { return g.move({o("Clock")}, QPoint(3, 2)); });
    EXPECT_EQ(outcome.text.toStdString(), "object Form1: TForm1\n  object Clock: TTimer\n    DesignInfo = 131075\n  end\nend\n");
}

TEST(FormGestures, AControlDroppedIntoAContainerBecomesItsChild)
{
    const QString form = QString::fromUtf8(Form);
    const QString block = "      object OK: TButton\n        Left = 10\n        Top = 11\n        Width = 75\n"
                          "        Height = 25\n        Caption = 'OK'\n      end\n";
    // OK is drawn at (18, 61) of the form; Body's client area starts at (0, 41).
    const Outcome up = made(form, [](FormGestures& g, const Objects& o) {
        EXPECT_EQ(o["OK"].frame.topLeft(), QPoint(18, 61));
        return g.moveInto({o("OK")}, o("Body"), QPoint(100, 100));
    });
    EXPECT_EQ(up.text.toStdString(),
              withLines(form, {{block, ""},
                               {"      Height = 100\n      BevelOuter = bvNone\n    end\n",
                                "      Height = 100\n      BevelOuter = bvNone\n    end\n"
                                "    object OK: TButton\n      Left = 118\n      Top = 120\n      Width = 75\n"
                                "      Height = 25\n      Caption = 'OK'\n    end\n"}})
                  .toStdString());

    // Into a sibling of its parent, at the same depth; a place past the container's side stops there.
    const Outcome across = made(form, [](FormGestures& g, const Objects& o) {
        return g.moveInto({o("OK")}, o("Target"), QPoint(500, 100));
    });
    EXPECT_EQ(across.text.toStdString(),
              withLines(form, {{block, ""},
                               {"      Height = 100\n      BevelOuter = bvNone\n    end\n",
                                "      Height = 100\n      BevelOuter = bvNone\n"
                                "      object OK: TButton\n        Left = 75\n        Top = 20\n        Width = 75\n"
                                "        Height = 25\n        Caption = 'OK'\n      end\n    end\n"}})
                  .toStdString());

    EXPECT_THROW(made(form, [](FormGestures& g, const Objects& o) { return g.moveInto({o("Box")}, o("Box"), QPoint()); }),
                 FormEditError);
}

TEST(FormGestures, AddedControlsTakeFreeNamesAndTheirClassSize)
{
    // Each add is its own gesture on the text the one before left, as in the view.
    QString form = QString::fromUtf8(Form);
    for (const char* name : {"Button1", "Button2"}) {
        SCOPED_TRACE(name);
        const Outcome outcome = made(form, [](FormGestures& g, const Objects&) { return g.add("TButton", QPoint(230, 161)); });
        const QString expected = QStringLiteral("      object %1: TButton\n        Left = 30\n        Top = 20\n"
                                                "        Width = 75\n        Height = 25\n        Caption = '%1'\n      end\n    end\n  end\n")
                                     .arg(QString::fromLatin1(name));
        EXPECT_TRUE(outcome.text.contains(expected)) << outcome.text.toStdString();
        EXPECT_EQ(outcome.added, std::vector<std::string>{name});
        form = outcome.text;
    }
    // A class without a caption gets none; one near the container's side stays inside it.
    const Outcome edit = made(form, [](FormGestures& g, const Objects&) { return g.add("TEdit", QPoint(395, 295)); });
    EXPECT_TRUE(edit.text.contains("    object Edit1: TEdit\n      Left = 279\n      Top = 238\n      Width = 121\n"
                                   "      Height = 21\n    end\n  end\n  object Ticker"))
        << edit.text.toStdString();
}

// A main menu's bar stands above the client area: a point of the client area is not moved by it.
TEST(FormGestures, AControlAddedUnderAMenuBarGoesToTheContainerUnderThePoint)
{
    const QString form = "object Main: TForm\n  ClientHeight = 200\n  ClientWidth = 300\n  Menu = Menu1\n"
                         "  object Strip: TPanel\n    Left = 0\n    Top = 0\n    Width = 300\n    Height = 40\n"
                         "    BevelOuter = bvNone\n  end\n  object Menu1: TMainMenu\n    Left = 200\n    Top = 150\n"
                         "    object File1: TMenuItem\n      Caption = 'File'\n    end\n  end\nend\n";
    // Below the strip, within the height of the menu bar.
    const Outcome outcome = made(form, [](FormGestures& g, const Objects&) { return g.add("TButton", QPoint(10, 45)); });
    EXPECT_TRUE(outcome.text.contains("  end\n  object Button1: TButton\n    Left = 10\n    Top = 45\n"))
        << outcome.text.toStdString();
}

TEST(FormGestures, PastedObjectsAreRenamedOnlyWhenTheirNameIsTaken)
{
    const QString form = QString::fromUtf8(Form);
    const QString clipboard = "  object OK: TButton\r\n    Caption = 'OK'\r\n  end\r\n  object Spare: TEdit\r\n"
                              "    object Box: TPanel\r\n    end\r\n  end\r\n";
    const Outcome outcome = made(form, [&](FormGestures& g, const Objects& o) { return g.paste(clipboard, o("Target")); });
    EXPECT_TRUE(outcome.text.contains("      BevelOuter = bvNone\n      object Button1: TButton\n        Caption = 'OK'\n"
                                      "      end\n      object Spare: TEdit\n        object Panel1: TPanel\n        end\n"
                                      "      end\n    end\n"))
        << outcome.text.toStdString();
    EXPECT_EQ(outcome.added, (std::vector<std::string>{"Button1", "Spare"}));

    // What copy gives pastes back as a copy under a new name.
    const Outcome copied = made(form, [](FormGestures& g, const Objects& o) {
        return g.paste(g.copy({o("OK"), o("Box")}).join(u'\n'), o("Target"));
    });
    EXPECT_TRUE(copied.text.contains("      object Panel1: TPanel\n        Left = 8\n")) << copied.text.toStdString();
    EXPECT_TRUE(copied.text.contains("        object Button1: TButton\n          Left = 10\n")) << copied.text.toStdString();

    for (const QString& junk : {QString("Caption = 'x'"), QString("object A: TB\n"), QString()}) {
        SCOPED_TRACE(junk.toStdString());
        EXPECT_THROW(made(form, [&](FormGestures& g, const Objects& o) { return g.paste(junk, o("Target")); }), FormEditError);
    }
}

// An object an ancestor form introduces stays in the descendant whatever its text says: deleting
// its block would only drop what the descendant changed in it, so it is refused.
TEST(FormGestures, AnInheritedObjectIsNotDeleted)
{
    const QString form = "inherited Dialog: TDialog\n  inherited OK: TButton\n    Caption = 'Close'\n  end\n"
                         "  object Extra: TButton\n  end\nend\n";
    Outcome outcome;
    try {
        outcome = made(form, [](FormGestures& g, const Objects& o) { return g.remove({o("OK"), o("Extra")}); });
    } catch (const FormEditError&) {
        return;
    }
    EXPECT_TRUE(outcome.text.contains("  inherited OK: TButton\n    Caption = 'Close'\n  end\n")) << outcome.text.toStdString();
    EXPECT_FALSE(outcome.text.contains("Extra")) << outcome.text.toStdString();
    EXPECT_TRUE(outcome.note.contains("OK")) << outcome.note.toStdString();
}

// A form of the cross-platform library stores places as Position and Size, in extended floats.
TEST(FormGestures, CrossPlatformFormsMoveAndSizeThroughPositionAndSize)
{
    const QString form = "object Main: TForm\n  ClientHeight = 300\n  ClientWidth = 400\n"
                         "  object Go: TButton\n    Position.X = 8.000000000000000000\n"
                         "    Position.Y = 16.000000000000000000\n    TabOrder = 0\n  end\nend\n";
    const Outcome moved = made(form, [](FormGestures& g, const Objects& o) { return g.move({o("Go")}, {2, 3}); });
    EXPECT_EQ(moved.text.toStdString(),
              withLines(form, {{"Position.X = 8.000000000000000000", "Position.X = 10.000000000000000000"},
                               {"Position.Y = 16.000000000000000000", "Position.Y = 19.000000000000000000"}})
                  .toStdString());
    // A size of its own is no longer the platform's.
    const Outcome sized = made(form, [](FormGestures& g, const Objects& o) { return g.resize({o("Go")}, {0, 0, 1, 0}); });
    EXPECT_TRUE(sized.text.contains("    Position.Y = 16.000000000000000000\n    Size.Width = ")) << sized.note.toStdString();
    EXPECT_TRUE(sized.text.contains("    TabOrder = 0\n    Size.PlatformDefault = False\n  end\n")) << sized.text.toStdString();
    const Outcome added = made(form, [](FormGestures& g, const Objects&) { return g.add("TButton", {100, 100}); });
    EXPECT_TRUE(added.text.contains("  object Button1: TButton\n    Position.X = 100.000000000000000000\n"
                                    "    Position.Y = 100.000000000000000000\n"))
        << added.text.toStdString();
    EXPECT_TRUE(added.text.contains("    Size.PlatformDefault = False\n    Text = 'Button1'\n  end\n"));
}

}  // namespace dfm
