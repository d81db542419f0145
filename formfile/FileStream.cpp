#include "FileStream.h"

#include "Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace dfm {

namespace {

int openFlags(FileStream::Mode mode)
{
    switch (mode) {
    case FileStream::Mode::OpenRead:
        return O_RDONLY | O_CLOEXEC;
    case FileStream::Mode::OpenWrite:
        return O_WRONLY | O_CLOEXEC;
    case FileStream::Mode::Create:
        return O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC;
    }
    return O_RDONLY | O_CLOEXEC;
}

}  // namespace

FileStream::FileStream(const std::string& fileName, Mode mode)
    : file_(PosixFile::open(fileName, openFlags(mode))),
      buffer_(std::make_unique_for_overwrite<unsigned char[]>(BufferSize))
{
    const int error = errno;
    if (mode == Mode::Create && !file_.isOpen())
        throw FileCreateError(fileName, error);
    // A folder opens for reading, but what it gives is no file's content.
    if (!file_.isOpen())
        throw FileOpenError(fileName, error);
    if (file_.isDirectory())
        throw FileOpenError(fileName, EISDIR);
}

FileStream::FileStream(PosixFile file)
    : file_(std::move(file)), buffer_(std::make_unique_for_overwrite<unsigned char[]>(BufferSize))
{
}

std::unique_ptr<FileStream> FileStream::temporary()
{
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    PosixFile file = PosixFile::openUnnamed(folder, O_RDWR | O_CLOEXEC);
    if (!file.isOpen() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, unnamed at once.
        std::string pattern = folder + "/.dfm-scratch-XXXXXX";
        file = PosixFile(::mkostemp(pattern.data(), O_CLOEXEC));
        if (file.isOpen())
            PosixFile::systemCalls().unlink(pattern.c_str());
    }
    if (!file.isOpen())
        throw FileCreateError(folder, errno);
    return std::make_unique<FileStream>(std::move(file));
}

FileStream::~FileStream()
{
    try {
        flush();
    } catch (...) {
        // Reported by the writer's own Flush on the normal path.
    }
}

std::size_t FileStream::readDirect(void* buffer, std::size_t count)
{
    const std::ptrdiff_t n = file_.readSome(buffer, count);
    if (n < 0)
        throw ReadError(msg::StreamReadFailed);
    return static_cast<std::size_t>(n);
}

std::size_t FileStream::writeDirect(const void* buffer, std::size_t count)
{
    if (file_.writeFully(buffer, count) != count)
        throw WriteError(msg::StreamWriteFailed, errno);
    return count;
}

void FileStream::dropReadAhead()
{
    if (readEnd_ > readPos_)
        file_.seek(-static_cast<std::int64_t>(readEnd_ - readPos_), SEEK_CUR);
    readPos_ = readEnd_ = 0;
}

void FileStream::flush()
{
    const std::size_t count = writeUsed_;
    writeUsed_ = 0;
    if (count > 0)
        writeDirect(buffer_.get(), count);
}

bool FileStream::isRewritable()
{
    return file_.isRegular();
}

void FileStream::truncate(std::int64_t length)
{
    flush();
    dropReadAhead();
    if (!file_.truncate(length))
        throw WriteError(msg::StreamWriteFailed);
}

std::size_t FileStream::read(void* buffer, std::size_t count)
{
    flush();
    if (readPos_ == readEnd_) {
        if (count >= DirectSize)
            return readDirect(buffer, count);
        // Reads ahead only a quarter of the buffer: a reader takes small pieces at once, and the
        // rest of the buffer, left untouched, costs no memory.
        readPos_ = 0;
        readEnd_ = readDirect(buffer_.get(), DirectSize);
    }
    const std::size_t n = std::min(count, readEnd_ - readPos_);
    std::memcpy(buffer, buffer_.get() + readPos_, n);
    readPos_ += n;
    return n;
}

std::size_t FileStream::write(const void* buffer, std::size_t count)
{
    dropReadAhead();
    if (count >= DirectSize || count > BufferSize - writeUsed_) {
        flush();
        if (count >= DirectSize)
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
    const std::int64_t result = file_.seek(offset, whence);
    if (result < 0)
        throw ReadError(msg::StreamReadFailed);
    return result;
}

}  // namespace dfm
