// A file written beside its target under a temporary name and put in the target's place only
// when complete, so that a failure at any point leaves the target as it was.
#pragma once

#include "PosixFile.h"
#include "SignalCleanup.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace dfm {

class AtomicFile {
public:
    // What a caller may want beyond the plain replacement; all off by default.
    struct Options {
        // The data goes to a file without a name, named only for the instant between the final
        // sync and the rename: a process killed while writing leaves nothing behind. Where the
        // file system has no such files, a named temporary file as without this option.
        bool unnamed = false;
        // A symbolic link at the path stays a link: the file it points to is replaced.
        bool followLinks = false;
        // The new file takes the old file's group where the system allows it.
        bool keepGroup = false;
        // The temporary name is left to SignalCleanup to remove should a signal stop the program.
        bool removeOnSignal = false;
    };

    // The temporary file is "." + tempPrefix + "-XXXXXX" in the target's folder, so that one left
    // behind by a crash says what made it. The permissions the target will have are taken now,
    // before a backup moves the old file aside: the old file's (through a symbolic link, its
    // target's), else what creating the file would give. FileCreateError when the temporary file
    // cannot be made.
    AtomicFile(const std::string& path, std::string_view tempPrefix);
    AtomicFile(const std::string& path, std::string_view tempPrefix, Options options);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file the data replaces: the path given, or through links the file they lead to.
    const std::string& target() const { return path_; }

    // WriteError when not all of it arrives.
    void write(std::string_view bytes);
    // Puts the data written so far on the disk, so that a commit made under a caller's lock has
    // little left to wait for. WriteError when it cannot.
    void sync();
    // Puts the data on the disk and renames the temporary file to the target's name, which
    // replaces a symbolic link itself rather than the file it points to (unless followLinks).
    // WriteError when the data cannot be made safe, FileCreateError when the rename fails.
    void commit();

private:
    void openNamed();
    void nameUnnamedFile();
    void setTempPath(const std::string& path);
    // Signals held back while a temporary name and the file under it change together.
    std::optional<SignalCleanup::Hold> holdSignals() const;

    std::string path_;
    std::string folder_;
    std::string tempPrefix_;
    Options options_;
    std::string tempPath_;  // empty while the data is in a file without a name
    mode_t mode_ = 0;
    gid_t group_ = static_cast<gid_t>(-1);
    PosixFile file_;
    bool committed_ = false;
};

// A name for a temporary file in folder, "." + prefix + "-XXXXXX", different on each call.
std::string temporaryName(const std::string& folder, std::string_view prefix);

}  // namespace dfm
