// Files written beside their targets: permissions, symbolic links, and every failure leaving the
// folder as it was.
#include "AtomicFile.h"
#include "ScriptedSystemCalls.h"
#include "SignalCleanup.h"
#include "TempFolder.h"
#include "TestSupport.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <chrono>
#include <csignal>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dfm {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Every entry of the folder with its content (a link as "-> target"), to compare before and after.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink())
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            entries[name] = "folder";
        else
            entries[name] = readFile(entry.path());
    }
    return entries;
}

mode_t modeOf(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void writeAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(path, "test");
    file.write(bytes);
    file.commit();
}

class UmaskForTest {
public:
    explicit UmaskForTest(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskForTest() { ::umask(old_); }

private:
    mode_t old_;
};

TEST(AtomicFile, KeepsTheOldFilesPermissionsOrGivesWhatCreatingItWould)
{
    const UmaskForTest umask(027);
    const struct {
        const char* name;
        mode_t oldMode;  // 0: no old file
        mode_t newMode;
    } cases[] = {
        {"new file, umask 027", 0, 0640},
        {"old file 0604", 0604, 0604},
        {"old read-only file", 0444, 0444},
        {"old file with every bit", 0777, 0777},
        {"set-user-ID is not carried over", 04755, 0755},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("f.dfm");
        if (c.oldMode != 0) {
            std::ofstream(path) << "old";
            ::chmod(path.c_str(), c.oldMode);
        }
        writeAtomically(path, "new content");
        EXPECT_EQ(readFile(path), "new content");
        EXPECT_EQ(modeOf(path), c.newMode);
        EXPECT_EQ(snapshot(folder.path()).size(), 1u);
    }
}

// The link's own name is replaced: the link is what a backup moves aside, and the file it
// pointed to keeps its content.
TEST(AtomicFile, ReplacesASymbolicLinkNotTheFileBehindIt)
{
    TempFolder folder;
    const std::string target = folder.file("target.dfm");
    const std::string link = folder.file("link.dfm");
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, link);

    AtomicFile file(link, "test");
    file.write("new");
    fs::rename(link, folder.file("link.D$$"));
    file.commit();

    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(readFile(link), "new");
    EXPECT_EQ(modeOf(link), 0640u);
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(fs::read_symlink(folder.file("link.D$$")), target);
}

// The error's class and message, or what went wrong instead.
std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const WriteError& error) {
        return std::string("WriteError: ") + error.what();
    } catch (const FileCreateError& error) {
        return std::string("FileCreateError: ") + error.what();
    } catch (const std::exception& error) {
        return std::string("other: ") + error.what();
    }
    return "no error";
}

