#include "SaveTransaction.h"

#include "Errors.h"
#include "FormFileNames.h"
#include "PosixFile.h"
#include "SignalCleanup.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dfm {

// A name commit changed: undone by renaming the old file's extra name back, or by removing the
// name where there was no file. Where the file system gives no extra name, the change stays.
struct SaveTransaction::Step {
    std::string name;
    bool hadFile = false;
    std::string oldFile;  // the extra name of the file that was under name, if any
};

namespace {

fs::path folderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// Whether something (a link too, even one that leads nowhere) has this name.
bool nameTaken(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// Whether files can be created in the file's folder, as the temporary files of a save are.
bool folderTakesNewFiles(const fs::path& path)
{
    return ::faccessat(AT_FDCWD, folderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The renames reach the disk only with their folder.
void syncFolder(const fs::path& folder)
{
    PosixFile handle = PosixFile::open(folder.string(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle.isOpen() && !handle.sync() && errno != EINVAL)
        throw WriteError(msg::StreamWriteFailed, errno);
}

bool isLeftover(std::string_view name, std::string_view prefix)
{
    // "." + prefix + "-" and six letters or digits, as temporaryName makes them.
    if (name.size() != prefix.size() + 8 || name[0] != '.' || name.substr(1, prefix.size()) != prefix
        || name[prefix.size() + 1] != '-')
        return false;
    return std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// A new file filled by a conversion, in pieces large enough to cost few system calls.
class AtomicFileStream : public ByteStream {
public:
    static constexpr std::size_t ChunkSize = 65536;

    explicit AtomicFileStream(AtomicFile& file) : file_(file) { buffer_.reserve(ChunkSize); }

    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (buffer_.size() + count > ChunkSize)
            flush();
        if (count >= ChunkSize)
            file_.write(std::string_view(static_cast<const char*>(buffer), count));
        else
            buffer_.append(static_cast<const char*>(buffer), count);
        return count;
    }
    void flush() override
    {
        file_.write(buffer_);
        buffer_.clear();
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, SeekOrigin) override { throw ReadError(msg::StreamReadFailed); }

private:
    AtomicFile& file_;
    std::string buffer_;
};

}  // namespace

SaveTransaction::SaveTransaction(std::vector<File> files, Options options)
    : files_(std::move(files)), options_(std::move(options))
{
}

SaveTransaction::~SaveTransaction() = default;

std::string SaveTransaction::tempPrefixOf(const fs::path& path) const
{
    return options_.tagOnly ? options_.tag : path.filename().string() + "." + options_.tag;
}

void SaveTransaction::removeLeftovers(std::span<const fs::path> paths, std::span<const std::string> folderNames,
                                      std::string_view tag)
{
    for (const fs::path& path : paths) {
        const std::string prefix = path.filename().string() + "." + std::string(tag);
        for (const std::string& name : folderNames) {
            if (isLeftover(name, prefix))
                PosixFile::systemCalls().unlink((folderOf(path) / name).c_str());
        }
    }
}

void SaveTransaction::prepare()
{
    if (options_.refuseReadOnly) {
        for (const File& file : files_) {
            if (::faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
                throw FileOpenError(file.path.string(), errno);
        }
    }
    rewriteAll_ = options_.rewriteWhereNoNewFiles && !files_.empty() && !folderTakesNewFiles(files_.front().path);
    if (rewriteAll_)
        return;
    if (options_.removeLeftovers && !options_.tagOnly) {
        // Each folder is listed once for all the names that live in it.
        std::set<fs::path> folders;
        for (const File& file : files_)
            folders.insert(folderOf(file.path));
        for (const fs::path& folder : folders) {
            std::vector<fs::path> paths;
            for (const File& file : files_) {
                if (folderOf(file.path) == folder)
                    paths.insert(paths.end(), {file.path, fs::path(backupFileName(file.path.string()))});
            }
            std::vector<std::string> names;
            listFileNames(folder.string(), names);
            removeLeftovers(paths, names, options_.tag);
        }
    }
    // The new files are written without a name until they are complete, so that a save cut
    // short while writing leaves nothing behind.
    AtomicFile::Options fileOptions;
    fileOptions.unnamed = true;
    fileOptions.followLinks = options_.followLinks;
    fileOptions.keepGroup = options_.keepGroup;
    fileOptions.removeOnSignal = options_.removeOnSignal;
    for (const File& file : files_) {
        if (file.rewrite)
            continue;
        newFiles_.push_back(std::make_unique<AtomicFile>(file.path.string(), tempPrefixOf(file.path), fileOptions));
        if (file.fill) {
            AtomicFileStream stream(*newFiles_.back());
            file.fill(stream);
            stream.flush();
        } else {
            newFiles_.back()->write(file.bytes);
        }
        newFiles_.back()->sync();
    }
}

void SaveTransaction::commit()
{
    // A signal waits until every file is in place or back as it was.
    std::optional<SignalCleanup::Hold> hold;
    if (options_.removeOnSignal)
        hold.emplace();
    if (rewriteAll_) {
        std::vector<const File*> all;
        for (const File& file : files_)
            all.push_back(&file);
        writeInPlace(all);
        return;
    }
    std::vector<std::string> sources;
    std::size_t changes = newFiles_.size();
    for (const File& file : files_) {
        changes += file.rewrite ? 1 : 0;
        std::error_code ignored;
        const fs::path real = options_.followLinks ? fs::canonical(file.path, ignored) : file.path;
        sources.push_back(ignored || real.empty() ? file.path.string() : real.string());
        changes += file.backup && nameTaken(sources.back()) ? 1 : 0;
    }
    // Before a name changes, the file it held gets a second name, so that a later failure can put
    // it back; a single change needs none.
    const auto keepOld = [&](const std::string& name) {
        Step step{name, nameTaken(name), {}};
        if (changes > 1 && step.hadFile) {
            const std::string extra = temporaryName(folderOf(name).string(), tempPrefixOf(name));
            if (PosixFile::systemCalls().link(name.c_str(), extra.c_str()) == 0)
                step.oldFile = extra;
        }
        done_.push_back(step);
    };
    try {
        for (std::size_t i = 0; i < files_.size(); ++i) {
            const File& file = files_[i];
            if (!file.backup || !nameTaken(sources[i]))
                continue;
            const std::string backup = backupFileName(file.path.string());
            keepOld(backup);
            // The old file gets its second name before the new one takes the first: at no point
            // is it under neither.
            if (const std::error_code failed = keepAsBackup(sources[i], backup, tempPrefixOf(backup))) {
                // The backup name is as it was.
                if (!done_.back().oldFile.empty())
                    PosixFile::systemCalls().unlink(done_.back().oldFile.c_str());
                done_.pop_back();
                if (options_.backupRequired)
                    throw BackupFailed{backup, failed};
                // Otherwise a backup that cannot be made does not stop the save.
            }
        }
        for (const std::unique_ptr<AtomicFile>& file : newFiles_) {
            keepOld(file->target());
            file->commit();
        }
        std::set<fs::path> folders;
        for (const File& file : files_)
            folders.insert(folderOf(file.path));
        for (const fs::path& folder : folders)
            syncFolder(folder);
        // Last, as a file rewritten in place cannot be put back: a failure before its first
        // byte changes (a missing file, a full disk) still undoes everything else.
        std::vector<const File*> rewritten;
        for (const File& file : files_) {
            if (file.rewrite)
                rewritten.push_back(&file);
        }
        writeInPlace(rewritten);
    } catch (...) {
        undo();
        throw;
    }
    for (const Step& step : done_) {
        if (!step.oldFile.empty())
            PosixFile::systemCalls().unlink(step.oldFile.c_str());
    }
    done_.clear();
}

void SaveTransaction::undo()
{
    PosixFile::SystemCalls& calls = PosixFile::systemCalls();
    for (auto step = done_.rbegin(); step != done_.rend(); ++step) {
        if (!step->oldFile.empty()) {
            calls.rename(step->oldFile.c_str(), step->name.c_str());
            // A name that never changed still holds the file: the rename left both names.
            calls.unlink(step->oldFile.c_str());
        } else if (!step->hadFile) {
            calls.unlink(step->name.c_str());
        }
    }
    done_.clear();
}

void SaveTransaction::run()
{
    prepare();
    commit();
}

void SaveTransaction::writeInPlace(const std::vector<const File*>& files)
{
    // Every file is opened and given room for its new content before a byte changes, so that a
    // missing or read-only file or a full disk leaves all of them as they were.
    struct Opened {
        PosixFile handle;
        std::int64_t oldSize;
        std::string_view bytes;
    };
    std::vector<Opened> opened;
    // Should an old length not come back, the content itself is still untouched.
    const auto undoReservations = [&opened] {
        for (Opened& done : opened)
            done.handle.truncate(done.oldSize);
    };
    for (const File* file : files) {
        const std::string path = file->path.string();
        PosixFile handle;
        int error = EISDIR;
        if (!fs::is_directory(file->path)) {
            handle = PosixFile::open(path, O_WRONLY | O_CLOEXEC);
            error = errno;
        }
        if (!handle.isOpen()) {
            undoReservations();
            // Only files already there are rewritten: a missing one that the save would have
            // made needed a folder that takes new files.
            if (!file->rewrite)
                throw FileCreateError(path, error == ENOENT ? EACCES : error);
            throw FileOpenError(path, error);
        }
        const std::int64_t oldSize = handle.seek(0, SEEK_END);
        opened.push_back({std::move(handle), oldSize, file->bytes});
        const auto size = static_cast<std::int64_t>(file->bytes.size());
        if (size > oldSize && !opened.back().handle.reserve(size) && errno != EOPNOTSUPP && errno != EINVAL) {
            undoReservations();
            throw WriteError(msg::StreamWriteFailed, errno);
        }
    }
    for (Opened& done : opened) {
        const std::size_t size = done.bytes.size();
        if (done.handle.writeFullyAt(done.bytes.data(), size, 0) != size
            || !done.handle.truncate(static_cast<std::int64_t>(size)) || !done.handle.close())
            throw WriteError(msg::StreamWriteFailed, errno);
    }
}

}  // namespace dfm
