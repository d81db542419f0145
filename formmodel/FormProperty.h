// A property of a node or collection item: its name, its value and, read from text, its span.
#pragma once

#include "FormValue.h"
#include "ModelRange.h"
#include "TextSpan.h"

#include <cstdint>
#include <string_view>

namespace dfm {

class FormProperty {
public:
    FormProperty(const FormModel& model, std::uint32_t index) : model_(&model), index_(index) {}

    std::uint32_t index() const { return index_; }
    // The name as stored, parts joined by dots ("Font.Name").
    std::string_view name() const;
    FormValue value() const;
    // From its name to the end of its value.
    TextSpan span() const;

    static FormProperty at(const FormModel& model, std::uint32_t index) { return {model, index}; }
    static std::uint32_t nextIndex(const FormModel&, std::uint32_t index) { return index + 1; }

private:
    const FormModel* model_;
    std::uint32_t index_;
};

// The property of properties whose name equals name, ignoring ASCII case as forms do.
std::optional<FormProperty> findProperty(const ModelRange<FormProperty>& properties, std::string_view name);

}  // namespace dfm
