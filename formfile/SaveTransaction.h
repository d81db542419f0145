// One save of a form and its unit (or of any files that go together) with their backups: all of
// them are written or none, and a crash at any point leaves each file under its own name, old or
// new. Shared by the editor, dfmconv --in-place and bulk edits.
#pragma once

#include "AtomicFile.h"
#include "ByteStream.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace dfm {

class SaveTransaction {
public:
    // One file the save writes.
    struct File {
        File(std::filesystem::path path, std::string_view bytes, bool backup = false, bool rewrite = false)
            : path(std::move(path)), bytes(bytes), backup(backup), rewrite(rewrite)
        {
        }
        File(std::filesystem::path path, std::function<void(ByteStream&)> fill, bool backup)
            : path(std::move(path)), backup(backup), fill(std::move(fill))
        {
        }

        std::filesystem::path path;
        std::string_view bytes;  // held by the caller until the save is done
        // The old file is kept under its backup name (backupFileName) before the new one takes
        // its place; an older backup of that name is replaced.
        bool backup = false;
        // The file there is rewritten in place (the same file: links, owner and permissions
        // kept) and cut to its new length, without a backup; a missing one is an error.
        bool rewrite = false;
        // When set, writes the new file's bytes instead (a conversion streamed into the file, so
        // that a large output need not be held in memory); not for a file that is rewritten.
        std::function<void(ByteStream&)> fill;
    };

    struct Options {
        // Temporary files are ".NAME.TAG-XXXXXX" beside the file NAME they stand for (its
        // backup's name included), so that those an interrupted save leaves can be told apart
        // and removed; with tagOnly, ".TAG-XXXXXX".
        std::string tag = "quendfmed";
        bool tagOnly = false;
        // A symbolic link at a path stays a link: the file it leads to is replaced and kept as
        // the backup. Otherwise the link itself is the backup and a file takes its place.
        bool followLinks = false;
        bool keepGroup = false;       // new files take the old ones' group where allowed
        bool removeOnSignal = false;  // a single file's temporary name goes on Ctrl+C (SignalCleanup)
        // A file there that this user may not write is refused (FileOpenError) before anything
        // changes, as a read-only lock asks.
        bool refuseReadOnly = true;
        // In a folder that takes no new files (a shared folder, another user's project whose
        // files are granted to this one) the files there are rewritten in place, without
        // backups, instead of failing.
        bool rewriteWhereNoNewFiles = true;
        // A backup that cannot be made stops the save (BackupFailed) instead of being skipped.
        bool backupRequired = false;
        // The temporary files that an interrupted save of these files (or of their backups)
        // left are removed before anything is written.
        bool removeLeftovers = true;
    };

    // Thrown by commit when a required backup cannot be made; nothing has changed then.
    struct BackupFailed {
        std::filesystem::path backup;
        std::error_code reason;
    };

    SaveTransaction(std::vector<File> files, Options options);
    ~SaveTransaction();
    SaveTransaction(const SaveTransaction&) = delete;
    SaveTransaction& operator=(const SaveTransaction&) = delete;

    // Refuses what cannot be saved, tidies up after an interrupted save and writes each new file
    // completely under a temporary name or none (on the disk, not yet in place). No file
    // changes. Throws the file layer's errors.
    void prepare();
    // Keeps the backups, rewrites in place what is rewritten and moves the new files into place.
    // A failure at any step undoes the steps before it as far as the file system lets it, so that
    // every file and backup is as it was. Throws the file layer's errors and BackupFailed.
    void commit();
    // prepare, then commit.
    void run();

    // Removes the temporary files that an interrupted save of the files at paths left, with
    // the names of their folder already listed (all paths in one folder).
    static void removeLeftovers(std::span<const std::filesystem::path> paths, std::span<const std::string> folderNames,
                                std::string_view tag = "quendfmed");

private:
    struct Step;

    std::string tempPrefixOf(const std::filesystem::path& path) const;
    void writeInPlace(const std::vector<const File*>& files);
    void undo();

    std::vector<File> files_;
    Options options_;
    bool rewriteAll_ = false;
    std::vector<std::unique_ptr<AtomicFile>> newFiles_;  // one for each file not rewritten, in order
    std::vector<Step> done_;  // what commit changed so far, undone in reverse on failure
};

}  // namespace dfm
