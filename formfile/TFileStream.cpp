#include "TFileStream.h"

#include "Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace dfm {

TFileStream::TFileStream(const std::string& fileName, Mode mode) : fileName_(fileName)
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
            throw EFCreateError(fileName);
        throw EFOpenError(fileName);
    }
}

TFileStream::~TFileStream()
{
    ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
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

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
        : origin == SeekOrigin::Current                ? SEEK_CUR
                                                       : SEEK_END;
    const off_t result = ::lseek(fd_, offset, whence);
    if (result < 0)
        throw EReadError(msg::ReadError);
    return result;
}

void TFileStream::Truncate()
{
    if (::ftruncate(fd_, ::lseek(fd_, 0, SEEK_CUR)) != 0)
        throw EWriteError(msg::WriteError);
}

}  // namespace dfm
