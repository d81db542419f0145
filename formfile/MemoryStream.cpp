#include "MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace dfm {

MemoryStream::MemoryStream(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}

std::size_t MemoryStream::read(void* buffer, std::size_t count)
{
    if (position_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t MemoryStream::write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    if (position_ > data_.size())
        data_.resize(position_);  // a gap left by a seek beyond the end reads as zeros
    // Overwrite what is there, append the rest (appending fills no zeros first).
    const std::size_t overlap = std::min(count, data_.size() - position_);
    if (overlap > 0)
        std::memcpy(data_.data() + position_, bytes, overlap);
    data_.insert(data_.end(), bytes + overlap, bytes + count);
    position_ += count;
    return count;
}

std::int64_t MemoryStream::seek(std::int64_t offset, SeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = static_cast<std::int64_t>(position_);
    else if (origin == SeekOrigin::End)
        base = static_cast<std::int64_t>(data_.size());
    // A position before the start is clamped: reads there simply start at 0.
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

void MemoryStream::truncate(std::int64_t length)
{
    data_.resize(std::min(data_.size(), static_cast<std::size_t>(std::max<std::int64_t>(0, length))));
}

void MemoryStream::reserve(std::size_t capacity)
{
    data_.reserve(capacity);
}

}  // namespace dfm
