// The descriptor's calls under interruptions, short counts and failures injected on purpose.
#include "PosixFile.h"
#include "ScriptedSystemCalls.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>

namespace dfm {
namespace {

using namespace test;

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

constexpr char Payload[] = "ABCDEFGHIJ";

// Reads count bytes into a buffer that must then hold the file's first bytes.
std::int64_t checkedRead(std::function<std::ptrdiff_t(char*, std::size_t)> read, std::size_t count)
{
    char buffer[16] = {};
    const std::ptrdiff_t n = read(buffer, count);
    if (n > 0) {
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), std::string("0123456789").substr(0, n));
    }
    return n;
}

TEST(PosixFile, EachCallIsTakenAgainWhenInterruptedAndReportsARealFailure)
{
    const struct {
        const char* name;
        Call call;
        std::vector<Step> steps;
        std::function<std::int64_t(PosixFile&, const std::string&)> action;
        std::int64_t result;
        int error;  // errno right after a failure; 0 when the action succeeds
        int calls;  // how often the scripted call was made
        std::string content;  // the file afterwards
    } cases[] = {
        {"read interrupted twice", Call::Read, {Interrupted, Interrupted},
         [](PosixFile& f, auto&) { return checkedRead([&](char* b, std::size_t n) { return f.readSome(b, n); }, 10); },
         10, 0, 3, "0123456789"},
        {"read failing after an interruption", Call::Read, {Interrupted, failsWith(EIO)},
         [](PosixFile& f, auto&) { return checkedRead([&](char* b, std::size_t n) { return f.readSome(b, n); }, 10); },
         -1, EIO, 2, "0123456789"},
        {"full read in short pieces", Call::Read, {atMost(3), Interrupted, atMost(4)},
         [](PosixFile& f, auto&) { return checkedRead([&](char* b, std::size_t n) { return f.readFully(b, n); }, 10); },
         10, 0, 4, "0123456789"},
        {"full read stops at the end", Call::Read, {atMost(4)},
         [](PosixFile& f, auto&) { return checkedRead([&](char* b, std::size_t n) { return f.readFully(b, n); }, 16); },
         10, 0, 3, "0123456789"},
        {"full read failing midway", Call::Read, {atMost(2), failsWith(EIO)},
         [](PosixFile& f, auto&) { return checkedRead([&](char* b, std::size_t n) { return f.readFully(b, n); }, 10); },
         -1, EIO, 2, "0123456789"},
        {"write interrupted and short", Call::Write, {atMost(1), Interrupted, atMost(4), Interrupted},
         [](PosixFile& f, auto&) { return std::int64_t(f.writeFully(Payload, 10)); }, 10, 0, 5, "ABCDEFGHIJ"},
        {"write failing midway", Call::Write, {atMost(3), failsWith(ENOSPC)},
         [](PosixFile& f, auto&) { return std::int64_t(f.writeFully(Payload, 10)); }, 3, ENOSPC, 2, "ABC3456789"},
        // Taken again, a write that moves nothing would never end.
        {"write moving nothing", Call::Write, {atMost(0)},
         [](PosixFile& f, auto&) { return std::int64_t(f.writeFully(Payload, 10)); }, 0, EIO, 1, "0123456789"},
        {"positioned write interrupted and short", Call::Pwrite, {Interrupted, atMost(6), Interrupted},
         [](PosixFile& f, auto&) { return std::int64_t(f.writeFullyAt(Payload, 10, 5)); }, 10, 0, 4,
         "01234ABCDEFGHIJ"},
        {"positioned write failing midway", Call::Pwrite, {atMost(6), failsWith(EFBIG)},
         [](PosixFile& f, auto&) { return std::int64_t(f.writeFullyAt(Payload, 10, 5)); }, 6, EFBIG, 2,
         "01234ABCDEF"},
        {"open interrupted twice", Call::Open, {Interrupted, Interrupted},
         [](PosixFile&, const std::string& path) { return std::int64_t(PosixFile::open(path, O_RDONLY).isOpen()); },
         1, 0, 3, "0123456789"},
        {"open refused", Call::Open, {failsWith(EACCES)},
         [](PosixFile&, const std::string& path) { return std::int64_t(PosixFile::open(path, O_RDONLY).isOpen()); },
         0, EACCES, 1, "0123456789"},
        {"sync interrupted", Call::Fsync, {Interrupted}, [](PosixFile& f, auto&) { return std::int64_t(f.sync()); },
         1, 0, 2, "0123456789"},
        {"sync failing", Call::Fsync, {failsWith(EIO)}, [](PosixFile& f, auto&) { return std::int64_t(f.sync()); },
         0, EIO, 1, "0123456789"},
        {"truncate interrupted", Call::Ftruncate, {Interrupted},
         [](PosixFile& f, auto&) { return std::int64_t(f.truncate(4)); }, 1, 0, 2, "0123"},
        {"truncate failing", Call::Ftruncate, {failsWith(EFBIG)},
         [](PosixFile& f, auto&) { return std::int64_t(f.truncate(4)); }, 0, EFBIG, 1, "0123456789"},
        {"reserve interrupted", Call::Fallocate, {Interrupted},
         [](PosixFile& f, auto&) { return std::int64_t(f.reserve(12)); }, 1, 0, 2, std::string("0123456789\0\0", 12)},
        {"reserve failing", Call::Fallocate, {failsWith(ENOSPC)},
         [](PosixFile& f, auto&) { return std::int64_t(f.reserve(12)); }, 0, ENOSPC, 1, "0123456789"},
        // The descriptor is gone after an interrupted close: closing it again could hit another.
        {"close interrupted", Call::Close, {Interrupted},
         [](PosixFile& f, auto&) { return std::int64_t(f.close() && !f.isOpen()); }, 1, 0, 1, "0123456789"},
        {"close failing", Call::Close, {failsWith(EIO)},
         [](PosixFile& f, auto&) { return std::int64_t(!f.close() && !f.isOpen()); }, 1, EIO, 1, "0123456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("f.bin");
        std::ofstream(path, std::ios::binary) << "0123456789";
        PosixFile file = PosixFile::open(path, O_RDWR);
        ASSERT_TRUE(file.isOpen());
        {
            ScriptedSystemCalls calls;
            calls.script(c.call, c.steps);
            errno = 0;
            const std::int64_t result = c.action(file, path);
            const int error = errno;
            EXPECT_EQ(result, c.result);
            if (c.error != 0) {
                EXPECT_EQ(error, c.error) << std::strerror(error);
            }
            EXPECT_EQ(calls.calls(c.call), c.calls);
            EXPECT_TRUE(calls.scriptsUsedUp());
        }
        EXPECT_EQ(readFile(path), c.content);
    }
}

}  // namespace
}  // namespace dfm
