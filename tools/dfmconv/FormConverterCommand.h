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

    int Run(const std::vector<std::string>& arguments);

private:
    enum class Direction { ToText, ToBinary };

    int Usage(std::ostream& stream, int status);
    int Convert(Direction direction, const std::vector<std::string>& paths, bool recursive);
    int ConvertTree(Direction direction, const std::filesystem::path& in, const std::filesystem::path& out);
    bool ConvertFile(Direction direction, const std::string& in, const std::string& out);
    int Check(const std::vector<std::string>& paths, bool recursive);
    std::vector<std::filesystem::path> FormFilesIn(const std::filesystem::path& folder, bool recursive,
                                                   bool wantBinary);

    std::ostream& out_;
    std::ostream& err_;
};
