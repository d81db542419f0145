#include "CollectionItem.h"

#include "FormModel.h"

namespace dfm {

std::optional<FormValue> CollectionItem::order() const
{
    const std::uint32_t offset = model_->items_[index_].offset;
    if (model_->arena_[offset] == List)
        return std::nullopt;
    return FormValue(*model_, offset, NoIndex);
}

ModelRange<FormProperty> CollectionItem::properties() const
{
    const ItemRecord& item = model_->items_[index_];
    return {*model_, item.firstProperty, item.firstProperty + item.propertyCount};
}

std::optional<FormProperty> CollectionItem::findProperty(std::string_view name) const
{
    return dfm::findProperty(properties(), name);
}

}  // namespace dfm
