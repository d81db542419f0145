#include "ByteStream.h"

#include "Errors.h"

namespace dfm {

std::int64_t ByteStream::size()
{
    const std::int64_t here = position();
    const std::int64_t size = seek(0, SeekOrigin::End);
    setPosition(here);
    return size;
}

void ByteStream::truncate(std::int64_t)
{
    throw WriteError(msg::StreamWriteFailed);
}

void ByteStream::readBuffer(void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        const std::size_t got = read(out, count);
        if (got == 0)
            throw ReadError(msg::StreamReadFailed);
        out += got;
        count -= got;
    }
}

void ByteStream::writeBuffer(const void* buffer, std::size_t count)
{
    if (count > 0 && write(buffer, count) != count)
        throw WriteError(msg::StreamWriteFailed);
}

void ByteStream::copyFrom(ByteStream& source)
{
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t got = source.read(chunk, sizeof chunk);
        if (got == 0)
            return;
        writeBuffer(chunk, got);
    }
}

}  // namespace dfm
