// Helpers shared by the grep tests: a temporary file tree, and a host that records what the
// scanner and the engine report.
#pragma once

#include "GrepHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace dfm::test {

class TempTree {
public:
    TempTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "grep-test-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~TempTree()
    {
        std::error_code error;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, error);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 root_, std::filesystem::directory_options::skip_permission_denied, error)) {
            if (entry.is_directory(error) && !entry.is_symlink(error))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, error);
        }
        std::filesystem::remove_all(root_, error);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root with a final "/".
    std::string Root() const { return root_.string() + '/'; }
    std::string Path(const std::string& relative) const { return Root() + relative; }

    std::string Write(const std::string& relative, const std::string& bytes) const
    {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    void MakeDirectory(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }

private:
    std::filesystem::path root_;
};

class RecordingHost : public GrepHost {
public:
    void ScanWarning(const std::string& text) override { warnings.push_back(text); }
    void ScanError(const std::string& text) override { errors.push_back(text); }
    void InputRefused(GrepInput input, const std::string& message) override
    {
        refusedInput = input;
        refusals.push_back(message);
    }
    void SearchStarted() override { ++started; }
    void SearchEnded() override { ++ended; }
    void ShowStatus(const std::string& text, bool found) override { statuses.push_back({text, found}); }
    void LetEventsThrough() override
    {
        if (onEvents)
            onEvents();
    }
    bool TakeStopRequest() override { return std::exchange(stopRequested, false); }
    void AddFile(const std::string& path) override { files.push_back(path); }
    std::size_t FileCount() const override { return files.size(); }

    struct Status {
        std::string text;
        bool found;
        bool operator==(const Status&) const = default;
    };
    std::vector<std::string> warnings;
    std::vector<std::string> errors;
    std::vector<std::string> refusals;
    GrepInput refusedInput = GrepInput::Directory;
    int started = 0;
    int ended = 0;
    std::vector<Status> statuses;
    std::function<void()> onEvents;
    bool stopRequested = false;
    std::vector<std::string> files;
};

}  // namespace dfm::test
