#include "SafeOutputFile.h"

#include "Errors.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

SafeOutputFile::SafeOutputFile(const std::string& fileName) : fileName_(fileName)
{
    std::vector<char> pattern(fileName.begin(), fileName.end());
    const std::string suffix = ".dfmconv-XXXXXX";
    pattern.insert(pattern.end(), suffix.begin(), suffix.end());
    pattern.push_back('\0');
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw dfm::FileCreateError(fileName);
    // mkstemp makes the file private; give it the permissions of any new file of the user.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    tempName_ = pattern.data();
    try {
        stream_ = std::make_unique<dfm::FileStream>(tempName_, dfm::FileStream::Mode::OpenWrite);
    } catch (...) {
        ::unlink(tempName_.c_str());  // no destructor runs for a half-built object
        throw;
    }
}

SafeOutputFile::~SafeOutputFile()
{
    stream_.reset();
    if (!committed_)
        ::unlink(tempName_.c_str());
}

void SafeOutputFile::commit()
{
    stream_->flush();
    stream_.reset();
    if (std::rename(tempName_.c_str(), fileName_.c_str()) != 0)
        throw dfm::FileCreateError(fileName_);
    committed_ = true;
}
