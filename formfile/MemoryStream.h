// A growable stream held in memory; its bytes are directly addressable.
#pragma once

#include "ByteStream.h"

#include <string_view>
#include <vector>

namespace dfm {

class MemoryStream : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::string_view bytes);

    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    bool isRewritable() override { return true; }
    void truncate(std::int64_t length) override;

    const unsigned char* memory() const { return data_.data(); }
    std::size_t byteCount() const { return data_.size(); }
    std::string_view view() const { return {reinterpret_cast<const char*>(data_.data()), data_.size()}; }
    void reserve(std::size_t capacity);

private:
    std::vector<unsigned char> data_;
    std::size_t position_ = 0;
};

}  // namespace dfm
