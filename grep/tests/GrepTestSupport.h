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
    std::string root() const { return root_.string() + '/'; }
    std::string path(const std::string& relative) const { return root() + relative; }

    std::string write(const std::string& relative, const std::string& bytes) const
    {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    void makeDirectory(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }

private:
    std::filesystem::path root_;
};

class RecordingHost : public GrepHost {
public:
    void scanWarning(const std::string& text) override { warnings.push_back(text); }
    void scanError(const std::string& text) override { errors.push_back(text); }
    void inputRefused(GrepInput input, const std::string& message) override
    {
        refusedInput = input;
        refusals.push_back(message);
    }
    void searchStarted() override { ++started; }
    void searchEnded() override { ++ended; }
    void showStatus(const std::string& text, bool found) override { statuses.push_back({text, found}); }
    void letEventsThrough() override
    {
        if (onEvents)
            onEvents();
    }
    bool takeStopRequest() override { return std::exchange(stopRequested, false); }
    void addFile(const std::string& path) override { files.push_back(path); }
    std::size_t fileCount() const override { return files.size(); }

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
