// An item of a collection value: its optional order ("item [n]") and its properties.
#pragma once

#include "FormProperty.h"
#include "ModelRange.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace dfm {

class CollectionItem {
public:
    CollectionItem(const FormModel& model, std::uint32_t index) : model_(&model), index_(index) {}

    // The order value, in the width it is stored in.
    std::optional<FormValue> order() const;
    ModelRange<FormProperty> properties() const;
    std::optional<FormProperty> findProperty(std::string_view name) const;

    static CollectionItem at(const FormModel& model, std::uint32_t index) { return {model, index}; }
    static std::uint32_t nextIndex(const FormModel&, std::uint32_t index) { return index + 1; }

private:
    const FormModel* model_;
    std::uint32_t index_;
};

}  // namespace dfm
