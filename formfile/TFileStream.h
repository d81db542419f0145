// A disk file opened for reading, opened for writing, or created.
#pragma once

#include "TStream.h"

#include <string>

namespace dfm {

class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, OpenWrite, Create };

    // EFOpenError / EFCreateError when the file cannot be had.
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Cut the file at the current position.
    void Truncate();
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

}  // namespace dfm
