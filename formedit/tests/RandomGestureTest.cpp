// Random gestures on every real form of the corpus, each on the text the one before left: the text
// still reads, and every object the gesture did not touch keeps its class and its properties.
#include "FormEditError.h"
#include "FormFiles.h"
#include "FormGestures.h"
#include "ValueText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>

namespace dfm {

namespace {

namespace fs = std::filesystem;

constexpr int GesturesPerForm = 5;

// Every form file below the corpus folder, units left out, in a fixed order.
std::vector<fs::path> corpusForms()
{
    std::vector<fs::path> forms;
    const std::set<std::string> extensions{".dfm", ".lfm", ".fmx", ".xfm"};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(DFM_CORPUS_DIR)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && extensions.count(extension))
            forms.push_back(entry.path());
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

// A seed of the file's name, the same on every run and every machine.
std::uint32_t seedOf(const std::string& name)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

// A form text and what is read and drawn from it.
struct FormState {
    QString text;
    QStringList lines;
    std::shared_ptr<const FormModel> model;
    std::shared_ptr<const FormDrawing> drawing;
};

// What a gesture may change: whole subtrees (moved, resized, removed objects), and objects that
// only received children.
struct Touched {
    std::set<std::uint32_t> subtrees;
    std::set<std::uint32_t> parents;
};

// A property as an untouched object must keep it: its text, name and value. A string's kind may
// change when the form's strings go through UTF-8 for a character of another edit.
struct PropertyText {
    std::string name;
    QString text;

    bool operator==(const PropertyText&) const = default;
};

struct ObjectText {
    std::string className;
    std::vector<PropertyText> properties;

    bool operator==(const ObjectText&) const = default;
};

QString spanText(const QStringList& lines, const TextSpan& span)
{
    QStringList parts;
    for (auto line = span.firstLine; line <= span.lastLine; ++line) {
        QString text = lines.value(static_cast<qsizetype>(line) - 1);
        if (line == span.lastLine)
            text.truncate(span.lastColumn);
        if (line == span.firstLine)
            text.remove(0, span.firstColumn - 1);
        parts << text;
    }
    return parts.join(u'\n');
}

// Objects by their path of names from the root; unnamed ones go by their class.
std::string pathOf(FormNode node)
{
    std::string path;
    for (std::optional<FormNode> n = node; n; n = n->parent())
        path = std::string(n->name().empty() ? n->className() : n->name()) + "/" + path;
    return path;
}

ObjectText objectText(FormNode node, const QStringList& lines)
{
    ObjectText object{std::string(node.className()), {}};
    for (FormProperty property : node.properties())
        object.properties.push_back({std::string(property.name()), spanText(lines, property.span())});
    return object;
}

std::multimap<std::string, ObjectText> objectsOf(const FormState& state)
{
    std::multimap<std::string, ObjectText> objects;
    for (FormNode node : state.model->nodes())
        objects.emplace(pathOf(node), objectText(node, state.lines));
    return objects;
}

bool isWithinAny(FormNode node, const std::set<std::uint32_t>& ancestors)
{
    for (std::optional<FormNode> n = node; n; n = n->parent()) {
        if (ancestors.count(n->index()))
            return true;
    }
    return false;
}

FormState stateOf(QString text, const FormFiles::FormFormat& format)
{
    FormState state;
    state.text = std::move(text);
    state.lines = state.text.split(u'\n');
    state.model = std::make_shared<const FormModel>(FormFiles::readFormModel(state.text, format));
    state.drawing = std::make_shared<const FormDrawing>(FormDrawing::build(state.model, CodePage::forNumber(format.text.codePage)));
    return state;
}

// Random gestures on one form; the random numbers are drawn in a fixed order.
class RandomGestures {
public:
    RandomGestures(const FormState& state, std::mt19937& random) : state_(state), random_(random) {}

