// A range of a model's nodes, properties, values or items, iterated by index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace dfm {

class FormModel;

// Handle provides at(model, index); Order provides nextIndex(model, index), the index after one
// (Handle's own: the next sibling's).
template <typename Handle, typename Order = Handle>
class ModelRange {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Handle;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Handle;

        Iterator() = default;
        Iterator(const FormModel* model, std::uint32_t index) : model_(model), index_(index) {}
        Handle operator*() const { return Handle::at(*model_, index_); }
        Iterator& operator++()
        {
            index_ = Order::nextIndex(*model_, index_);
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

    private:
        const FormModel* model_ = nullptr;
        std::uint32_t index_ = 0;
    };

    ModelRange(const FormModel& model, std::uint32_t first, std::uint32_t end) : model_(&model), first_(first), end_(end) {}

    Iterator begin() const { return {model_, first_}; }
    Iterator end() const { return {model_, end_}; }
    bool empty() const { return first_ == end_; }
    std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

private:
    const FormModel* model_;
    std::uint32_t first_;
    std::uint32_t end_;
};

}  // namespace dfm
