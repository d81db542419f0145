// A disk file opened for reading, opened for writing, or created.
#pragma once

#include "ByteStream.h"
#include "PosixFile.h"

#include <memory>
#include <string>

namespace dfm {

// Reads and writes go through a 256 KiB buffer, so that the small pieces of the form readers
// cost no system call each, and a large output takes few (each write has a fixed cost in the
// kernel that 64 KiB pieces still paid a tenth of a conversion for).
class FileStream : public ByteStream {
public:
    enum class Mode { OpenRead, OpenWrite, Create };

    // FileOpenError / FileCreateError when the file cannot be had; a folder cannot be opened.
    FileStream(const std::string& fileName, Mode mode);
    // Over a descriptor opened elsewhere: a pipe, a terminal, an unnamed file.
    explicit FileStream(PosixFile file);
    // A file in the temporary folder ($TMPDIR, else /tmp) that no other program sees and that
    // goes when the stream does, for data too large to hold in memory. FileCreateError when
    // none can be made.
    static std::unique_ptr<FileStream> temporary();
    // Writes what is still buffered; a failure there is lost, so writers call Flush first.
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // ReadError when the disk fails, so that a failure is never taken for the end of the file.
    std::size_t read(void* buffer, std::size_t count) override;
    std::size_t write(const void* buffer, std::size_t count) override;
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
    void flush() override;
    bool isRewritable() override;
    void truncate(std::int64_t length) override;

private:
    static constexpr std::size_t BufferSize = 256 * 1024;
    // A piece this large gains nothing from the buffer: it goes straight to the file.
    static constexpr std::size_t DirectSize = 64 * 1024;

    std::size_t readDirect(void* buffer, std::size_t count);
    std::size_t writeDirect(const void* buffer, std::size_t count);
    void dropReadAhead();

    PosixFile file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t readPos_ = 0;    // read-ahead: buffer_[readPos_, readEnd_) lies before the file position
    std::size_t readEnd_ = 0;
    std::size_t writeUsed_ = 0;  // pending output: buffer_[0, writeUsed_)
};

}  // namespace dfm
