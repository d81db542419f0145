#include "AtomicFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dfm {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The old file's permission bits, or what creating the file would give: read and write for
// all, less the umask.
mode_t modeFor(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return status.st_mode & 0777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path, std::string_view tempPrefix) : path_(path), mode_(modeFor(path))
{
    std::string pattern = folderOf(path);
    if (pattern.back() != '/')
        pattern += '/';
    pattern += '.';
    pattern += tempPrefix;
    pattern += "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    file_ = PosixFile(::mkostemp(name.data(), O_CLOEXEC));
    if (!file_.isOpen())
        throw FileCreateError(path);
    tempPath_ = name.data();
}

AtomicFile::~AtomicFile()
{
    if (!committed_)
        PosixFile::systemCalls().unlink(tempPath_.c_str());
}

void AtomicFile::write(std::string_view bytes)
{
    if (file_.writeFully(bytes.data(), bytes.size()) != bytes.size())
        throw WriteError(msg::StreamWriteFailed);
}

void AtomicFile::commit()
{
    // A file system without permissions refuses this; the file is then as such a file is.
    file_.setMode(mode_);
    // EINVAL: a file system that has nothing to synchronise.
    if (!file_.sync() && errno != EINVAL)
        throw WriteError(msg::StreamWriteFailed);
    if (!file_.close())
        throw WriteError(msg::StreamWriteFailed);
    if (PosixFile::systemCalls().rename(tempPath_.c_str(), path_.c_str()) != 0)
        throw FileCreateError(path_);
    committed_ = true;
}

}  // namespace dfm
