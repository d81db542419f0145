// An output file that appears under its name only when complete: written beside it under a
// temporary name, renamed into place on Commit, removed otherwise.
#pragma once

#include "FileStream.h"

#include <memory>
#include <string>

class SafeOutputFile {
public:
    explicit SafeOutputFile(const std::string& fileName);
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    dfm::ByteStream& stream() { return *stream_; }
    void commit();

private:
    std::string fileName_;
    std::string tempName_;
    std::unique_ptr<dfm::FileStream> stream_;
    bool committed_ = false;
};
