#include "FormComponentList.h"

#include "CollectionItem.h"
#include "Errors.h"
#include "FormModel.h"
#include "MemoryStream.h"
#include "NameCase.h"

#include <algorithm>
#include <optional>

namespace dfm {

namespace {

// "OnClick", "OnKeyDown": "On" and a capital. Values such as True of a property that only looks
// like one ("OnTop = True") name no method.
bool isEventProperty(std::string_view name, std::string_view value)
{
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    if (name.size() < 3 || name[0] != 'O' || name[1] != 'n' || name[2] < 'A' || name[2] > 'Z')
        return false;
    return !ascii::equalsIgnoringCase(value, "True") && !ascii::equalsIgnoringCase(value, "False")
        && !ascii::equalsIgnoringCase(value, "nil");
}

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return ascii::equalsIgnoringCase(name, n); });
}

// Properties only a control has: a component that is not drawn has at most Left and Top, the
// place of its icon in the designer.
bool isSizeProperty(std::string_view name)
{
    return isOneOf(name, {"Width", "Height", "ClientWidth", "ClientHeight", "Size.Width", "Size.Height", "Position.X",
                          "Position.Y", "Align"});
}

bool isPlaceProperty(std::string_view name)
{
    return isOneOf(name, {"Left", "Top", "Width", "Height", "Size.Width", "Size.Height", "Position.X", "Position.Y"});
}

// Only a symbol names a method: the converter takes ".Owner" as an identifier as well.
bool namesMethod(const FormValue& value)
{
    return value.kind() == Identifier && !value.bytes().empty() && value.bytes()[0] != '.';
}

// The events of an object's properties and of the items of its collections, at any depth, in
// text order: a property's own event, then those inside its value.
void addEvents(const ModelRange<FormProperty>& properties, std::size_t component, const CodePage& page,
               FormComponentList& list)
{
    struct Step {
        std::optional<FormProperty> property;  // a list's element has none
        FormValue value;
    };
    std::vector<Step> pending;
    const auto pushInOrder = [&pending](std::size_t from) {
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(from), pending.end());
    };
    for (const FormProperty property : properties)
        pending.push_back({property, property.value()});
    pushInOrder(0);
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        if (step.property && namesMethod(step.value) && isEventProperty(step.property->name(), step.value.text()))
            list.events.push_back({std::string(step.property->name()), nameAsUtf8(step.value.text(), page),
                                   static_cast<int>(step.property->span().firstLine), component});
        const std::size_t from = pending.size();
        for (const FormValue element : step.value.elements())
            pending.push_back({std::nullopt, element});
        for (const CollectionItem item : step.value.items()) {
            for (const FormProperty property : item.properties())
                pending.push_back({property, property.value()});
        }
        pushInOrder(from);
    }
}

FormComponent::Kind kindOf(const FormNode& node)
{
    if (node.isInherited())
        return FormComponent::Kind::Inherited;
    return node.isInline() ? FormComponent::Kind::Inline : FormComponent::Kind::Object;
}

}  // namespace

FormComponentList FormComponentList::read(std::string_view text, TextEncoding encoding, const CodePage& page)
{
    FormComponentList list;
    MemoryStream input(text);
    try {
        const FormModel model = FormModel::readText(input, encoding);
        // Whether the objects in each one belong to a frame: the root's own objects are the
        // form's even when the root is a frame's text.
        std::vector<bool> childrenInFrame(model.nodeCount());
        for (const FormNode node : model.nodes()) {
            const auto parent = node.parent();
            FormComponent component;
            component.kind = kindOf(node);
            component.name = nameAsUtf8(node.name(), page);
            component.className = nameAsUtf8(node.className(), page);
            component.line = static_cast<int>(node.span().firstLine);
            component.parent = parent ? parent->index() : 0;
            component.inFrame = parent && childrenInFrame[parent->index()];
            childrenInFrame[node.index()] = component.inFrame || (node.isInline() && parent);
            for (const FormProperty property : node.properties()) {
                component.sized = component.sized || isSizeProperty(property.name());
                component.placed = component.placed || isPlaceProperty(property.name());
            }
            list.components.push_back(std::move(component));
            addEvents(node.properties(), node.index(), page, list);
        }
    } catch (const ParserError& error) {
        // The line is given apart; the message need not repeat it.
        list.error = error.what();
        const std::string suffix = " à la ligne " + std::to_string(error.line());
        if (list.error.ends_with(suffix))
            list.error.resize(list.error.size() - suffix.size());
        list.errorLine = error.line();
    } catch (const FormError& error) {
        list.error = error.what();
        list.errorLine = 1;
    }
    return list;
}

}  // namespace dfm
