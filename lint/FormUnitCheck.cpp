#include "FormUnitCheck.h"

#include "FormComponentList.h"
#include "NameCase.h"
#include "PascalUnitScanner.h"

#include <algorithm>
#include <deque>
#include <tuple>

namespace dfm {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return sameNameIgnoringCase(a, b);
}

// The form classes of the framework, from which a form's own classes descend: a lineage that
// reaches one is known whole.
bool isFrameworkBase(std::string_view name)
{
    constexpr std::string_view Bases[] = {"TForm", "TFrame", "TDataModule", "TCustomForm", "TCustomFrame"};
    return std::any_of(std::begin(Bases), std::end(Bases), [&](std::string_view base) { return sameName(base, name); });
}

// A class of the lineage and the unit that declares it, where its method bodies are.
struct Ancestor {
    const PascalClass* declared;
    const PascalUnit* unit;
};

// The class and its ancestors as far as the form's unit, then the other units found, declare
// them, the class first. Units read for ancestors are kept in others.
std::vector<Ancestor> lineage(const PascalUnit& unit, const PascalClass& start, const AncestorUnits& ancestors,
                              std::deque<PascalUnit>& others, const CodePage& page)
{
    // Deeper than any real hierarchy of forms; a unit that names its own class as an ancestor
    // must not loop here.
    constexpr std::size_t MostAncestors = 32;
    std::vector<Ancestor> chain{{&start, &unit}};
    while (chain.size() < MostAncestors && !chain.back().declared->ancestor.empty()) {
        const std::string& name = chain.back().declared->ancestor;
        Ancestor next{unit.findClass(name), &unit};
        for (std::size_t i = 0; next.declared == nullptr && i < others.size(); ++i)
            next = {others[i].findClass(name), &others[i]};
        if (next.declared == nullptr && ancestors && !isFrameworkBase(name)) {
            if (std::optional<std::string> text = ancestors(name)) {
                const PascalUnit& read = others.emplace_back(PascalUnitScanner::scan(*text, page));
                next = {read.findClass(name), &read};
            }
        }
        if (next.declared == nullptr
            || std::any_of(chain.begin(), chain.end(), [&](const Ancestor& a) { return a.declared == next.declared; }))
            break;
        chain.push_back(next);
    }
    return chain;
}

// The method bodies of the files the unit includes, and of the files they include, are the unit's.
void addIncludedBodies(PascalUnit& unit, const IncludeFiles& includes, const CodePage& page)
{
    // More than any real unit has; a file that includes itself must not loop.
    constexpr std::size_t MostIncludes = 64;
    std::deque<std::string> pending(unit.includes.begin(), unit.includes.end());
    std::vector<std::string> read;
    while (!pending.empty() && read.size() < MostIncludes) {
        const std::string name = std::move(pending.front());
        pending.pop_front();
        if (std::any_of(read.begin(), read.end(), [&](const std::string& done) { return sameName(done, name); }))
            continue;
        read.push_back(name);
        if (const std::optional<std::string> text = includes(name)) {
            const PascalUnit part = PascalUnitScanner::scan(*text, page);
            unit.bodies.insert(unit.bodies.end(), part.bodies.begin(), part.bodies.end());
            pending.insert(pending.end(), part.includes.begin(), part.includes.end());
        }
    }
}