    // Fills the plan with a random gesture, names it and tells what it touches.
    std::string make(FormGestures& gestures, FormEditPlan& plan, Touched& touched)
    {
        switch (number(0, 6)) {
        case 0: {
            const std::vector<int> objects = selection(touched);
            const QPoint delta = far() ? QPoint(number(-5000, 5000), number(-5000, 5000)) : QPoint(number(-40, 40), number(-40, 40));
            gestures.move(objects, delta);
            return "move by " + text(delta);
        }
        case 1: {
            const std::vector<int> objects = selection(touched);
            const int reach = far() ? 5000 : 40;
            const QMargins edges(number(-reach, reach), number(-reach, reach), number(-reach, reach), number(-reach, reach));
            gestures.resize(objects, edges);
            return "resize by " + std::to_string(edges.left()) + "," + std::to_string(edges.top()) + ","
                + std::to_string(edges.right()) + "," + std::to_string(edges.bottom());
        }
        case 2: {
            const std::vector<int> objects = selection(touched);
            const int container = someContainer(touched);
            const QPoint delta(number(-100, 100), number(-100, 100));
            gestures.moveInto(objects, container, delta);
            return "move into " + nameOf(container) + " by " + text(delta);
        }
        case 3:
            gestures.remove(selection(touched));
            return "remove";
        case 4: {
            // The palette's classes, and a component drawn as an icon.
            static const char* const classes[] = {"TLabel", "TEdit",  "TButton", "TCheckBox", "TRadioButton", "TListBox", "TComboBox",
                                                  "TMemo",  "TPanel", "TGroupBox", "TImage",  "TBevel",       "TTimer"};
            const std::string className = classes[number(0, static_cast<int>(std::size(classes)) - 1)];
            const QSize size = state_.drawing->size();
            const QPoint point(number(-20, size.width() + 20), number(-20, size.height() + 20));
            markParent(gestures.containerAt(point), touched);
            gestures.add(className, point);
            return "add " + className + " at " + text(point);
        }
        case 5: {
            Touched copied;
            const std::vector<int> objects = selection(copied);
            const int container = someContainer(touched);
            gestures.paste(gestures.copy(objects).join(u'\n'), container);
            return "copy and paste into " + nameOf(container);
        }
        default:
            return changeProperty(plan, touched);
        }
    }

private:
    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool far() { return number(0, 3) == 0; }
    static std::string text(QPoint point) { return std::to_string(point.x()) + "," + std::to_string(point.y()); }

    const std::vector<DrawnObject>& objects() const { return state_.drawing->objects(); }
    std::string nameOf(int object) const { return objects()[static_cast<std::size_t>(object)].name; }

    // One to three objects of the form's own text, the form itself now and then among them.
    std::vector<int> selection(Touched& touched)
    {
        std::vector<int> chosen;
        const int count = number(1, 3);
        for (int i = 0; i < count; ++i) {
            const int object = number(0, static_cast<int>(objects().size()) - 1);
            chosen.push_back(object);
            // The form itself only changes its own properties.
            const std::uint32_t node = objects()[static_cast<std::size_t>(object)].node;
            if (node == 0)
                touched.parents.insert(node);
            else if (node != DrawnObject::NoNode)
                touched.subtrees.insert(node);
        }
        return chosen;
    }

    int someContainer(Touched& touched)
    {
        std::vector<int> containers;
        for (std::size_t i = 0; i < objects().size(); ++i) {
            if (i == 0 || ControlClasses::isContainer(objects()[i].kind))
                containers.push_back(static_cast<int>(i));
        }
        const int container = containers[static_cast<std::size_t>(number(0, static_cast<int>(containers.size()) - 1))];
        markParent(container, touched);
        return container;
    }

    void markParent(int object, Touched& touched) const
    {
        if (object >= 0 && objects()[static_cast<std::size_t>(object)].node != DrawnObject::NoNode)
            touched.parents.insert(objects()[static_cast<std::size_t>(object)].node);
    }

    // A value of the property's kind: one that another property of the same name in the form
    // holds, else one made up.
    std::optional<QStringList> valueLike(FormProperty property)
    {
        const FormValue value = property.value();
        if (value.isInteger())
            return ValueText::integerValue(number(-1000, 100000));
        if (value.isFloat())
            return ValueText::numberValue(QString::number(number(-999, 999)) + ".25", property.name());
        if (value.isString()) {
            static const QString letters = QStringLiteral("ab Z'#\t\u00e9\u20ac\u4e2d");
            QString typed;
            for (int n = number(0, 12); n > 0; --n)
                typed += letters[number(0, static_cast<int>(letters.size()) - 1)];
            return ValueText::stringValue(typed);
        }
        switch (value.kind()) {
        case ValueTag::False:
        case ValueTag::True:
            return ValueText::identifierValue(number(0, 1) ? QStringLiteral("True") : QStringLiteral("False"));
        case ValueTag::Identifier: {
            std::vector<QString> seen{QString::fromStdString(value.text())};
            for (FormNode node : state_.model->nodes()) {
                if (const auto same = node.findProperty(property.name()); same && same->value().kind() == ValueTag::Identifier)
                    seen.push_back(QString::fromStdString(same->value().text()));
            }
            return ValueText::identifierValue(seen[static_cast<std::size_t>(number(0, static_cast<int>(seen.size()) - 1))]);
        }
        case ValueTag::Set: {
            QStringList kept;
            for (const std::string_view element : value.setElements()) {
                if (number(0, 1))
                    kept << QString::fromUtf8(element.data(), static_cast<qsizetype>(element.size()));
            }
            return ValueText::setValue(kept);
        }
        case ValueTag::List:
            return ValueText::stringListValue({QStringLiteral("one"), QStringLiteral("two\u00e9")});
        default:
            return std::nullopt;
        }
    }

