// The property inspector dock: a heading, a table of name and value with an editor per row, and
// the commands that add and delete properties or set a font.
#include "PropertyInspector.h"

#include "AsciiText.h"
#include "CommandBoundary.h"
#include "FontDialog.h"
#include "FormColors.h"
#include "FormDocument.h"
#include "FormEditError.h"
#include "FormViewDock.h"
#include "UserPrompts.h"
#include "ValueText.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dfm {

namespace {

// The property's name as stored, kept in its row's first column.
constexpr int NameRole = Qt::UserRole;

QString nameText(const std::string& name)
{
    return QString::fromStdString(name);
}

// The colour a colour row's text stands for; black when it names none.
QColor colorOfText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (ValueText::isIdentifier(trimmed))
        return FormColors::fromName(trimmed.toStdString()).value_or(QColor(Qt::black));
    bool number = false;
    const qlonglong value = trimmed.startsWith(u'$') ? trimmed.mid(1).toLongLong(&number, 16) : trimmed.toLongLong(&number);
    return number ? FormColors::fromNumber(value).value_or(QColor(Qt::black)) : QColor(Qt::black);
}

// A dialog of one widget above OK and Cancel.
QDialog* dialogAround(QWidget* parent, const QString& title, QWidget* body)
{
    auto* dialog = new QDialog(parent);
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    body->setParent(dialog);
    layout->addWidget(body);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

}  // namespace

