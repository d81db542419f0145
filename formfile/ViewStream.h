// A stream over bytes it does not own, so that what is held in memory is read without a copy.
#pragma once

#include "ByteStream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace dfm {

class ViewStream : public ByteStream {
public:
    explicit ViewStream(std::string_view bytes) : bytes_(bytes) {}

    std::size_t read(void* buffer, std::size_t count) override
    {
        const std::size_t n = position_ < bytes_.size() ? std::min(count, bytes_.size() - position_) : 0;
        // Past the end, or over no bytes at all, there is nothing to point at.
        if (n == 0)
            return 0;
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    std::size_t write(const void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override
    {
        const std::int64_t base = origin == SeekOrigin::Beginning ? 0
            : origin == SeekOrigin::Current                       ? static_cast<std::int64_t>(position_)
                                                                  : static_cast<std::int64_t>(bytes_.size());
        position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
        return static_cast<std::int64_t>(position_);
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

}  // namespace dfm
