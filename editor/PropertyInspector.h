// The property inspector: the stored properties of the objects selected in the form view, name
// and value in the order of their text, each value with an editor for its kind. An edit writes
// the lines of the properties it changes in the form text, for every selected object in one
// step of the undo; a value that does not check is refused with a message and the text stays.
// It shows the document's current model and keeps nothing of it beyond what it shows.
#pragma once

#include "FormEditPlan.h"
#include "InspectedProperties.h"

#include <QDockWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QTreeWidget;
class QTreeWidgetItem;

namespace dfm {

class FormDocument;
class FormModel;
class FormViewDock;
class UserPrompts;

class PropertyInspector : public QDockWidget {
    Q_OBJECT
public:
    // Docked on the right of window, hidden.
    PropertyInspector(FormDocument& document, FormViewDock& view, QMainWindow& window, UserPrompts& prompts);
    ~PropertyInspector() override;

    // Shown under the form view, the first time where the view is docked.
    void showWithView();

    // Shows the properties the nodes of the document's current model share; the view's
    // selection comes here.
    void showNodes(std::vector<std::uint32_t> nodes);

    QTreeWidget* table() const { return table_; }
    QString heading() const;

    // The commands of the table, as its buttons and context menu run them.
    void addProperty();
    void deleteSelectedProperties();
    // Opens the font dialog on the selected objects' font of that name ("Font", "TitleFont").
    void chooseFont(const QString& owner);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using PlanEdit = std::function<void(const FormModel& model, const std::vector<std::uint32_t>& nodes, FormEditPlan& plan)>;

    void createControls();
    // Rebuilds the rows from the document's current model, now when shown, else once it is.
    void refresh();
    void rebuild();
    QWidget* editorFor(const InspectedProperty& row);
    // The shown nodes in model: as they are in the model they were shown from, else found
    // again by name.
    std::vector<std::uint32_t> nodesIn(const FormModel& model) const;
    FormCharacters characters() const;

    // Makes the edit on the current model for every shown node, as one step of the undo. An
    // error is shown and the rows go back to the text as it stands. False when it was refused.
    bool write(const PlanEdit& edit);
    // Sets the property of every shown node to the value; value may throw FormEditError.
    void setValue(const std::string& name, const std::function<QStringList()>& value);
    // The row's value typed in its editor, written when it differs from the one shown.
    void commitTyped(const InspectedProperty& row, const QString& typed);
    void editColor(const InspectedProperty& row);
    void editSet(const InspectedProperty& row);
    void editLongText(const InspectedProperty& row);
    void updateCommands();

    FormDocument& document_;
    FormViewDock& view_;
    QMainWindow& window_;
    UserPrompts& prompts_;
    // What is shown: the nodes, the model they are nodes of, and their names to find them in
    // a newer model.
    std::shared_ptr<const FormModel> shownModel_;
    std::vector<std::uint32_t> nodes_;
    std::vector<std::string> names_;
    std::unique_ptr<InspectedProperties> properties_;
    bool refreshDue_ = false;
    bool placed_ = false;
    // Set while an edit is written: the editors' own signals then are no new edits.
    bool writing_ = false;
    // Counts the rebuilds, so that a signal of an editor of rows gone is let pass.
    unsigned generation_ = 0;

    QLabel* heading_ = nullptr;
    QTreeWidget* table_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* fontAction_ = nullptr;
};

}  // namespace dfm