PropertyInspector::PropertyInspector(FormDocument& document, FormViewDock& view, QMainWindow& window,
                                     UserPrompts& prompts)
    : QDockWidget(QStringLiteral("Properties"), &window), document_(document), view_(view), window_(window),
      prompts_(prompts)
{
    setObjectName(QStringLiteral("PropertyInspectorDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    createControls();
    connect(&view_, &FormViewDock::selectionChanged, this, [this] { showNodes(view_.selectedNodes()); });
    connect(&document_, &FormDocument::opened, this, [this] { showNodes({}); });
    connect(&document_, &FormDocument::formModelChanged, this, [this] {
        // The view's selection may have shown the new model already.
        if (document_.formModel() != shownModel_)
            refresh();
    });
    hide();
    window_.addDockWidget(Qt::RightDockWidgetArea, this);
}

PropertyInspector::~PropertyInspector() = default;

void PropertyInspector::createControls()
{
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    heading_ = new QLabel(body);
    heading_->setObjectName(QStringLiteral("InspectorHeading"));
    heading_->setTextFormat(Qt::PlainText);
    heading_->setMargin(3);
    layout->addWidget(heading_);

    addAction_ = new QAction(QStringLiteral("Add property..."), this);
    addAction_->setObjectName(QStringLiteral("ActAddProperty"));
    addAction_->setToolTip(QStringLiteral("Add a property, its name and value typed, to the selected objects"));
    deleteAction_ = new QAction(QStringLiteral("Delete property"), this);
    deleteAction_->setObjectName(QStringLiteral("ActDeleteProperty"));
    deleteAction_->setToolTip(QStringLiteral("Delete the selected properties from the selected objects (Del)"));
    fontAction_ = new QAction(QStringLiteral("Font..."), this);
    fontAction_->setObjectName(QStringLiteral("ActPropertyFont"));
    fontAction_->setToolTip(QStringLiteral("Set the selected objects' font: its name, height, style and colour"));
    connect(addAction_, &QAction::triggered, this, &PropertyInspector::addProperty);
    connect(deleteAction_, &QAction::triggered, this, &PropertyInspector::deleteSelectedProperties);
    connect(fontAction_, &QAction::triggered, this, [this] { chooseFont(QStringLiteral("Font")); });

    auto* bar = new QToolBar(body);
    bar->setObjectName(QStringLiteral("InspectorBar"));
    bar->addAction(addAction_);
    bar->addAction(deleteAction_);
    bar->addAction(fontAction_);
    layout->addWidget(bar);

    table_ = new QTreeWidget(body);
    table_->setObjectName(QStringLiteral("PropertyTable"));
    table_->setRootIsDecorated(false);
    table_->setColumnCount(2);
    table_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    table_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->header()->setStretchLastSection(true);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    table_->addAction(addAction_);
    table_->addAction(deleteAction_);
    table_->addAction(fontAction_);
    table_->installEventFilter(this);
    connect(table_, &QTreeWidget::itemSelectionChanged, this, &PropertyInspector::updateCommands);
    layout->addWidget(table_, 1);
    setWidget(body);
    rebuild();
}

void PropertyInspector::showWithView()
{
    // Below the view where it is docked; the user may move it from there.
    if (!placed_ && !view_.isFloating() && window_.dockWidgetArea(&view_) != Qt::NoDockWidgetArea)
        window_.splitDockWidget(&view_, this, Qt::Vertical);
    placed_ = true;
    show();
}

QString PropertyInspector::heading() const
{
    return heading_->text();
}

void PropertyInspector::showNodes(std::vector<std::uint32_t> nodes)
{
    shownModel_ = document_.formModel();
    nodes_.clear();
    names_.clear();
    for (const std::uint32_t node : nodes) {
        if (shownModel_ && node < shownModel_->nodeCount()) {
            nodes_.push_back(node);
            names_.emplace_back(FormNode::at(*shownModel_, node).name());
        }
    }
    refresh();
}

void PropertyInspector::refresh()
{
    // A hidden inspector does no work; it catches up when it is shown.
    refreshDue_ = isHidden();
    if (!refreshDue_)
        rebuild();
}

void PropertyInspector::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    if (refreshDue_) {
        refreshDue_ = false;
        rebuild();
    }
}

std::vector<std::uint32_t> PropertyInspector::nodesIn(const FormModel& model) const
{
    std::vector<std::uint32_t> nodes;
    if (&model == shownModel_.get()) {
        for (const std::uint32_t node : nodes_) {
            if (node < model.nodeCount())
                nodes.push_back(node);
        }
        return nodes;
    }
    // Objects have names unique in their form; one without a name cannot be found again.
    for (const std::string& name : names_) {
        if (name.empty())
            continue;
        for (const FormNode node : model.nodes()) {
            if (ascii::equalsIgnoringCase(node.name(), name)) {
                nodes.push_back(node.index());
                break;
            }
        }
    }
    return nodes;
}

FormCharacters PropertyInspector::characters() const
{
    const TextFormat& text = document_.formFormat().text;
    return {text.codePage, text.encoding == TextFormat::Encoding::Utf8};
}

void PropertyInspector::rebuild()
{
    ++generation_;
    const std::shared_ptr<const FormModel> model = document_.formModel();
    if (model != shownModel_) {
        nodes_ = model ? nodesIn(*model) : std::vector<std::uint32_t>();
        shownModel_ = model;
    }
    const QTreeWidgetItem* current = table_->currentItem();
    const QString currentName = current ? current->data(0, NameRole).toString() : QString();
    const int scrolled = table_->verticalScrollBar()->value();
    const bool focused = table_->isAncestorOf(QApplication::focusWidget()) || table_->hasFocus();

    table_->clear();
    properties_.reset();
    if (model && !nodes_.empty())
        properties_ = std::make_unique<InspectedProperties>(*model, nodes_, characters());
    heading_->setText(properties_ ? properties_->heading() : QStringLiteral("No object selected"));
    if (properties_) {
        for (const InspectedProperty& row : properties_->rows()) {
            auto* item = new QTreeWidgetItem(table_, {nameText(row.name)});
            item->setData(0, NameRole, nameText(row.name));
            QWidget* editor = editorFor(row);
            item->setSizeHint(1, editor->sizeHint());
            table_->setItemWidget(item, 1, editor);
            if (item->text(0).compare(currentName, Qt::CaseInsensitive) == 0)
                table_->setCurrentItem(item);
        }
    }
    table_->verticalScrollBar()->setValue(scrolled);
    if (focused)
        table_->setFocus();
    updateCommands();
}

void PropertyInspector::updateCommands()
{
    const bool shown = properties_ != nullptr;
    addAction_->setEnabled(shown);
    fontAction_->setEnabled(shown);
    deleteAction_->setEnabled(shown && !table_->selectedItems().isEmpty());
}

QWidget* PropertyInspector::editorFor(const InspectedProperty& row)
{
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // An editor's signal counts only while its rows are the ones shown and no edit is being
    // written: hiding it in a rebuild or behind an error box ends its editing too.
    const unsigned generation = generation_;
    const auto live = [this, generation] { return !writing_ && generation == generation_; };
    const auto addButton = [&](const QString& tip, const std::function<void()>& action) {
        auto* button = new QToolButton(box);
        button->setObjectName(QStringLiteral("ValueButton"));
        button->setText(QStringLiteral("..."));
        button->setToolTip(tip);
        connect(button, &QToolButton::clicked, this, [live, action] {
            if (live())
                action();
        });
        layout->addWidget(button);
    };
    const auto addLineEdit = [&](const QString& text) {
        auto* edit = new QLineEdit(text, box);
        edit->setObjectName(QStringLiteral("ValueEditor"));
        connect(edit, &QLineEdit::editingFinished, this, [this, live, row, edit] {
            if (live())
                commitTyped(row, edit->text());
        });
        layout->addWidget(edit, 1);
        return edit;
    };

    switch (row.editor) {
    case ValueEditor::CheckBox: {
        auto* check = new QCheckBox(box);
        check->setObjectName(QStringLiteral("ValueEditor"));
        if (row.same)
            check->setChecked(row.text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0);
        else
            check->setCheckState(Qt::PartiallyChecked);
        connect(check, &QCheckBox::clicked, this, [this, live, row, check] {
            if (!live())
                return;
            const QString value = check->checkState() == Qt::Checked ? QStringLiteral("True") : QStringLiteral("False");
            setValue(row.name, [value] { return QStringList{value}; });
        });
        layout->addWidget(check, 1);
        break;
    }
    case ValueEditor::Color:
    case ValueEditor::Identifier: {
        auto* combo = new QComboBox(box);
        combo->setObjectName(QStringLiteral("ValueEditor"));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(row.choices);
        combo->setEditText(row.text);
        const auto commit = [this, live, row, combo] {
            if (live())
                commitTyped(row, combo->currentText());
        };
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this, commit);
        connect(combo, &QComboBox::activated, this, commit);
        layout->addWidget(combo, 1);
        if (row.editor == ValueEditor::Color)
            addButton(QStringLiteral("Choose a colour"), [this, row] { editColor(row); });
        break;
    }
    case ValueEditor::Set:
        addLineEdit(row.text);
        addButton(QStringLiteral("Choose the members of the set"), [this, row] { editSet(row); });
        break;
    case ValueEditor::Number:
    case ValueEditor::Text:
    case ValueEditor::Typed:
        addLineEdit(row.text);
        break;
    case ValueEditor::LongText:
    case ValueEditor::StringList: {
        const QString summary = row.editor == ValueEditor::StringList
            ? QStringLiteral("(%1 lines)").arg(row.strings.size())
            : row.text.section(u'\n', 0, 0) + (row.text.contains(u'\n') ? QStringLiteral(" ...") : QString());
        auto* shown = new QLineEdit(row.same ? summary : QString(), box);
        shown->setObjectName(QStringLiteral("ValueEditor"));
        shown->setReadOnly(true);
        layout->addWidget(shown, 1);
        addButton(QStringLiteral("Edit the text, one line a line"), [this, row] { editLongText(row); });
        break;
    }
    case ValueEditor::ReadOnly: {
        auto* label = new QLabel(row.text, box);
        label->setObjectName(QStringLiteral("ValueEditor"));
        label->setEnabled(false);
        layout->addWidget(label, 1);
        break;
    }
    }
    if (!row.fontOwner.isEmpty())
        addButton(QStringLiteral("Choose the font"), [this, owner = row.fontOwner] { chooseFont(owner); });
    return box;
}

