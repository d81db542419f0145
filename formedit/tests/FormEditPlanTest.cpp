// Edits of the form text: only the touched lines change, and the text reads again.
#include "FormEditError.h"
#include "FormEditPlan.h"
#include "ValueText.h"

#include <gtest/gtest.h>

#include <functional>

namespace dfm {

namespace {

const char* const Form = R"(object Form1: TForm1
  Left = 10
  Caption = 'Main'
  object Panel1: TPanel
    Top = 4
    Align = alTop
    object Button1: TButton
      Caption = 'OK'
    end
  end
  object Panel2: TPanel
    Left = 0
    Top = 50
    Width = 100
    Height = 40
  end
  object Label1: TLabel
  end
end
)";

FormModel read(const QString& text)
{
    return ValueText::readFormText(text);
}

std::uint32_t nodeNamed(const FormModel& model, std::string_view name)
{
    for (FormNode node : model.nodes()) {
        if (node.name() == name)
            return node.index();
    }
    ADD_FAILURE() << "no object " << name;
    return 0;
}

// The text after the plan's edits, read again to prove it still parses.
QString edited(const QString& text, const std::function<void(FormEditPlan&, const FormModel&)>& edit)
{
    const FormModel model = read(text);
    const QStringList lines = text.split(u'\n');
    FormEditPlan plan(model, [&lines](int line) { return lines.value(line); });
    edit(plan, model);
    const QString result = replaced(text, plan.replacements());
    EXPECT_NO_THROW(read(result)) << result.toStdString();
    return result;
}

QString withLines(QString text, const std::vector<std::pair<QString, QString>>& changes)
{
    for (const auto& [from, to] : changes) {
        EXPECT_TRUE(text.contains(from)) << from.toStdString();
        text.replace(from, to);
    }
    return text;
}

using Change = FormEditPlan::PropertyChange;

}  // namespace

