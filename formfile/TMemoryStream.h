// A growable stream held in memory; its bytes are directly addressable.
#pragma once

#include "TStream.h"

#include <string_view>
#include <vector>

namespace dfm {

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string_view bytes);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const unsigned char* Memory() const { return data_.data(); }
    std::size_t ByteCount() const { return data_.size(); }
    std::string_view View() const { return {reinterpret_cast<const char*>(data_.data()), data_.size()}; }
    void Reserve(std::size_t capacity);

private:
    std::vector<unsigned char> data_;
    std::size_t position_ = 0;
};

}  // namespace dfm
