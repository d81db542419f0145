// A memory stream that refuses to grow past a limit: a conversion into it stops as soon as its
// output outgrows what the caller will hold (a small binary form can stand for gigabytes of text).
#pragma once

#include "MemoryStream.h"

namespace dfm {

class BoundedMemoryStream : public MemoryStream {
public:
    // Thrown by a write that would take the stream past its limit; nothing of it is written.
    struct Overflow {};

    explicit BoundedMemoryStream(std::size_t limit) : limit_(limit) {}

    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (count > limit_ - byteCount())
            throw Overflow{};
        return MemoryStream::write(buffer, count);
    }

private:
    std::size_t limit_;
};

}  // namespace dfm