bool PropertyInspector::write(const PlanEdit& edit)
{
    if (writing_)
        return false;
    writing_ = true;
    bool written = false;
    runCommand(prompts_, [&] {
        const std::shared_ptr<const FormModel> model = document_.currentFormModel();
        const std::vector<std::uint32_t> nodes = nodesIn(*model);
        if (nodes.empty())
            throw FormEditError("The selected objects are no longer in the form.");
        const QTextDocument* page = document_.page(FormDocument::Page::Form);
        FormEditPlan plan(*model, [page](int line) { return page->findBlockByNumber(line).text(); });
        edit(*model, nodes, plan);
        document_.editFormText(plan.replacements());
        written = true;
    });
    writing_ = false;
    // A refused edit leaves the text as it was; the editors show it again.
    if (!written)
        refresh();
    return written;
}

void PropertyInspector::setValue(const std::string& name, const std::function<QStringList()>& value)
{
    write([&](const FormModel&, const std::vector<std::uint32_t>& nodes, FormEditPlan& plan) {
        const QStringList lines = value();
        for (const std::uint32_t node : nodes)
            plan.changeProperties(node, {{name, lines}});
    });
}

void PropertyInspector::commitTyped(const InspectedProperty& row, const QString& typed)
{
    if (typed == row.text || (!row.same && typed.isEmpty()))
        return;
    setValue(row.name, [this, row, typed] { return properties_->typedValue(row, typed); });
}

void PropertyInspector::editColor(const InspectedProperty& row)
{
    QColorDialog dialog(colorOfText(row.text), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompts_.exec(dialog) != QDialog::Accepted)
        return;
    const QColor color = dialog.currentColor();
    setValue(row.name, [color] { return InspectedProperties::colorValue(color); });
}

