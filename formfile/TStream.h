// The byte stream that every conversion reads from and writes to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dfm {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Move up to count bytes; return how many moved (0 at the end of the data).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    // Hands buffered output to its destination; EWriteError when it does not all arrive.
    virtual void Flush() {}

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }
    std::int64_t Size();

    // Exactly count bytes, or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Append everything from source's current position to its end.
    void CopyFrom(TStream& source);
};

}  // namespace dfm
