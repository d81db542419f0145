// The dfmconv command line: converts form files between binary and text, and checks round trips.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace dfm {
class ByteStream;
}

class FormConverterCommand {
public:
    enum ExitStatus { Success = 0, FileFailed = 1, WrongUsage = 2 };

    FormConverterCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const std::vector<std::string>& arguments);

private:
    enum class Direction { ToText, ToBinary };

    int usage(std::ostream& stream, int status);
    int runWords(const std::vector<std::string>& arguments);
    // Writes text to standard output; false once anything could not be written there.
    bool print(const std::string& text);
    // "dfmconv: standard output: REASON", once.
    void reportOutputError();
    int convert(Direction direction, const std::vector<std::string>& paths, bool recursive);
    int convertTree(Direction direction, const std::filesystem::path& in, const std::filesystem::path& out);
    bool convertFile(Direction direction, const std::string& in, const std::string& out);
    bool writeOutput(const std::string& out, const std::function<void(dfm::ByteStream&)>& convert);
    int check(const std::vector<std::string>& paths, bool recursive);
    std::vector<std::filesystem::path> formFilesIn(const std::filesystem::path& folder, bool recursive,
                                                   bool wantBinary);

    std::ostream& out_;
    std::ostream& err_;
    bool force_ = false;
    int outputError_ = 0;  // errno of the first failed write to standard output
    bool outputReported_ = false;
};
