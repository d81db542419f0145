#include "PosixFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <utility>

namespace dfm {

namespace {

// open is variadic, which a plain function pointer cannot hold.
int openFile(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

// Calls writePiece(bytes, size, done) for what is left until all has gone; returns how much went.
template <typename WritePiece>
std::size_t writeInPieces(const void* buffer, std::size_t count, WritePiece writePiece)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = writePiece(bytes + done, count - done, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that moves nothing without an error would otherwise be taken again for ever.
            if (n == 0)
                errno = EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace

PosixFile::SystemCalls& PosixFile::systemCalls()
{
    static SystemCalls calls{openFile, ::close, ::read, ::write, ::pwrite, ::fsync, ::ftruncate, ::posix_fallocate,
                                 std::rename, ::link, ::unlink};
    return calls;
}

PosixFile PosixFile::open(const std::string& path, int flags, mode_t mode)
{
    for (;;) {
        const int fd = systemCalls().open(path.c_str(), flags, mode);
        if (fd >= 0 || errno != EINTR)
            return PosixFile(fd);
    }
}

PosixFile PosixFile::openUnnamed(const std::string& folder, int flags)
{
    return open(folder, flags | O_TMPFILE, S_IRUSR | S_IWUSR);
}

PosixFile::~PosixFile()
{
    if (fd_ >= 0)
        systemCalls().close(fd_);
}

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            systemCalls().close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::ptrdiff_t PosixFile::readSome(void* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t n = systemCalls().read(fd_, buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

std::ptrdiff_t PosixFile::readFully(void* buffer, std::size_t count)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::ptrdiff_t n = readSome(bytes + done, count - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::size_t PosixFile::writeFully(const void* buffer, std::size_t count)
{
    return writeInPieces(buffer, count, [this](const char* bytes, std::size_t size, std::size_t) {
        return systemCalls().write(fd_, bytes, size);
    });
}

std::size_t PosixFile::writeFullyAt(const void* buffer, std::size_t count, std::int64_t offset)
{
    return writeInPieces(buffer, count, [this, offset](const char* bytes, std::size_t size, std::size_t done) {
        return systemCalls().pwrite(fd_, bytes, size, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    });
}

std::int64_t PosixFile::seek(std::int64_t offset, int whence)
{
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

bool PosixFile::isDirectory() const
{
    struct stat status {};
    return ::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode);
}

bool PosixFile::isRegular() const
{
    struct stat status {};
    return ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
}

bool PosixFile::reserve(std::int64_t length)
{
    for (;;) {
        const int failure = systemCalls().fallocate(fd_, 0, static_cast<off_t>(length));
        if (failure == 0)
            return true;
        if (failure != EINTR) {
            errno = failure;
            return false;
        }
    }
}

bool PosixFile::truncate(std::int64_t length)
{
    for (;;) {
        if (systemCalls().ftruncate(fd_, static_cast<off_t>(length)) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool PosixFile::sync()
{
    for (;;) {
        if (systemCalls().fsync(fd_) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool PosixFile::setMode(mode_t mode)
{
    return ::fchmod(fd_, mode) == 0;
}

bool PosixFile::setGroup(gid_t group)
{
    return ::fchown(fd_, static_cast<uid_t>(-1), group) == 0;
}

bool PosixFile::linkAs(const std::string& path)
{
    // Naming a descriptor directly takes a capability that users lack; its entry under /proc
    // names the same file for anyone. Without /proc mounted, the direct way is all there is.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    return ::linkat(fd_, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

bool PosixFile::close()
{
    const int fd = std::exchange(fd_, -1);
    // Linux releases the descriptor even when close is interrupted: a second close could
    // close a descriptor another thread has just been given, so EINTR counts as closed.
    return systemCalls().close(fd) == 0 || errno == EINTR;
}

}  // namespace dfm