TEST(AtomicFile, EveryFailureLeavesTheFolderAsItWas)
{
    const std::string writeError = "WriteError: Erreur d'écriture dans le flux";
    const std::string diskFull = writeError + " (No space left on device)";
    const std::string ioError = writeError + " (Input/output error)";
    const struct {
        const char* name;
        Call call;
        std::vector<Step> steps;
        const char* target;  // "old.dfm" exists, "folder" is a folder with a file in it
        bool commit;
        std::string failure;  // for a FileCreateError, the target's path follows
    } cases[] = {
        {"disk full midway", Call::Write, {atMost(5), failsWith(ENOSPC)}, "old.dfm", true, diskFull},
        {"disk full midway, new file", Call::Write, {atMost(5), failsWith(ENOSPC)}, "new.dfm", true, diskFull},
        {"data not made safe", Call::Fsync, {failsWith(EIO)}, "old.dfm", true, ioError},
        {"a delayed write lost at closing", Call::Close, {failsWith(EIO)}, "old.dfm", true, ioError},
        {"a folder in the way", Call::Write, {}, "folder", true, "FileCreateError: Impossible de créer le fichier "},
        {"never committed", Call::Write, {}, "old.dfm", false, "no error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::ofstream(folder.file("old.dfm")) << "previous content";
        fs::create_directory(folder.file("folder"));
        std::ofstream(folder.file("folder/inside")) << "kept";
        const auto before = snapshot(folder.path());
        const std::string path = folder.file(c.target);
        {
            ScriptedSystemCalls calls;
            calls.script(c.call, c.steps);
            const std::string failure = failureOf([&] {
                AtomicFile file(path, "test");
                file.write("replacement bytes");
                if (c.commit)
                    file.commit();
            });
            EXPECT_EQ(failure,
                      c.failure.starts_with("FileCreateError") ? c.failure + path + " (Is a directory)" : c.failure);
            EXPECT_TRUE(calls.scriptsUsedUp());
        }
        EXPECT_EQ(snapshot(folder.path()), before);
        EXPECT_EQ(readFile(folder.file("folder/inside")), "kept");
    }
}

TEST(AtomicFile, AFolderThatCannotHoldTheFileIsACreateError)
{
    TempFolder folder;
    const std::string path = folder.file("missing/f.dfm");
    EXPECT_THROW_MSG(AtomicFile(path, "test"), FileCreateError,
                     "Impossible de créer le fichier " + path + " (No such file or directory)");
}

TEST(AtomicFile, ABareNameIsWrittenInTheCurrentFolder)
{
    TempFolder folder;
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    writeAtomically("bare.dfm", "bytes");
    fs::current_path(previous);
    EXPECT_EQ(snapshot(folder.path()), (std::map<std::string, std::string>{{"bare.dfm", "bytes"}}));
}

AtomicFile::Options unnamedOptions()
{
    AtomicFile::Options options;
    options.unnamed = true;
    options.followLinks = true;
    options.keepGroup = true;
    options.removeOnSignal = true;
    return options;
}

// While the data is written the folder shows nothing new; the target then appears whole, with the
// old file's mode, and a link to it stays a link.
TEST(AtomicFile, AnUnnamedFileIsSeenOnlyWhenComplete)
{
    TempFolder folder;
    std::ofstream(folder.file("old.dfm")) << "previous content";
    ::chmod(folder.file("old.dfm").c_str(), 0640);
    fs::create_symlink("old.dfm", folder.file("link.dfm"));
    const auto before = snapshot(folder.path());
    {
        AtomicFile file(folder.file("link.dfm"), "test", unnamedOptions());
        file.write("new content");
        EXPECT_EQ(snapshot(folder.path()), before);
        file.commit();
    }
    EXPECT_EQ(snapshot(folder.path()),
              (std::map<std::string, std::string>{{"old.dfm", "new content"}, {"link.dfm", "-> old.dfm"}}));
    EXPECT_EQ(modeOf(folder.file("old.dfm")), 0640u);
}

TEST(AtomicFile, AnUnnamedFileThatFailsLeavesTheFolderAsItWas)
{
    const struct {
        const char* name;
        Call call;
        std::vector<Step> steps;
    } cases[] = {
        {"disk full midway", Call::Write, {atMost(5), failsWith(ENOSPC)}},
        {"data not made safe", Call::Fsync, {failsWith(EIO)}},
        {"a delayed write lost at closing", Call::Close, {failsWith(EIO)}},
        {"the rename refused", Call::Rename, {failsWith(EACCES)}},
        {"no unnamed files there, then the rename refused", Call::Open, {failsWith(EOPNOTSUPP)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::ofstream(folder.file("old.dfm")) << "previous content";
        const auto before = snapshot(folder.path());
        {
            ScriptedSystemCalls calls;
            calls.script(c.call, c.steps);
            if (c.call == Call::Open)
                calls.script(Call::Rename, {failsWith(EACCES)});
            EXPECT_NE(failureOf([&] {
                AtomicFile file(folder.file("old.dfm"), "test", unnamedOptions());
                file.write("replacement bytes");
                file.commit();
            }),
                      "no error");
            EXPECT_TRUE(calls.scriptsUsedUp());
        }
        EXPECT_EQ(snapshot(folder.path()), before);
    }
}

// Where the file system has no unnamed files, the named temporary file is removed by the signal
// that stops the program while it writes.
TEST(AtomicFile, ANamedTemporaryFileGoesWithTheSignalThatStopsTheWrite)
{
    const struct {
        const char* name;
        int signal;
        bool byFileSizeLimit;
    } cases[] = {
        {"file size limit", SIGXFSZ, true},
        {"Ctrl+C", SIGINT, false},
        {"kill", SIGTERM, false},
        {"hang-up", SIGHUP, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::ofstream(folder.file("old.dfm")) << "previous content";
        const auto before = snapshot(folder.path());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (c.byFileSizeLimit) {
                const rlimit size{1 << 20, 1 << 20};
                ::setrlimit(RLIMIT_FSIZE, &size);
            }
            SignalCleanup::install();
            ScriptedSystemCalls calls;
            calls.script(Call::Open, {failsWith(EOPNOTSUPP)});
            // The child never returns to the test runner, whatever happens.
            try {
                AtomicFile file(folder.file("old.dfm"), "test", unnamedOptions());
                const std::string chunk(4096, 'x');
                // Some seconds, long enough for the signal to come; the limit stops it after 256 pieces.
                for (int i = 0; i < 20000; ++i) {
                    file.write(chunk);
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                }
            } catch (...) {
                ::_exit(4);
            }
            ::_exit(3);
        }
        if (!c.byFileSizeLimit) {
            // Names only: reading the growing file would take longer than the writing.
            const auto entries = [&] { return std::distance(fs::directory_iterator(folder.path()), {}); };
            for (int i = 0; i < 10000 && entries() == 1; ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            ::kill(child, c.signal);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
        EXPECT_EQ(snapshot(folder.path()), before);
    }
}

}  // namespace
}  // namespace dfm
