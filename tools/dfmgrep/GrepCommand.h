// The dfmgrep command line: the grep engine run over a directory, found files printed one a line.
#pragma once

#include "GrepHost.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <unordered_set>
#include <vector>

namespace dfm {

class GrepCommand : public GrepHost {
public:
    enum ExitStatus { Found = 0, NothingFound = 1, WrongUsage = 2 };

    GrepCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // arguments: the command line without the program's name.
    int Run(const std::vector<std::string>& arguments);

    void ScanWarning(const std::string& text) override;
    void ScanError(const std::string& text) override;
    void InputRefused(GrepInput input, const std::string& message) override;
    void SearchStarted() override {}
    void SearchEnded() override {}
    void ShowStatus(const std::string&, bool) override {}
    void LetEventsThrough() override {}
    bool TakeStopRequest() override { return false; }
    void AddFile(const std::string& path) override;
    std::size_t FileCount() const override { return listed_.size(); }

private:
    int Usage(std::ostream& stream, int status);
    // A box's text on one line of the error stream.
    void PrintMessage(const std::string& text);

    std::ostream& out_;
    std::ostream& err_;
    std::unordered_set<std::string> listed_;
};

}  // namespace dfm