TEST(FormEditPlan, PropertiesAreRewrittenOrInsertedInTheirPlace)
{
    const QString form = QString::fromUtf8(Form);
    struct Case {
        const char* object;
        std::vector<Change> changes;
        std::vector<std::pair<QString, QString>> expected;
    };
    const std::vector<Case> cases = {
        // Only the value's line changes.
        {"Panel2", {{"Left", QStringList{"8"}}, {"Height", QStringList{"41"}}},
         {{"    Left = 0\n", "    Left = 8\n"}, {"    Height = 40\n", "    Height = 41\n"}}},
        // Absent place properties come first, in order, after the ones there before them.
        {"Panel1", {{"Height", QStringList{"30"}}, {"Left", QStringList{"2"}}, {"Width", QStringList{"9"}}},
         {{"    Top = 4\n", "    Left = 2\n    Top = 4\n    Width = 9\n    Height = 30\n"}}},
        // An object without properties takes them under its line, indented one level more.
        {"Label1", {{"Caption", QStringList{"'x'"}}, {"Top", QStringList{"3"}}},
         {{"  object Label1: TLabel\n", "  object Label1: TLabel\n    Top = 3\n    Caption = 'x'\n"}}},
        // Other properties go after the last one; a removed one takes its line with it.
        {"Form1", {{"Color", QStringList{"clRed"}}, {"Left", std::nullopt}},
         {{"  Left = 10\n", ""}, {"  Caption = 'Main'\n", "  Caption = 'Main'\n  Color = clRed\n"}}},
        // A value of several lines is indented under its property.
        {"Button1", {{"Caption", ValueText::stringListValue({"a", "b"})}},
         {{"      Caption = 'OK'\n", "      Caption = (\n        'a'\n        'b')\n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        const QString result = edited(form, [&](FormEditPlan& plan, const FormModel& model) {
            plan.changeProperties(nodeNamed(model, c.object), c.changes);
        });
        EXPECT_EQ(result.toStdString(), withLines(form, c.expected).toStdString());
    }
}

TEST(FormEditPlan, ObjectsMoveWholeReindentedWithTheirNewPlace)
{
    const QString form = QString::fromUtf8(Form);
    // Button1 leaves Panel1 for Panel2 with a new Left; its lines move up a level.
    const QString result = edited(form, [](FormEditPlan& plan, const FormModel& model) {
        const std::uint32_t button = nodeNamed(model, "Button1");
        plan.changeProperties(button, {{"Left", QStringList{"16"}}});
        plan.moveObject(button, nodeNamed(model, "Panel2"));
    });
    EXPECT_EQ(result.toStdString(),
              withLines(form, {{"    object Button1: TButton\n      Caption = 'OK'\n    end\n", ""},
                               {"    Height = 40\n  end\n",
                                "    Height = 40\n    object Button1: TButton\n      Left = 16\n"
                                "      Caption = 'OK'\n    end\n  end\n"}})
                  .toStdString());

    // To the form: two spaces less a level.
    const QString up = edited(form, [](FormEditPlan& plan, const FormModel& model) {
        plan.moveObject(nodeNamed(model, "Button1"), nodeNamed(model, "Form1"));
    });
    EXPECT_TRUE(up.endsWith("  object Button1: TButton\n    Caption = 'OK'\n  end\nend\n")) << up.toStdString();
}

TEST(FormEditPlan, RemovedAndAddedObjects)
{
    const QString form = QString::fromUtf8(Form);
    // A removed parent carries its children, and their edits are dropped with them.
    const QString removed = edited(form, [](FormEditPlan& plan, const FormModel& model) {
        plan.changeProperties(nodeNamed(model, "Button1"), {{"Left", QStringList{"1"}}});
        plan.removeObject(nodeNamed(model, "Button1"));
        plan.removeObject(nodeNamed(model, "Panel1"));
    });
    EXPECT_FALSE(removed.contains("Panel1"));
    EXPECT_FALSE(removed.contains("Button1"));
    EXPECT_TRUE(removed.contains("  object Panel2: TPanel\n"));

    // Added text is indented under its parent, after its properties.
    const QString added = edited(form, [](FormEditPlan& plan, const FormModel& model) {
        const std::uint32_t panel = nodeNamed(model, "Panel2");
        plan.changeProperties(panel, {{"Color", QStringList{"clRed"}}});
        plan.addObjects(panel, {"object Edit1: TEdit", "  Left = 1", "end"});
    });
    EXPECT_TRUE(added.contains("    Height = 40\n    Color = clRed\n    object Edit1: TEdit\n      Left = 1\n    end\n  end\n"))
        << added.toStdString();
}

TEST(FormEditPlan, ImpossibleEditsAreRefused)
{
    const QString form = QString::fromUtf8(Form);
    const FormModel model = read(form);
    const QStringList lines = form.split(u'\n');
    FormEditPlan plan(model, [&lines](int line) { return lines.value(line); });
    EXPECT_THROW(plan.removeObject(0), FormEditError);
    EXPECT_THROW(plan.moveObject(nodeNamed(model, "Panel1"), nodeNamed(model, "Button1")), FormEditError);
    EXPECT_THROW(plan.moveObject(0, nodeNamed(model, "Panel1")), FormEditError);
    EXPECT_THROW(plan.changeProperties(9999, {}), FormEditError);

    // A block that shares a line cannot be moved whole.
    const QString crowded = "object F: TForm\n  object A: TPanel end object B: TPanel\n  end\nend\n";
    const FormModel crowdedModel = read(crowded);
    const QStringList crowdedLines = crowded.split(u'\n');
    FormEditPlan crowdedPlan(crowdedModel, [&](int line) { return crowdedLines.value(line); });
    crowdedPlan.removeObject(nodeNamed(crowdedModel, "A"));
    EXPECT_THROW(crowdedPlan.replacements(), FormEditError);
}

TEST(FormEditPlan, FreeNamesCountFromOne)
{
    const FormModel model = read(QString::fromUtf8(Form));
    EXPECT_EQ(FormEditPlan::freeName(model, "TButton"), "Button2");
    EXPECT_EQ(FormEditPlan::freeName(model, "TEdit"), "Edit1");
    EXPECT_EQ(FormEditPlan::freeName(model, "TEdit", {"edit1"}), "Edit2");
    EXPECT_EQ(FormEditPlan::freeName(model, "TPanel"), "Panel3");
}

}  // namespace dfm
