#include "FormConverterCommand.h"

#include "AtomicFile.h"
#include "BinaryToText.h"
#include "Errors.h"
#include "RoundTrip.h"
#include "FileStream.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* UsageText =
    "Usage: dfmconv [-r] totext IN [OUT]\n"
    "       dfmconv [-r] tobinary IN [OUT]\n"
    "       dfmconv [-r] check PATH...\n"
    "\n"
    "Converts form files between the binary form file (.DFM) and the form text.\n"
    "\n"
    "  totext IN [OUT]    binary form file IN to form text OUT\n"
    "  tobinary IN [OUT]  form text IN to binary form file OUT\n"
    "  check PATH...      converts each binary form file to text and back and reports whether\n"
    "                     the bytes come back: identical, identical+trailing (all but the bytes\n"
    "                     after the form), text-fixed (differs only where the text cannot carry\n"
    "                     the value kind, and the text reads back to itself), differs (at which\n"
    "                     offset) or failed (with the error); folders give their *.dfm files\n"
    "\n"
    "  -            as IN: standard input; as OUT, or OUT left out: standard output\n"
    "  -r           totext, tobinary: IN and OUT are folders; every *.dfm file below IN that is\n"
    "               of the kind to convert goes to the same place below OUT.\n"
    "               check: folders are searched through all their subfolders.\n"
    "  -h, --help   this text\n"
    "\n"
    "An input is never overwritten, and a conversion that fails leaves no output file.\n"
    "Exit status: 0 success, 1 a file failed (or differs, for check), 2 wrong usage.\n";

bool hasFormExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".dfm";
}

bool startsAsBinaryForm(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    char first = 0;
    return file.get(first) && static_cast<unsigned char>(first) == 0xFF;
}

std::string readWholeFile(const std::string& path)
{
    dfm::FileStream file(path, dfm::FileStream::Mode::OpenRead);
    dfm::MemoryStream memory;
    memory.copyFrom(file);
    return std::string(memory.view());
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

}  // namespace

int FormConverterCommand::usage(std::ostream& stream, int status)
{
    stream << UsageText;
    return status;
}

int FormConverterCommand::run(const std::vector<std::string>& arguments)
{
    bool recursive = false;
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (argument == "-h" || argument == "--help")
            return usage(out_, Success);
        if (argument == "-r")
            recursive = true;
        else if (argument.size() > 1 && argument[0] == '-')
            return err_ << "dfmconv: unknown option " << argument << "\n", usage(err_, WrongUsage);
        else
            words.push_back(argument);
    }
    if (words.empty())
        return usage(err_, WrongUsage);
    const std::string command = words.front();
    words.erase(words.begin());
    if (command == "check") {
        if (words.empty())
            return err_ << "dfmconv: check needs at least one PATH\n", usage(err_, WrongUsage);
        return check(words, recursive);
    }
    if (command == "totext" || command == "tobinary") {
        if (words.empty() || words.size() > 2)
            return err_ << "dfmconv: " << command << " needs IN and at most one OUT\n", usage(err_, WrongUsage);
        return convert(command == "totext" ? Direction::ToText : Direction::ToBinary, words, recursive);
    }
    err_ << "dfmconv: unknown command " << command << "\n";
    return usage(err_, WrongUsage);
}

int FormConverterCommand::convert(Direction direction, const std::vector<std::string>& paths, bool recursive)
{
    const std::string& in = paths[0];
    const std::string out = paths.size() > 1 ? paths[1] : "-";
    if (recursive) {
        if (paths.size() < 2 || in == "-" || out == "-") {
            err_ << "dfmconv: -r needs an IN folder and an OUT folder\n";
            return WrongUsage;
        }
        return convertTree(direction, in, out);
    }
    if (in != "-" && out != "-" && sameFile(in, out)) {
        err_ << "dfmconv: " << out << " is the input; it is never overwritten\n";
        return WrongUsage;
    }
    return convertFile(direction, in, out) ? Success : FileFailed;
}

namespace {

// Whether inner is folder itself or lies somewhere below it, links resolved; inner need not
// exist yet.
bool liesWithin(const fs::path& inner, const fs::path& folder)
{
    std::error_code error;
    const fs::path innerReal = fs::weakly_canonical(fs::absolute(inner), error);
    if (error)
        return false;
    const fs::path folderReal = fs::weakly_canonical(fs::absolute(folder), error);
    if (error)
        return false;
    const auto [folderEnd, innerPart] =
        std::mismatch(folderReal.begin(), folderReal.end(), innerReal.begin(), innerReal.end());
    return folderEnd == folderReal.end();
}

}  // namespace

