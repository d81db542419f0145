#include "FormNode.h"

#include "FormModel.h"

namespace dfm {

namespace {

std::string_view nameAt(const std::vector<unsigned char>& arena, std::size_t offset)
{
    return {reinterpret_cast<const char*>(arena.data() + offset + 1), arena[offset]};
}

}  // namespace

unsigned FormNode::flags() const
{
    const unsigned char first = model_->arena_[model_->nodes_[index_].start];
    return first >= ObjectPrefixTag ? first & 0x0Fu : 0;
}

std::optional<FormValue> FormNode::order() const
{
    if ((flags() & ObjectFlag::HasPosition) == 0)
        return std::nullopt;
    return FormValue(*model_, model_->nodes_[index_].start + 1, NoIndex);
}

std::string_view FormNode::name() const
{
    const std::size_t classOffset = model_->nodes_[index_].classOffset;
    return nameAt(model_->arena_, classOffset + 1 + model_->arena_[classOffset]);
}

std::string_view FormNode::className() const
{
    return nameAt(model_->arena_, model_->nodes_[index_].classOffset);
}

std::optional<FormNode> FormNode::parent() const
{
    const std::uint32_t parent = model_->nodes_[index_].parent;
    if (parent == NoIndex)
        return std::nullopt;
    return FormNode(*model_, parent);
}

ModelRange<FormNode> FormNode::children() const
{
    return {*model_, index_ + 1, model_->nodes_[index_].subtreeEnd};
}

ModelRange<FormProperty> FormNode::properties() const
{
    const NodeRecord& node = model_->nodes_[index_];
    return {*model_, node.firstProperty, node.firstProperty + node.propertyCount};
}

std::optional<FormProperty> FormNode::findProperty(std::string_view name) const
{
    return dfm::findProperty(properties(), name);
}

TextSpan FormNode::span() const
{
    return model_->hasSpans() ? model_->nodeSpans_[index_] : TextSpan{};
}

std::uint32_t FormNode::nextIndex(const FormModel& model, std::uint32_t index)
{
    return model.nodes_[index].subtreeEnd;
}

}  // namespace dfm