void PropertyInspector::editSet(const InspectedProperty& row)
{
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("SetMembers"));
    QStringList members = row.choices;
    for (const QString& member : row.strings) {
        if (!members.contains(member, Qt::CaseInsensitive))
            members.append(member);
    }
    for (const QString& member : members) {
        auto* item = new QListWidgetItem(member, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(row.strings.contains(member, Qt::CaseInsensitive) ? Qt::Checked : Qt::Unchecked);
    }
    const std::unique_ptr<QDialog> dialog(dialogAround(this, nameText(row.name), list));
    if (prompts_.exec(*dialog) != QDialog::Accepted)
        return;
    QStringList chosen;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            chosen.append(list->item(i)->text());
    }
    setValue(row.name, [chosen] { return ValueText::setValue(chosen); });
}

void PropertyInspector::editLongText(const InspectedProperty& row)
{
    auto* edit = new QPlainTextEdit;
    edit->setObjectName(QStringLiteral("ValueText"));
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setPlainText(row.editor == ValueEditor::StringList ? row.strings.join(u'\n') : row.text);
    const std::unique_ptr<QDialog> dialog(dialogAround(this, nameText(row.name), edit));
    dialog->resize(480, 320);
    if (prompts_.exec(*dialog) != QDialog::Accepted)
        return;
    const QString text = edit->toPlainText();
    if (row.editor == ValueEditor::StringList) {
        const QStringList strings = text.isEmpty() ? QStringList() : text.split(u'\n');
        setValue(row.name, [this, row, strings] { return properties_->stringListValue(row.name, strings); });
    } else {
        setValue(row.name, [this, row, text] { return properties_->textValue(row.name, text, row.crLf); });
    }
}

void PropertyInspector::addProperty()
{
    if (!properties_)
        return;
    auto* fields = new QWidget;
    auto* form = new QFormLayout(fields);
    auto* name = new QLineEdit(fields);
    name->setObjectName(QStringLiteral("PropertyName"));
    auto* value = new QLineEdit(fields);
    value->setObjectName(QStringLiteral("PropertyValue"));
    value->setToolTip(QStringLiteral("As form text writes it: 12, 'text', clRed, True, [akLeft, akTop]"));
    form->addRow(QStringLiteral("&Name:"), name);
    form->addRow(QStringLiteral("&Value:"), value);
    const std::unique_ptr<QDialog> dialog(dialogAround(this, QStringLiteral("Add property"), fields));
    if (prompts_.exec(*dialog) != QDialog::Accepted)
        return;
    const std::string property = name->text().trimmed().toStdString();
    const QString typed = value->text();
    setValue(property, [this, property, typed] { return properties_->addedValue(property, typed); });
}

void PropertyInspector::deleteSelectedProperties()
{
    std::vector<FormEditPlan::PropertyChange> removals;
    for (const QTreeWidgetItem* item : table_->selectedItems())
        removals.push_back({item->data(0, NameRole).toString().toStdString(), std::nullopt});
    if (removals.empty() || !properties_)
        return;
    write([&](const FormModel&, const std::vector<std::uint32_t>& nodes, FormEditPlan& plan) {
        for (const std::uint32_t node : nodes)
            plan.changeProperties(node, removals);
    });
}

void PropertyInspector::chooseFont(const QString& owner)
{
    if (!properties_)
        return;
    FontChoice shown;
    bool read = false;
    // The dialog starts from the first object's font.
    runCommand(prompts_, [&] {
        const std::shared_ptr<const FormModel> model = document_.currentFormModel();
        const std::vector<std::uint32_t> nodes = nodesIn(*model);
        if (nodes.empty())
            throw FormEditError("The selected objects are no longer in the form.");
        shown = InspectedProperties::fontOf(*model, nodes.front(), owner);
        read = true;
    });
    if (!read)
        return;
    FontDialog dialog(this, FontDialog::Families::All);
    dialog.setWindowTitle(owner);
    dialog.setChoice(shown.font, shown.color);
    if (prompts_.exec(dialog) != QDialog::Accepted)
        return;
    const FontChoice chosen{dialog.selectedFont(), dialog.selectedColor()};
    write([&](const FormModel& model, const std::vector<std::uint32_t>& nodes, FormEditPlan& plan) {
        for (const std::uint32_t node : nodes)
            plan.changeProperties(node, properties_->fontChanges(model, node, owner, shown, chosen));
    });
}

bool PropertyInspector::eventFilter(QObject* watched, QEvent* event)
{
    // Delete in the table itself deletes; in a row's editor it deletes characters.
    if (watched == table_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSelectedProperties();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace dfm
