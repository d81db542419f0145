// The dfmgrep command line: the grep engine run over a directory, found files printed one a line.
#pragma once

#include "GrepHost.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <unordered_set>
#include <vector>

namespace dfm {

struct GrepRequest;

class GrepCommand : public GrepHost {
public:
    enum ExitStatus { Found = 0, NothingFound = 1, WrongUsage = 2, Failed = 2, WriteFailed = 1 };

    GrepCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // arguments: the command line without the program's name.
    int run(const std::vector<std::string>& arguments);

    void scanWarning(const std::string& text) override;
    void scanError(const std::string& text) override;
    void inputRefused(GrepInput input, const std::string& message) override;
    void searchStarted() override {}
    void searchEnded() override {}
    void showStatus(const std::string&, bool) override {}
    void letEventsThrough() override {}
    bool takeStopRequest() override { return false; }
    void addFile(const std::string& path) override;
    std::size_t fileCount() const override { return listed_.size(); }

private:
    int search(const std::vector<std::string>& arguments);
    // One line on what is wrong and where help is.
    int wrongUsage(const std::string& message);
    // Prints the help or version text; a failure to write it is reported.
    int answer(const std::string& text);
    // The key given as text: its bytes in the request's page; false (with the message) when the
    // page lacks a character and no other encoding is searched.
    bool readKeyText(GrepRequest& request);
    // A box's text on one line of the error stream.
    void printMessage(const std::string& text);

    std::ostream& out_;
    std::ostream& err_;
    std::unordered_set<std::string> listed_;
    std::string directory_;  // as given, for the message when it cannot be searched
};

}  // namespace dfm
