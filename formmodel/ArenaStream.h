// The stream a form model's arena is written through: appends to a vector the model then takes.
#pragma once

#include "ByteStream.h"

#include <vector>

namespace dfm {

class ArenaStream : public ByteStream {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void* buffer, std::size_t count) override
    {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        bytes_.insert(bytes_.end(), bytes, bytes + count);
        return count;
    }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return static_cast<std::int64_t>(bytes_.size()); }

    void reserve(std::size_t capacity) { bytes_.reserve(capacity); }
    std::vector<unsigned char> take() { return std::move(bytes_); }

private:
    std::vector<unsigned char> bytes_;
};

}  // namespace dfm
