// The dfmgrep command line: reads the options, runs the grep engine and prints what it reports.
#include "GrepCommand.h"

#include "GrepEngine.h"
#include "Version.h"

#include <algorithm>
#include <new>
#include <ostream>

namespace dfm {

namespace {

constexpr const char* UsageText =
    "Usage: dfmgrep [-r] [-i] [--] KEY DIRECTORY [MASK]\n"
    "\n"
    "Lists the files in DIRECTORY whose names end in one of MASK's extensions and that hold KEY.\n"
    "\n"
    "  KEY        the bytes to find, exactly as given\n"
    "  DIRECTORY  where to look; hidden files and folders (names starting with \".\") are skipped\n"
    "  MASK       extensions separated by \";\", such as pas;dfm; \"*\" is every file (default DFM);\n"
    "             letters match without regard to case, \"*\" and \"?\" are wildcards\n"
    "\n"
    "  -r          search the subdirectories too, depth first\n"
    "  -i          ignore the case of the letters a to z\n"
    "  --          ends the options, so that KEY may start with \"-\"\n"
    "  -h, --help  this text\n"
    "  --version   the program's name and version\n"
    "\n"
    "Found files go to standard output one a line, a folder's files before its subfolders';\n"
    "\"Found N file(s).\" and any message go to standard error. No file is ever written.\n"
    "Exit status: 0 a file was found, 1 none, 2 wrong usage, refused input or an error.\n";

}  // namespace

int GrepCommand::usage(std::ostream& stream, int status)
{
    stream << UsageText;
    return status;
}

int GrepCommand::run(const std::vector<std::string>& arguments)
{
    // Memory that runs out outside a file's scan ends the search, with a message and an error
    // status rather than an abort; the files listed so far stay listed.
    try {
        return search(arguments);
    } catch (const std::bad_alloc&) {
        out_.flush();
        err_ << "dfmgrep: not enough memory to complete the search\n";
        return Failed;
    }
}

int GrepCommand::search(const std::vector<std::string>& arguments)
{
    GrepRequest request;
    request.mask = "DFM";
    std::size_t next = 0;
    for (; next < arguments.size(); ++next) {
        const std::string& argument = arguments[next];
        if (argument == "--") {
            ++next;
            break;
        }
        if (argument == "-h" || argument == "--help")
            return usage(out_, Found);
        if (argument == "--version") {
            out_ << "dfmgrep (" << ProductName << ") " << ProductVersion << "\n";
            return Found;
        }
        // A lone "-" is a key like any other.
        if (argument.size() < 2 || argument[0] != '-')
            break;
        // Letters may come together, as in -ri.
        for (std::size_t i = 1; i < argument.size(); ++i) {
            if (argument[i] == 'r') {
                request.subdirectories = true;
            } else if (argument[i] == 'i') {
                request.caseSensitive = false;
            } else {
                err_ << "dfmgrep: unknown option " << argument << "\n";
                return usage(err_, WrongUsage);
            }
        }
    }
    const std::size_t words = arguments.size() - next;
    if (words < 2 || words > 3) {
        if (!arguments.empty())
            err_ << "dfmgrep: needs KEY, DIRECTORY and at most one MASK\n";
        return usage(err_, WrongUsage);
    }
    request.key = arguments[next];
    request.directory = arguments[next + 1];
    if (words == 3)
        request.mask = arguments[next + 2];

    listed_.clear();
    const GrepEngine::Outcome outcome = GrepEngine(*this).search(request);
    out_.flush();
    if (outcome == GrepEngine::Outcome::Refused)
        return WrongUsage;
    if (!out_) {
        // A list cut short (a full disk) must not pass for a complete one.
        err_ << "dfmgrep: cannot write the list of found files\n";
        return Failed;
    }
    err_ << GrepEngine::foundText(listed_.size()) << "\n";
    return listed_.empty() ? NothingFound : Found;
}

void GrepCommand::scanWarning(const std::string& text)
{
    printMessage(text);
}

void GrepCommand::scanError(const std::string& text)
{
    printMessage(text);
}

void GrepCommand::inputRefused(GrepInput, const std::string& message)
{
    printMessage(message);
}

void GrepCommand::addFile(const std::string& path)
{
    // The engine reports a file once for each piece of the mask it matches (dfm;DFM, or
    // pas;*): a list for other programs names each file once.
    if (listed_.insert(path).second)
        out_ << path << '\n';
}

void GrepCommand::printMessage(const std::string& text)
{
    // The boxes break their text into lines at "\r"; one message stays one line here.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\r', ' ');
    err_ << "dfmgrep: " << line << "\n";
}

}  // namespace dfm
