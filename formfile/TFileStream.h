// A disk file opened for reading, opened for writing, or created.
#pragma once

#include "TStream.h"

#include <memory>
#include <string>

namespace dfm {

// Reads and writes go through a 64 KiB buffer, so that the 4096-byte pieces of the
// form readers and writers cost no system call each.
class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, OpenWrite, Create };

    // EFOpenError / EFCreateError when the file cannot be had.
    TFileStream(const std::string& fileName, Mode mode);
    // Writes what is still buffered; a failure there is lost, so writers call Flush first.
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    void Flush() override;

private:
    static constexpr std::size_t BufferSize = 65536;

    std::size_t ReadDirect(void* buffer, std::size_t count);
    std::size_t WriteDirect(const void* buffer, std::size_t count);
    void DropReadAhead();

    int fd_ = -1;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t readPos_ = 0;    // read-ahead: buffer_[readPos_, readEnd_) lies before the file position
    std::size_t readEnd_ = 0;
    std::size_t writeUsed_ = 0;  // pending output: buffer_[0, writeUsed_)
};

}  // namespace dfm
