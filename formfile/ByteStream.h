// The byte stream that every conversion reads from and writes to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dfm {

enum class SeekOrigin { Beginning, Current, End };

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Move up to count bytes; return how many moved (0 at the end of the data).
    virtual std::size_t read(void* buffer, std::size_t count) = 0;
    virtual std::size_t write(const void* buffer, std::size_t count) = 0;
    // Returns the new position.
    virtual std::int64_t seek(std::int64_t offset, SeekOrigin origin) = 0;
    // Hands buffered output to its destination; WriteError when it does not all arrive.
    virtual void flush() {}
    // Whether the stream can be cut short and overwritten after a seek back (a regular file,
    // memory), so that a writer may fill in a field late and take back all it wrote on failure.
    virtual bool isRewritable() { return false; }
    // Cuts the stream at length bytes; WriteError when it cannot.
    virtual void truncate(std::int64_t length);

    std::int64_t position() { return seek(0, SeekOrigin::Current); }
    void setPosition(std::int64_t position) { seek(position, SeekOrigin::Beginning); }
    std::int64_t size();

    // Exactly count bytes, or ReadError / WriteError.
    void readBuffer(void* buffer, std::size_t count);
    void writeBuffer(const void* buffer, std::size_t count);
    // Append everything from source's current position to its end.
    void copyFrom(ByteStream& source);
};

}  // namespace dfm
