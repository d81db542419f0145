// A file written beside its target under a temporary name and put in the target's place only
// when complete, so that a failure at any point leaves the target as it was.
#pragma once

#include "PosixFile.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace dfm {

class AtomicFile {
public:
    // The temporary file is "." + tempPrefix + "-XXXXXX" in the target's folder, so that one left
    // behind by a crash says what made it. The permissions the target will have are taken now,
    // before a backup moves the old file aside: the old file's (through a symbolic link, its
    // target's), else what creating the file would give. FileCreateError when the temporary file
    // cannot be made.
    AtomicFile(const std::string& path, std::string_view tempPrefix);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // WriteError when not all of it arrives.
    void write(std::string_view bytes);
    // Puts the data on the disk and renames the temporary file to the target's name, which
    // replaces a symbolic link itself rather than the file it points to. WriteError when the data
    // cannot be made safe, FileCreateError when the rename fails.
    void commit();

private:
    std::string path_;
    std::string tempPath_;
    mode_t mode_;
    PosixFile file_;
    bool committed_ = false;
};

}  // namespace dfm
