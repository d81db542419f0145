// A stand-in for the descriptor's system calls: each call follows a script of interruptions,
// short counts and failures, and then goes on to the real system.
#pragma once

#include "PosixFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <deque>
#include <limits>
#include <vector>

namespace dfm::test {

enum class Call { Open, Close, Read, Write, Pwrite, Fsync, Ftruncate, Fallocate, Rename, Link, Unlink, Count };

// One scripted call: fails with error when it is set, else runs for real on at most `most` bytes.
struct Step {
    int error = 0;
    std::size_t most = std::numeric_limits<std::size_t>::max();
};
inline constexpr Step Interrupted{EINTR};
inline Step failsWith(int error) { return Step{error}; }
inline Step atMost(std::size_t bytes) { return Step{0, bytes}; }

// Installs the fakes for its lifetime; there is one at a time, as the table is global.
class ScriptedSystemCalls {
public:
    ScriptedSystemCalls() : saved_(PosixFile::systemCalls())
    {
        state() = State{};
        state().real = saved_;
        PosixFile::systemCalls() = {fakeOpen, fakeClose, fakeRead, fakeWrite, fakePwrite, fakeFsync, fakeFtruncate,
                                    fakeFallocate, fakeRename, fakeLink, fakeUnlink};
    }
    ~ScriptedSystemCalls() { PosixFile::systemCalls() = saved_; }
    ScriptedSystemCalls(const ScriptedSystemCalls&) = delete;
    ScriptedSystemCalls& operator=(const ScriptedSystemCalls&) = delete;

    void script(Call call, std::vector<Step> steps)
    {
        auto& queue = state().scripts[index(call)];
        queue.insert(queue.end(), steps.begin(), steps.end());
    }
    // How often the call was made, real or scripted.
    int calls(Call call) const { return state().counts[index(call)]; }
    bool scriptsUsedUp() const
    {
        return std::all_of(state().scripts.begin(), state().scripts.end(), [](const auto& q) { return q.empty(); });
    }

private:
    struct State {
        PosixFile::SystemCalls real{};
        std::array<std::deque<Step>, static_cast<std::size_t>(Call::Count)> scripts;
        std::array<int, static_cast<std::size_t>(Call::Count)> counts{};
    };
    static State& state()
    {
        static State current;
        return current;
    }
    static std::size_t index(Call call) { return static_cast<std::size_t>(call); }
    static Step next(Call call)
    {
        ++state().counts[index(call)];
        auto& queue = state().scripts[index(call)];
        if (queue.empty())
            return Step{};
        const Step step = queue.front();
        queue.pop_front();
        return step;
    }
    // The scripted failure as the call reports it: -1 and errno.
    static bool fail(const Step& step)
    {
        if (step.error == 0)
            return false;
        errno = step.error;
        return true;
    }

    static int fakeOpen(const char* path, int flags, mode_t mode)
    {
        return fail(next(Call::Open)) ? -1 : state().real.open(path, flags, mode);
    }
    static int fakeClose(int fd)
    {
        // The descriptor goes even when the close reports a failure, as on Linux.
        const Step step = next(Call::Close);
        const int result = state().real.close(fd);
        return fail(step) ? -1 : result;
    }
    static ssize_t fakeRead(int fd, void* buffer, std::size_t count)
    {
        const Step step = next(Call::Read);
        return fail(step) ? -1 : state().real.read(fd, buffer, std::min(count, step.most));
    }
    static ssize_t fakeWrite(int fd, const void* buffer, std::size_t count)
    {
        const Step step = next(Call::Write);
        return fail(step) ? -1 : state().real.write(fd, buffer, std::min(count, step.most));
    }
    static ssize_t fakePwrite(int fd, const void* buffer, std::size_t count, off_t offset)
    {
        const Step step = next(Call::Pwrite);
        return fail(step) ? -1 : state().real.pwrite(fd, buffer, std::min(count, step.most), offset);
    }
    static int fakeFsync(int fd) { return fail(next(Call::Fsync)) ? -1 : state().real.fsync(fd); }
    static int fakeFtruncate(int fd, off_t length)
    {
        return fail(next(Call::Ftruncate)) ? -1 : state().real.ftruncate(fd, length);
    }
    static int fakeFallocate(int fd, off_t offset, off_t length)
    {
        const Step step = next(Call::Fallocate);
        return step.error != 0 ? step.error : state().real.fallocate(fd, offset, length);
    }

    static int fakeRename(const char* from, const char* to)
    {
        return fail(next(Call::Rename)) ? -1 : state().real.rename(from, to);
    }
    static int fakeLink(const char* from, const char* to)
    {
        return fail(next(Call::Link)) ? -1 : state().real.link(from, to);
    }
    static int fakeUnlink(const char* path) { return fail(next(Call::Unlink)) ? -1 : state().real.unlink(path); }

    PosixFile::SystemCalls saved_;
};

}  // namespace dfm::test
