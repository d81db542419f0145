#include "FileStream.h"

#include "Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dfm {

FileStream::FileStream(const std::string& fileName, Mode mode)
    : buffer_(std::make_unique<unsigned char[]>(BufferSize))
{
    switch (mode) {
    case Mode::OpenRead:
        fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        break;
    case Mode::OpenWrite:
        fd_ = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
        break;
    case Mode::Create:
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        break;
    }
    if (fd_ < 0) {
        if (mode == Mode::Create)
            throw FileCreateError(fileName);
        throw FileOpenError(fileName);
    }
}

FileStream::~FileStream()
{
    try {
        flush();
    } catch (...) {
        // Reported by the writer's own Flush on the normal path.
    }
    ::close(fd_);
}

std::size_t FileStream::readDirect(void* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

std::size_t FileStream::writeDirect(const void* buffer, std::size_t count)
{
    const auto* p = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, p + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void FileStream::dropReadAhead()
{
    if (readEnd_ > readPos_)
        ::lseek(fd_, -static_cast<off_t>(readEnd_ - readPos_), SEEK_CUR);
    readPos_ = readEnd_ = 0;
}

void FileStream::flush()
{
    const std::size_t count = writeUsed_;
    writeUsed_ = 0;
    if (count > 0 && writeDirect(buffer_.get(), count) != count)
        throw WriteError(msg::StreamWriteFailed);
}

std::size_t FileStream::read(void* buffer, std::size_t count)
{
    flush();
    if (readPos_ == readEnd_) {
        if (count >= BufferSize)
            return readDirect(buffer, count);
        readPos_ = 0;
        readEnd_ = readDirect(buffer_.get(), BufferSize);
    }
    const std::size_t n = std::min(count, readEnd_ - readPos_);
    std::memcpy(buffer, buffer_.get() + readPos_, n);
    readPos_ += n;
    return n;
}

std::size_t FileStream::write(const void* buffer, std::size_t count)
{
    dropReadAhead();
    if (count > BufferSize - writeUsed_) {
        flush();
        if (count >= BufferSize)
            return writeDirect(buffer, count);
    }
    std::memcpy(buffer_.get() + writeUsed_, buffer, count);
    writeUsed_ += count;
    return count;
}

std::int64_t FileStream::seek(std::int64_t offset, SeekOrigin origin)
{
    flush();
    if (origin == SeekOrigin::Current)
        offset -= static_cast<std::int64_t>(readEnd_ - readPos_);
    readPos_ = readEnd_ = 0;
    const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
        : origin == SeekOrigin::Current                ? SEEK_CUR
                                                       : SEEK_END;
    const off_t result = ::lseek(fd_, offset, whence);
    if (result < 0)
        throw ReadError(msg::StreamReadFailed);
    return result;
}

}  // namespace dfm
