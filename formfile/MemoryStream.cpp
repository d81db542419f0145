#include "MemoryStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>

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

void MemoryStream::reserve(std::size_t capacity)
{
    data_.reserve(capacity);
    // A large stream is filled in one pass: in huge pages it takes one page fault per 2 MiB
    // instead of one per 4 KiB, which otherwise costs as much as a tenth of a conversion.
    constexpr std::uintptr_t HugePage = 2u << 20;
    const auto start = (reinterpret_cast<std::uintptr_t>(data_.data()) + HugePage - 1) & ~(HugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data_.data()) + data_.capacity()) & ~(HugePage - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace dfm
