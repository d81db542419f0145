#include "FormUnitCheck.h"

#include "FormComponentList.h"
#include "PascalUnitScanner.h"

#include <algorithm>
#include <deque>
#include <tuple>

namespace dfm {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return ascii::equalsIgnoringCase(a, b);
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
                              std::deque<PascalUnit>& others)
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
                const PascalUnit& read = others.emplace_back(PascalUnitScanner::scan(*text));
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

}  // namespace

FormUnitCheck::FormUnitCheck(std::vector<std::string> ignoredClasses) : ignoredClasses_(std::move(ignoredClasses)) {}

bool FormUnitCheck::ignored(std::string_view className) const
{
    return std::any_of(ignoredClasses_.begin(), ignoredClasses_.end(),
                       [&](const std::string& name) { return sameName(name, className); });
}

std::vector<LintProblem> FormUnitCheck::run(std::string_view formText, TextEncoding formEncoding,
                                            std::string_view unitText, const AncestorUnits& ancestors) const
{
    using File = LintProblem::File;
    const FormComponentList form = FormComponentList::read(formText, formEncoding);
    if (!form.error.empty())
        return {{File::Form, form.errorLine, form.error}};
    const FormComponent& root = form.components.front();
    if (ignored(root.className))
        return {};
    const PascalUnit unit = PascalUnitScanner::scan(unitText);
    if (!unit.error.empty())
        return {{File::Unit, unit.errorLine, unit.error}};
    const PascalClass* declared = unit.findClass(root.className);
    if (declared == nullptr)
        return {{File::Form, root.line, "class " + root.className + " is not declared in the unit"}};

    std::deque<PascalUnit> others;
    const std::vector<Ancestor> chain = lineage(unit, *declared, ancestors, others);
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

    std::vector<LintProblem> problems;
    for (std::size_t i = 1; i < form.components.size(); ++i) {
        const FormComponent& c = form.components[i];
        if (c.name.empty() || c.inFrame || c.kind == FormComponent::Kind::Inherited || ignored(c.className))
            continue;
        if (fieldOf(c.name) == nullptr)
            problems.push_back({File::Form, c.line,
                                "component " + c.name + ": " + c.className + " has no field in class " + declared->name});
    }
    for (const PascalField& field : declared->fields) {
        if (!field.published || field.typeName.empty() || ignored(field.typeName))
            continue;
        const bool named = std::any_of(form.components.begin() + 1, form.components.end(), [&](const FormComponent& c) {
            return !c.inFrame && sameName(c.name, field.name);
        });
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
            if (!ancestorUnknown)
                problems.push_back({File::Form, event.line,
                                    what + "method " + event.method + " is not declared in class " + declared->name});
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
