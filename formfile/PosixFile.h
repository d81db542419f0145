// An open POSIX file descriptor, closed when its owner goes: reads, whole writes and the other
// calls on it, each retried when a signal interrupts it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace dfm {

// Failures come back as a result (false, -1 or a short count) with errno telling why, since
// each caller turns them into its own message: an exception of the file layer, or the grep
// scanner's I/O codes.
class PosixFile {
public:
    // Every system call the class makes that can be interrupted or move only part of the data.
    // Tests put fakes in for their duration to reach the paths a real disk rarely takes.
    struct SystemCalls {
        int (*open)(const char* path, int flags, mode_t mode);
        int (*close)(int fd);
        ssize_t (*read)(int fd, void* buffer, std::size_t count);
        ssize_t (*write)(int fd, const void* buffer, std::size_t count);
        ssize_t (*pwrite)(int fd, const void* buffer, std::size_t count, off_t offset);
        int (*fsync)(int fd);
        int (*ftruncate)(int fd, off_t length);
        // Returns the error number instead of setting errno, as posix_fallocate does.
        int (*fallocate)(int fd, off_t offset, off_t length);
        // The calls that name files rather than descriptors, through which a save moves files
        // into place; tests fail them one by one.
        int (*rename)(const char* from, const char* to);
        int (*link)(const char* from, const char* to);
        int (*unlink)(const char* path);
    };
    static SystemCalls& systemCalls();

    PosixFile() = default;
    // Takes over a descriptor opened elsewhere (mkstemp); -1 gives a closed file.
    explicit PosixFile(int fd) : fd_(fd) {}
    // Closed when the file cannot be opened.
    static PosixFile open(const std::string& path, int flags, mode_t mode = 0666);
    // A file without a name in folder, readable and writable by its owner only, that vanishes
    // when closed unless linkAs gives it one. Closed, with errno, when the file system has no
    // such files (EOPNOTSUPP, EISDIR or EINVAL) or the folder takes none.
    static PosixFile openUnnamed(const std::string& folder, int flags);
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }

    // What one read gives: up to count bytes, 0 at the end, -1 on failure.
    std::ptrdiff_t readSome(void* buffer, std::size_t count);
    // Reads until count bytes or the end of the file; -1 on failure.
    std::ptrdiff_t readFully(void* buffer, std::size_t count);
    // Writes the whole buffer, continuing after short writes; returns how much arrived, which
    // is less than count only on failure.
    std::size_t writeFully(const void* buffer, std::size_t count);
    // The same at a given offset, leaving the file position alone.
    std::size_t writeFullyAt(const void* buffer, std::size_t count, std::int64_t offset);
    // The new position, or -1. whence is SEEK_SET, SEEK_CUR or SEEK_END.
    std::int64_t seek(std::int64_t offset, int whence);
    bool isDirectory() const;
    bool isRegular() const;
    // Disk space for the first length bytes, so that later writes there cannot run out of room.
    bool reserve(std::int64_t length);
    bool truncate(std::int64_t length);
    // Hands the data written to the disk itself.
    bool sync();
    bool setMode(mode_t mode);
    // The group alone, the owner left as it is.
    bool setGroup(gid_t group);
    // Gives a file opened by openUnnamed the name path, which must not exist yet.
    bool linkAs(const std::string& path);
    // Closes now, so that a failure of the close itself (a lost delayed write) can be seen.
    bool close();

private:
    int fd_ = -1;
};

}  // namespace dfm
