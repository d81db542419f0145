// An object of a form model: its kind (object, inherited, inline), name, class, order, properties
// and child objects.
#pragma once

#include "FormProperty.h"
#include "ModelRange.h"
#include "TextSpan.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace dfm {

class FormNode {
public:
    FormNode(const FormModel& model, std::uint32_t index) : model_(&model), index_(index) {}

    // In document order: the root is 0.
    std::uint32_t index() const { return index_; }
    // The flags of the object prefix (ObjectFlag), 0 without one.
    unsigned flags() const;
    bool isInherited() const { return (flags() & ObjectFlag::Inherited) != 0; }
    bool isInline() const { return (flags() & ObjectFlag::Inline) != 0; }
    // The "[n]" after the class, in the width it is stored in.
    std::optional<FormValue> order() const;
    // Empty for an object without a name.
    std::string_view name() const;
    std::string_view className() const;
    std::optional<FormNode> parent() const;
    ModelRange<FormNode> children() const;
    ModelRange<FormProperty> properties() const;
    std::optional<FormProperty> findProperty(std::string_view name) const;
    // From its keyword ("object", "inherited", "inline") to its "end".
    TextSpan span() const;

    static FormNode at(const FormModel& model, std::uint32_t index) { return {model, index}; }
    // The next sibling, past this node's subtree.
    static std::uint32_t nextIndex(const FormModel& model, std::uint32_t index);
    // Every node in turn, children before the next sibling.
    struct DocumentOrder {
        static std::uint32_t nextIndex(const FormModel&, std::uint32_t index) { return index + 1; }
    };

private:
    const FormModel* model_;
    std::uint32_t index_;
};

}  // namespace dfm
