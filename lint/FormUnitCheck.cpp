#include "FormUnitCheck.h"

#include "FormComponentList.h"
#include "PascalUnitScanner.h"

#include <algorithm>
#include <tuple>

namespace dfm {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return ascii::equalsIgnoringCase(a, b);
}

// The class and its ancestors as far as the unit declares them, the class first.
std::vector<const PascalClass*> lineage(const PascalUnit& unit, const PascalClass& start)
{
    std::vector<const PascalClass*> chain{&start};
    for (const PascalClass* next = unit.findClass(start.ancestor); next != nullptr; next = unit.findClass(next->ancestor)) {
        // A unit that declares a class its own ancestor does not compile; it must not loop here.
        if (std::find(chain.begin(), chain.end(), next) != chain.end())
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
                                            std::string_view unitText) const
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

    const std::vector<const PascalClass*> chain = lineage(unit, *declared);
    // An inherited form's ancestor has a form and a unit of its own, which may hold the handlers.
    const bool ancestorElsewhere = root.kind == FormComponent::Kind::Inherited && !chain.back()->ancestor.empty();
    const auto fieldOf = [&](std::string_view name) -> const PascalField* {
        for (const PascalClass* c : chain) {
            if (const PascalField* f = c->field(name))
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
        const PascalClass* owner = nullptr;
        const PascalMethod* method = nullptr;
        for (const PascalClass* c : chain) {
            if ((method = c->method(event.method)) != nullptr) {
                owner = c;
                break;
            }
        }
        if (method == nullptr) {
            if (!ancestorElsewhere)
                problems.push_back({File::Form, event.line,
                                    what + "method " + event.method + " is not declared in class " + declared->name});
        } else if (!unit.hasBody(owner->name, method->name)) {
            problems.push_back({File::Form, event.line,
                                what + "method " + owner->name + "." + method->name + " has no implementation in the unit"});
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
