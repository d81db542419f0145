// The dfmconv command line: converts form files between binary and text, and checks round trips.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

class FormConverterCommand {
public:
    enum ExitStatus { Success = 0, FileFailed = 1, WrongUsage = 2 };

    FormConverterCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const std::vector<std::string>& arguments);

private:
    enum class Direction { ToText, ToBinary };

    int usage(std::ostream& stream, int status);
    int convert(Direction direction, const std::vector<std::string>& paths, bool recursive);
    int convertTree(Direction direction, const std::filesystem::path& in, const std::filesystem::path& out);
    bool convertFile(Direction direction, const std::string& in, const std::string& out);
    int check(const std::vector<std::string>& paths, bool recursive);
    std::vector<std::filesystem::path> formFilesIn(const std::filesystem::path& folder, bool recursive,
                                                   bool wantBinary);

    std::ostream& out_;
    std::ostream& err_;
};
