#include "FormProperty.h"

#include "AsciiText.h"
#include "FormModel.h"

namespace dfm {

std::string_view FormProperty::name() const
{
    const std::size_t offset = model_->properties_[index_].nameOffset;
    return {reinterpret_cast<const char*>(model_->arena_.data() + offset + 1), model_->arena_[offset]};
}

FormValue FormProperty::value() const
{
    const PropertyRecord& property = model_->properties_[index_];
    return {*model_, property.nameOffset + 1u + model_->arena_[property.nameOffset], property.range};
}

TextSpan FormProperty::span() const
{
    return model_->hasSpans() ? model_->propertySpans_[index_] : TextSpan{};
}

std::optional<FormProperty> findProperty(const ModelRange<FormProperty>& properties, std::string_view name)
{
    for (const FormProperty property : properties) {
        if (ascii::equalsIgnoringCase(property.name(), name))
            return property;
    }
    return std::nullopt;
}

}  // namespace dfm
