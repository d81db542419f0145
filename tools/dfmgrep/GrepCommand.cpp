// The dfmgrep command line: reads the options, runs the grep engine and prints what it reports.
#include "GrepCommand.h"

#include "CheckedOutput.h"
#include "CodePage.h"
#include "GrepEngine.h"
#include "KeyEncodings.h"
#include "Utf8.h"
#include "Version.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace dfm {

namespace {

constexpr const char* UsageText =
    "Usage: dfmgrep [-r] [-i] [--codepage N] [--all-encodings] [--strings] [--] KEY DIRECTORY [MASK]\n"
    "\n"
    "Lists the files in DIRECTORY whose names end in one of MASK's extensions and that hold KEY.\n"
    "\n"
    "  KEY        the bytes to find, exactly as given; with --codepage or --all-encodings, text\n"
    "             (UTF-8) looked for as the code page's bytes\n"
    "  DIRECTORY  where to look; hidden files and folders (names starting with \".\") are skipped\n"
    "  MASK       extensions separated by \";\", such as pas;dfm; \"*\" is every file (default DFM);\n"
    "             letters match without regard to case, \"*\" and \"?\" are wildcards\n"
    "\n"
    "  -r               search the subdirectories too, depth first\n"
    "  -i               ignore the case of the letters a to z, and of the code page's letters\n"
    "  --codepage N     the code page of KEY's bytes and of its letters: 874, 1250 to 1258, 932,\n"
    "                   936, 949 or 950 (default: QUENDFMED_CODEPAGE, else 1252)\n"
    "  --all-encodings  also find KEY as UTF-16LE (wide strings of binary forms) and as UTF-8\n"
    "  --strings        find KEY (text) in the strings of forms as they read: each form's own code\n"
    "                   page (--codepage overrides it), #n escapes and \"+\" joins resolved, -i by\n"
    "                   Unicode's case rules; files that are no form are passed over\n"
    "  --               ends the options, so that KEY may start with \"-\"\n"
    "  -h, --help       this text\n"
    "  --version        the program's name, version and licence\n"
    "\n"
    "Found files go to standard output one a line, a folder's files before its subfolders';\n"
    "\"Found N file(s).\" and any message go to standard error. No file is ever written.\n"
    "Exit status: 0 a file was found, 1 none, 2 wrong usage, refused input or an error.\n";

std::string pageList()
{
    std::string list;
    for (const int number : CodePage::numbers())
        list += (list.empty() ? "" : ", ") + std::to_string(number);
    return list;
}

}  // namespace

int GrepCommand::wrongUsage(const std::string& message)
{
    err_ << "dfmgrep: " << message << "\nTry 'dfmgrep --help' for more information.\n";
    return WrongUsage;
}

int GrepCommand::answer(const std::string& text)
{
    return CheckedOutput::writeWhole(out_, err_, "dfmgrep", text) ? Found : WriteFailed;
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
    bool pageGiven = false;
    std::size_t next = 0;
    for (; next < arguments.size(); ++next) {
        const std::string& argument = arguments[next];
        if (argument == "--") {
            ++next;
            break;
        }
        if (argument == "-h" || argument == "--help")
            return answer(UsageText);
        if (argument == "--version")
            return answer(versionText("dfmgrep"));
        if (argument == "--all-encodings") {
            request.anyEncoding = true;
            continue;
        }
        if (argument == "--strings") {
            request.formStrings = true;
            continue;
        }
        if (argument == "--codepage" || argument.starts_with("--codepage=")) {
            const bool joined = argument.size() > 10;
            if (!joined && next + 1 == arguments.size()) {
                return wrongUsage("--codepage needs a page number");
            }
            const std::string value = joined ? argument.substr(11) : arguments[++next];
            request.codePage = CodePage::numberFromText(value);
            if (request.codePage == 0) {
                err_ << "dfmgrep: unknown code page \"" << value << "\"; the pages are " << pageList() << "\n";
                return WrongUsage;
            }
            pageGiven = true;
            continue;
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
                return wrongUsage("unknown option " + argument);
            }
        }
    }
    const std::size_t words = arguments.size() - next;
    if (arguments.empty()) {
        err_ << UsageText;
        return WrongUsage;
    }
    if (words < 2 || words > 3)
        return wrongUsage("needs KEY, DIRECTORY and at most one MASK");
    request.key = arguments[next];
    request.directory = arguments[next + 1];
    directory_ = request.directory;
    if (words == 3)
        request.mask = arguments[next + 2];
    if (request.formStrings) {
        // Text from the terminal is UTF-8; other bytes are taken as the default page's own.
        if (!decodeUtf8(request.key, request.keyText))
            request.keyText = KeyEncodings::page(request.codePage).decode(request.key);
        request.anyEncoding = false;
    } else if ((pageGiven || request.anyEncoding) && !readKeyText(request)) {
        return WrongUsage;
    }

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

bool GrepCommand::readKeyText(GrepRequest& request)
{
    const CodePage& page = KeyEncodings::page(request.codePage);
    // Text from the terminal is UTF-8; other bytes are taken as the page's own.
    if (!decodeUtf8(request.key, request.keyText)) {
        request.keyText = page.decode(request.key);
        return true;
    }
    std::size_t failure = 0;
    if (page.encode(request.keyText, request.key, &failure))
        return true;
    request.key.clear();
    if (request.anyEncoding)
        return true;
    printMessage(KeyEncodings::refusal(request.keyText, failure, page) + "; --all-encodings searches every code page");
    return false;
}

void GrepCommand::scanWarning(const std::string& text)
{
    printMessage(text);
}

void GrepCommand::scanError(const std::string& text)
{
    printMessage(text);
}

void GrepCommand::inputRefused(GrepInput input, const std::string& message)
{
    if (input != GrepInput::Directory) {
        printMessage(message);
        return;
    }
    // The tools' own form, with the system's reason, instead of the window's box text.
    struct stat info {};
    int error = ENOENT;
    if (!directory_.empty() && ::stat(directory_.c_str(), &info) == 0)
        error = !S_ISDIR(info.st_mode) ? ENOTDIR : ::access(directory_.c_str(), X_OK) != 0 ? errno : 0;
    else if (!directory_.empty())
        error = errno;
    err_ << "dfmgrep: " << directory_ << ": " << (error != 0 ? std::strerror(error) : message.c_str()) << "\n";
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
