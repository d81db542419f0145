#include "AtomicFile.h"

#include "Errors.h"
#include "SignalCleanup.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <random>
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

// The file a chain of symbolic links ends at, which need not exist; the path itself when it is no
// link. FileCreateError for a chain that loops.
std::string linkTarget(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size())
            throw FileCreateError(path, length < 0 ? errno : ENAMETOOLONG);
        const std::string next(target.data(), static_cast<std::size_t>(length));
        current = next.starts_with('/') ? next : folderOf(current) + "/" + next;
    }
    throw FileCreateError(path, ELOOP);
}

}  // namespace

std::string temporaryName(const std::string& folder, std::string_view prefix)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::random_device source;
    std::string name = folder == "/" ? "/." : folder + "/.";
    name += prefix;
    name += '-';
    std::uint64_t bits = (static_cast<std::uint64_t>(source()) << 32) | source();
    for (int i = 0; i < 6; ++i, bits /= sizeof Letters - 1)
        name += Letters[bits % (sizeof Letters - 1)];
    return name;
}

AtomicFile::AtomicFile(const std::string& path, std::string_view tempPrefix) : AtomicFile(path, tempPrefix, Options{})
{
}

AtomicFile::AtomicFile(const std::string& path, std::string_view tempPrefix, Options options)
    : path_(options.followLinks ? linkTarget(path) : path),
      folder_(folderOf(path_)),
      tempPrefix_(tempPrefix),
      options_(options)
{
    // The old file's permission bits and group, or what creating the file would give: read and
    // write for all, less the umask.
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0) {
        mode_ = status.st_mode & 0777;
        group_ = status.st_gid;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;
    }
    if (options_.unnamed) {
        file_ = PosixFile::openUnnamed(folder_, O_WRONLY | O_CLOEXEC);
        if (file_.isOpen())
            return;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw FileCreateError(path_, errno);
    }
    openNamed();
}

void AtomicFile::openNamed()
{
    std::string pattern = folder_;
    if (pattern.back() != '/')
        pattern += '/';
    pattern += '.';
    pattern += tempPrefix_;
    pattern += "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const std::optional<SignalCleanup::Hold> hold = holdSignals();
    file_ = PosixFile(::mkostemp(name.data(), O_CLOEXEC));
    if (!file_.isOpen())
        throw FileCreateError(path_, errno);
    setTempPath(name.data());
}

void AtomicFile::setTempPath(const std::string& path)
{
    tempPath_ = path;
    if (options_.removeOnSignal)
        SignalCleanup::setPending(tempPath_);
}

std::optional<SignalCleanup::Hold> AtomicFile::holdSignals() const
{
    if (options_.removeOnSignal)
        return std::optional<SignalCleanup::Hold>(std::in_place);
    return std::nullopt;
}

AtomicFile::~AtomicFile()
{
    const std::optional<SignalCleanup::Hold> hold = holdSignals();
    if (!committed_ && !tempPath_.empty())
        PosixFile::systemCalls().unlink(tempPath_.c_str());
    if (options_.removeOnSignal)
        SignalCleanup::clearPending();
}

void AtomicFile::write(std::string_view bytes)
{
    if (file_.writeFully(bytes.data(), bytes.size()) != bytes.size())
        throw WriteError(msg::StreamWriteFailed, errno);
}

void AtomicFile::nameUnnamedFile()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName(folder_, tempPrefix_);
        const std::optional<SignalCleanup::Hold> hold = holdSignals();
        if (file_.linkAs(name)) {
            setTempPath(name);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    throw FileCreateError(path_, errno);
}

void AtomicFile::sync()
{
    // EINVAL: a file system that has nothing to synchronise.
    if (!file_.sync() && errno != EINVAL)
        throw WriteError(msg::StreamWriteFailed, errno);
}

void AtomicFile::commit()
{
    // Either may be refused (another user's group, a file system without permissions); the file
    // is then as a new file there is.
    if (options_.keepGroup && group_ != static_cast<gid_t>(-1))
        file_.setGroup(group_);
    file_.setMode(mode_);
    sync();
    if (tempPath_.empty())
        nameUnnamedFile();
    if (!file_.close())
        throw WriteError(msg::StreamWriteFailed, errno);
    const std::optional<SignalCleanup::Hold> hold = holdSignals();
    if (PosixFile::systemCalls().rename(tempPath_.c_str(), path_.c_str()) != 0)
        throw FileCreateError(path_, errno);
    committed_ = true;
    if (options_.removeOnSignal)
        SignalCleanup::clearPending();
}

}  // namespace dfm