// The objects that a component which is not drawn on the form lays out itself, as a report its
// pages, its bands and what is on them: they are the component's own, and the form's class has
// no fields for them. Such a component is one of the form's own (not inherited, not a frame's),
// directly in the root, with a field and without a size of its own; none of the objects in it
// has a field of its name and class; and some of them have a place of their own, which menu
// items, actions and a data set's fields never have, so that their fields, should all of them be
// missing, are still reported.
template <typename FieldOf>
std::vector<bool> ownedByComponents(const std::vector<FormComponent>& components, const FieldOf& fieldOf)
{
    std::vector<bool> owned(components.size(), false);
    for (std::size_t i = 1; i < components.size(); ++i) {
        const FormComponent& c = components[i];
        if (c.parent != 0 || c.kind != FormComponent::Kind::Object || c.sized || c.name.empty()
            || fieldOf(c.name) == nullptr)
            continue;
        // The objects in it follow it in text order.
        std::size_t end = i + 1;
        bool anyField = false;
        bool anyPlaced = false;
        for (; end < components.size() && components[end].parent >= i; ++end) {
            const FormComponent& inner = components[end];
            const PascalField* field = inner.name.empty() ? nullptr : fieldOf(inner.name);
            anyField = anyField || (field != nullptr && (field->typeName.empty() || sameName(field->typeName, inner.className)));
            anyPlaced = anyPlaced || inner.placed;
        }
        if (!anyField && anyPlaced)
            std::fill(owned.begin() + static_cast<std::ptrdiff_t>(i) + 1, owned.begin() + static_cast<std::ptrdiff_t>(end), true);
    }
    return owned;
}

// "DigitalOptions.OnColor = clYellow": a property named like an event whose value names no method
// and is spelt as a constant is (a lower-case prefix, then a capital: clYellow, crHandPoint) is a
// value. A name that starts with the name of one of the form's components (btnOkClick), ends with
// the event's own name (OnClick = doClick) or has a body in the unit is a handler all the same.
bool isValueNotHandler(const FormEvent& event, const std::vector<FormComponent>& components, const PascalUnit& unit,
                       std::string_view className)
{
    const std::string_view value = event.method;
    if (!std::all_of(value.begin(), value.end(), [](char c) { return ascii::isIdentChar(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80; }))
        return false;
    std::size_t prefix = 0;
    while (prefix < value.size() && value[prefix] >= 'a' && value[prefix] <= 'z')
        ++prefix;
    if (prefix == 0 || prefix == value.size() || value[prefix] < 'A' || value[prefix] > 'Z')
        return false;
    std::string_view eventName = event.property;
    eventName.remove_prefix(eventName.rfind('.') == std::string_view::npos ? 2 : eventName.rfind('.') + 3);
    if (value.size() > eventName.size() && ascii::equalsIgnoringCase(value.substr(value.size() - eventName.size()), eventName))
        return false;
    const bool startsWithComponent = std::any_of(components.begin(), components.end(), [&](const FormComponent& c) {
        return !c.name.empty() && c.name.size() < value.size() && sameName(value.substr(0, c.name.size()), c.name);
    });
    return !startsWithComponent && !unit.hasBody(className, value);
}

const char* visibilityName(Visibility visibility)
{
    switch (visibility) {
    case Visibility::Private:
        return "private";
    case Visibility::Protected:
        return "protected";
    case Visibility::Public:
        return "public";
    case Visibility::Published:
        break;
    }
    return "published";
}

}  // namespace

FormUnitCheck::FormUnitCheck(std::vector<std::string> ignoredClasses, int codePage)
    : ignoredClasses_(std::move(ignoredClasses)), page_(CodePage::forNumber(codePage))
{
}

bool FormUnitCheck::ignored(std::string_view className) const
{
    return std::any_of(ignoredClasses_.begin(), ignoredClasses_.end(),
                       [&](const std::string& name) { return sameName(name, className); });
}