    std::string changeProperty(FormEditPlan& plan, Touched& touched)
    {
        const int object = number(0, static_cast<int>(objects().size()) - 1);
        const std::uint32_t node = objects()[static_cast<std::size_t>(object)].node;
        if (node == DrawnObject::NoNode)
            return "no property change";
        touched.parents.insert(node);
        const auto properties = FormNode::at(*state_.model, node).properties();
        const auto count = static_cast<int>(std::distance(properties.begin(), properties.end()));
        if (count == 0)
            return "no property change";
        auto property = properties.begin();
        std::advance(property, number(0, count - 1));
        const FormProperty chosen = *property;
        std::optional<QStringList> value = valueLike(chosen);
        if (!value)
            return "no property change";
        plan.changeProperties(node, {{std::string(chosen.name()), value}});
        return "change " + nameOf(object) + "." + std::string(chosen.name()) + " to " + value->join(u' ').toStdString();
    }

    const FormState& state_;
    std::mt19937& random_;
};

// The objects the gesture did not touch, each found again with its class and properties.
void expectUntouchedKept(const FormState& before, const FormState& after, const Touched& touched, const std::string& where)
{
    const std::multimap<std::string, ObjectText> objectsAfter = objectsOf(after);
    for (FormNode node : before.model->nodes()) {
        if (isWithinAny(node, touched.subtrees) || touched.parents.count(node.index()))
            continue;
        const std::string path = pathOf(node);
        const ObjectText kept = objectText(node, before.lines);
        const auto [first, last] = objectsAfter.equal_range(path);
        const bool found = std::any_of(first, last, [&](const auto& entry) { return entry.second == kept; });
        EXPECT_TRUE(found) << where << ": " << path << " lost its class or properties";
    }
}

void checkForm(const fs::path& path)
{
    const std::string name = path.lexically_relative(DFM_CORPUS_DIR).string();
    FormFiles::Loaded loaded;
    FormState state;
    try {
        loaded = FormFiles::load(QString::fromStdString(path.string()));
        state = stateOf(loaded.formText, loaded.formFormat);
    } catch (const std::exception& error) {
        ADD_FAILURE() << name << " does not open: " << error.what();
        return;
    }
    std::mt19937 random(seedOf(name));
    for (int step = 1; step <= GesturesPerForm; ++step) {
        FormEditPlan plan(*state.model, [&state](int line) { return state.lines.value(line); });
        FormGestures gestures(*state.drawing, plan);
        Touched touched;
        std::string gesture = "gesture";
        TextReplacements replacements;
        try {
            gesture = RandomGestures(state, random).make(gestures, plan, touched);
            replacements = plan.replacements();
        } catch (const FormEditError&) {
            // A refused gesture leaves the text as it was.
            continue;
        }
        const std::string where = name + ", gesture " + std::to_string(step) + " (" + gesture + ")";
        FormState next;
        try {
            next = stateOf(replaced(state.text, replacements), loaded.formFormat);
        } catch (const std::exception& error) {
            ADD_FAILURE() << where << ": the edited text does not read: " << error.what();
            return;
        }
        expectUntouchedKept(state, next, touched, where);
        state = std::move(next);
    }
}

}  // namespace

TEST(RandomGestures, EveryCorpusFormKeepsWhatAGestureDoesNotTouch)
{
    const std::vector<fs::path> forms = corpusForms();
    EXPECT_GT(forms.size(), 400u) << "the corpus of real forms is missing or short in " << DFM_CORPUS_DIR;
    for (const fs::path& form : forms)
        checkForm(form);
}

}  // namespace dfm
