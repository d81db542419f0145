#include "TStream.h"

#include "Errors.h"

namespace dfm {

std::int64_t TStream::Size()
{
    const std::int64_t here = Position();
    const std::int64_t size = Seek(0, SeekOrigin::End);
    SetPosition(here);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        const std::size_t got = Read(out, count);
        if (got == 0)
            throw EReadError(msg::ReadError);
        out += got;
        count -= got;
    }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count)
{
    if (count > 0 && Write(buffer, count) != count)
        throw EWriteError(msg::WriteError);
}

void TStream::CopyFrom(TStream& source)
{
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t got = source.Read(chunk, sizeof chunk);
        if (got == 0)
            return;
        WriteBuffer(chunk, got);
    }
}

}  // namespace dfm