std::vector<LintProblem> FormUnitCheck::run(std::string_view formText, TextEncoding formEncoding,
                                            std::string_view unitText, const AncestorUnits& ancestors,
                                            const IncludeFiles& includes) const
{
    using File = LintProblem::File;
    const FormComponentList form = FormComponentList::read(formText, formEncoding, page_);
    if (!form.error.empty())
        return {{File::Form, form.errorLine, form.error}};
    const FormComponent& root = form.components.front();
    if (ignored(root.className))
        return {};
    PascalUnit unit = PascalUnitScanner::scan(unitText, page_);
    if (!unit.error.empty())
        return {{File::Unit, unit.errorLine, unit.error}};
    const PascalClass* declared = unit.findClass(root.className);
    if (declared == nullptr)
        return {{File::Form, root.line, "class " + root.className + " is not declared in the unit"}};
    if (includes)
        addIncludedBodies(unit, includes, page_);

    std::deque<PascalUnit> others;
    const std::vector<Ancestor> chain = lineage(unit, *declared, ancestors, others, page_);
    // An inherited form's ancestor has a form and a unit of its own, which may hold the handlers:
    // unless its lineage is known down to the framework's form, a handler may be declared there.
    const std::string& deepest = chain.back().declared->ancestor;
    const bool ancestorUnknown =
        root.kind == FormComponent::Kind::Inherited && !deepest.empty() && !isFrameworkBase(deepest);
    const auto fieldOf = [&](std::string_view name) -> const PascalField* {
        for (const Ancestor& a : chain) {
            if (const PascalField* f = a.declared->field(name))
                return f;
        }
        return nullptr;
    };
    const std::vector<bool> owned = ownedByComponents(form.components, fieldOf);

    std::vector<LintProblem> problems;
    for (std::size_t i = 1; i < form.components.size(); ++i) {
        const FormComponent& c = form.components[i];
        if (c.name.empty() || c.inFrame || owned[i] || c.kind == FormComponent::Kind::Inherited || ignored(c.className))
            continue;
        const std::string what = "component " + c.name + ": " + c.className;
        const PascalField* field = fieldOf(c.name);
        if (field == nullptr)
            problems.push_back({File::Form, c.line, what + " has no field in class " + declared->name});
        else if (field->visibility != Visibility::Published)
            problems.push_back({File::Form, c.line,
                                what + ": its field in class " + declared->name + " is " + visibilityName(field->visibility)
                                    + ", so the form never sets it (component fields must be published)"});
    }
    for (const PascalField& field : declared->fields) {
        if (field.visibility != Visibility::Published || field.typeName.empty() || ignored(field.typeName))
            continue;
        bool named = false;
        for (std::size_t i = 1; i < form.components.size() && !named; ++i)
            named = !form.components[i].inFrame && !owned[i] && sameName(form.components[i].name, field.name);
        if (!named)
            problems.push_back({File::Unit, field.line,
                                "field " + field.name + ": " + field.typeName + " has no component in the form"});
    }
    for (const FormEvent& event : form.events) {
        if (ignored(form.components[event.component].className))
            continue;
        const std::string what = event.property + " = " + event.method + ": ";
        const Ancestor* owner = nullptr;
        const PascalMethod* method = nullptr;
        for (const Ancestor& a : chain) {
            if ((method = a.declared->method(event.method)) != nullptr) {
                owner = &a;
                break;
            }
        }
        if (method == nullptr) {
            if (!ancestorUnknown && !isValueNotHandler(event, form.components, unit, declared->name))
                problems.push_back({File::Form, event.line,
                                    what + "method " + event.method + " is not declared in class " + declared->name});
        } else if (method->visibility != Visibility::Published) {
            problems.push_back({File::Form, event.line,
                                what + "method " + owner->declared->name + "." + method->name + " is "
                                    + visibilityName(method->visibility)
                                    + ", so the form does not load (handlers must be published)"});
        } else if (!owner->unit->hasBody(owner->declared->name, method->name)) {
            // A body missing from another unit is that unit's problem, found when its own form is.
            if (owner->unit == &unit)
                problems.push_back({File::Form, event.line,
                                    what + "method " + owner->declared->name + "." + method->name
                                        + " has no implementation in the unit"});
        }
    }
    std::stable_sort(problems.begin(), problems.end(), [](const LintProblem& a, const LintProblem& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    return problems;
}

std::vector<std::string> parseClassList(std::string_view text)
{
    std::vector<std::string> names;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ')
            line.remove_prefix(1);
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            names.emplace_back(line);
    }
    return names;
}

}  // namespace dfm