int FormConverterCommand::convertTree(Direction direction, const fs::path& in, const fs::path& out)
{
    std::error_code error;
    if (!fs::is_directory(in, error)) {
        err_ << "dfmconv: " << in.string() << " is not a folder\n";
        return WrongUsage;
    }
    if (fs::equivalent(in, out, error)) {
        err_ << "dfmconv: OUT must be another folder than IN\n";
        return WrongUsage;
    }
    // A tree written inside the tree it reads (or around it) would write over forms it has yet
    // to read, or has read: refused before a file is written.
    if (liesWithin(out, in) || liesWithin(in, out)) {
        err_ << "dfmconv: OUT and IN must not lie one inside the other: " << out.string()
             << " would take the place of forms below " << in.string() << "\n";
        return WrongUsage;
    }
    const std::vector<fs::path> files = formFilesIn(in, true, direction == Direction::ToText);
    int failed = 0;
    for (const fs::path& file : files) {
        const fs::path target = out / fs::relative(file, in);
        fs::create_directories(target.parent_path(), error);
        if (sameFile(file.string(), target.string())) {
            err_ << "dfmconv: " << target.string() << " is an input; it is never overwritten\n";
            ++failed;
        } else if (!convertFile(direction, file.string(), target.string())) {
            ++failed;
        }
    }
    err_ << "Converted " << files.size() - static_cast<std::size_t>(failed) << " file(s), " << failed
         << " failed.\n";
    return failed == 0 ? Success : FileFailed;
}

bool FormConverterCommand::convertFile(Direction direction, const std::string& in, const std::string& out)
{
    const auto convert = [direction](dfm::ByteStream& input, dfm::ByteStream& output) {
        if (direction == Direction::ToText)
            dfm::resourceToText(input, output);
        else
            dfm::textToResource(input, output);
    };
    try {
        std::unique_ptr<dfm::ByteStream> input;
        if (in == "-") {
            // Standard input cannot move back, which the readers need: take it whole.
            auto memory = std::make_unique<dfm::MemoryStream>();
            const std::string all{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
            memory->writeBuffer(all.data(), all.size());
            memory->setPosition(0);
            input = std::move(memory);
        } else {
            input = std::make_unique<dfm::FileStream>(in, dfm::FileStream::Mode::OpenRead);
        }
        if (out == "-") {
            dfm::MemoryStream output;
            convert(*input, output);
            out_.write(reinterpret_cast<const char*>(output.memory()), static_cast<std::streamsize>(output.byteCount()));
            out_.flush();
            return static_cast<bool>(out_);
        }
        dfm::AtomicFile file(out, "dfmconv");
        dfm::MemoryStream output;
        convert(*input, output);
        file.write(output.view());
        file.commit();
        return true;
    } catch (const std::exception& error) {
        err_ << "dfmconv: " << in << ": " << error.what() << "\n";
        return false;
    }
}

std::vector<fs::path> FormConverterCommand::formFilesIn(const fs::path& folder, bool recursive, bool wantBinary)
{
    std::vector<fs::path> files;
    std::error_code error;
    const auto consider = [&](const fs::directory_entry& entry) {
        std::error_code statError;
        if (entry.is_regular_file(statError) && hasFormExtension(entry.path())
            && startsAsBinaryForm(entry.path()) == wantBinary)
            files.push_back(entry.path());
    };
    if (recursive) {
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error))
            consider(*it);
    } else {
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            consider(*it);
    }
    if (error)
        err_ << "dfmconv: " << folder.string() << ": " << error.message() << "\n";
    std::sort(files.begin(), files.end());
    return files;
}

int FormConverterCommand::check(const std::vector<std::string>& paths, bool recursive)
{
    std::vector<fs::path> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            const std::vector<fs::path> found = formFilesIn(path, recursive, true);
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.emplace_back(path);
        }
    }
    std::map<dfm::RoundTripResult::Kind, int> counts;
    for (const fs::path& file : files) {
        dfm::RoundTripResult result;
        try {
            result = dfm::checkRoundTrip(readWholeFile(file.string()));
        } catch (const dfm::FormError& error) {
            result.message = error.what();
        }
        ++counts[result.kind];
        out_ << dfm::roundTripKindName(result.kind) << "\t" << file.string();
        if (result.kind == dfm::RoundTripResult::Kind::Differs)
            out_ << "\tat offset " << result.offset;
        if (result.kind == dfm::RoundTripResult::Kind::Failed)
            out_ << "\t" << result.message;
        out_ << "\n";
    }
    using Kind = dfm::RoundTripResult::Kind;
    out_ << "Checked " << files.size() << " file(s): " << counts[Kind::Identical] << " identical, "
         << counts[Kind::IdenticalTrailing] << " identical+trailing, " << counts[Kind::TextFixed] << " text-fixed, "
         << counts[Kind::Differs] << " differ, " << counts[Kind::Failed] << " failed.\n";
    return counts[Kind::Differs] + counts[Kind::Failed] == 0 ? Success : FileFailed;
}
