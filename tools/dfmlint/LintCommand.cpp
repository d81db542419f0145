// The dfmlint command line: reads the options, finds each form's unit, runs the check and prints
// what it reports.
#include "LintCommand.h"

#include "CheckedOutput.h"
#include "CodePage.h"
#include "CodePageGuess.h"
#include "Errors.h"
#include "FormFolderWalk.h"
#include "FormSource.h"
#include "SiblingUnits.h"
#include "UnitFile.h"
#include "Version.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <ostream>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;

namespace dfm {

namespace {

constexpr const char* UsageText =
    "Usage: dfmlint [-r] [--ignore-class NAME]... [--ignore-file FILE] [--] FORM...\n"
    "\n"
    "Checks each form file against its unit beside it (NAME.PAS, NAME.pas, or NAME.pas in any\n"
    "other case): components without a published field in the form's class, component fields\n"
    "without a component, event handlers not declared published in the class or without a body\n"
    "(in the unit or a file it includes).\n"
    "\n"
    "  FORM                a binary or text form file (.dfm, .lfm, .fmx, .xfm); with -r also a\n"
    "                      folder, whose form files are checked\n"
    "\n"
    "  -r                  check the form files in the folders named and in their subfolders;\n"
    "                      hidden files and folders (names starting with \".\") are skipped\n"
    "  --ignore-class NAME leave out components and fields of class NAME (may be repeated)\n"
    "  --ignore-file FILE  class names to leave out, one a line; empty lines and lines starting\n"
    "                      with \"#\" are skipped\n"
    "                      (both also as --option=VALUE)\n"
    "  --                  ends the options, so that a FORM may start with \"-\"\n"
    "  -h, --help          this text\n"
    "  --version           the program's name, version and licence\n"
    "\n"
    "Problems go to standard output as PATH:LINE: message, one a line, sorted by path and line;\n"
    "a line of a binary form is a line of its form text. Messages about files and folders that\n"
    "cannot be read go to standard error; the others are still checked. No file is ever written.\n"
    "Exit status: 0 no problem, 1 a problem was found, 2 wrong usage or a file that cannot be read.\n";

// Form text or a unit beyond this is no source file; it is refused rather than held in memory.
constexpr std::size_t MostTextBytes = std::size_t{64} << 20;

std::string tooLarge()
{
    return "more than 64 MiB of text, not checked";
}

std::string readWhole(const std::string& path)
{
    dfm::PosixFile file = dfm::openInput(path);
    if (dfm::fileSizeOf(file) > MostTextBytes)
        throw FormError(tooLarge());
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const std::ptrdiff_t got = file.readSome(chunk, sizeof chunk);
        if (got < 0)
            throw ReadError(msg::StreamReadFailed);
        if (got == 0)
            return bytes;
        bytes.append(chunk, static_cast<std::size_t>(got));
        if (bytes.size() > MostTextBytes)
            throw FormError(tooLarge());
    }
}

// The form's text as the editor shows it: binary forms converted, text forms as they are.
FormText readForm(const std::string& path)
{
    try {
        return readFormText(path, CodePage::system(), {MostTextBytes, MostTextBytes});
    } catch (const FormTextLimits::Overflow&) {
        throw FormError(tooLarge());
    }
}

}  // namespace

int LintCommand::wrongUsage(const std::string& message)
{
    err_ << "dfmlint: " << message << "\nTry 'dfmlint --help' for more information.\n";
    return WrongUsage;
}

int LintCommand::print(const std::string& text)
{
    return CheckedOutput::writeWhole(out_, err_, "dfmlint", text) ? Clean : ProblemsFound;
}

int LintCommand::run(const std::vector<std::string>& arguments)
{
    try {
        bool recursive = false;
        std::vector<std::string> ignored;
        std::vector<std::string> names;
        bool options = true;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            // "--name=value" is "--name value".
            const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
            const std::string option = argument.substr(0, equals);
            if (!options || argument.size() < 2 || argument[0] != '-') {
                names.push_back(argument);
            } else if (argument == "--") {
                options = false;
            } else if (argument == "-h" || argument == "--help") {
                return print(UsageText);
            } else if (argument == "--version") {
                return print(versionText("dfmlint"));
            } else if (argument == "-r") {
                recursive = true;
            } else if (option == "--ignore-class" || option == "--ignore-file") {
                if (equals == std::string::npos && i + 1 == arguments.size())
                    return wrongUsage(option + " needs a value");
                const std::string value = equals == std::string::npos ? arguments[++i] : argument.substr(equals + 1);
                if (option == "--ignore-class") {
                    ignored.push_back(value);
                    continue;
                }
                std::string list;
                try {
                    list = readWhole(value);
                } catch (const FormError& error) {
                    err_ << "dfmlint: " << value << ": " << error.what() << "\n";
                    return WrongUsage;
                }
                for (std::string& name : parseClassList(list))
                    ignored.push_back(std::move(name));
            } else {
                return wrongUsage("unknown option " + argument);
            }
        }
        if (names.empty()) {
            if (!arguments.empty())
                return wrongUsage("needs at least one FORM");
            err_ << UsageText;
            return WrongUsage;
        }
        std::vector<std::string> forms;
        bool readable = collectForms(names, recursive, forms);
        // The units beside a form are read in the page set for the run.
        codePage_ = CodePage::system().number();
        std::vector<Report> reports;
        for (const std::string& form : forms)
            readable = checkForm(form, ignored, reports) && readable;
        std::sort(reports.begin(), reports.end(), [](const Report& a, const Report& b) {
            return std::tie(a.path, a.line, a.message) < std::tie(b.path, b.line, b.message);
        });
        CheckedOutput output(out_);
        for (const Report& report : reports)
            output.write(report.path + ':' + std::to_string(report.line) + ": " + report.message + '\n');
        if (!output.flush()) {
            output.report(err_, "dfmlint");
            return Unreadable;
        }
        if (!readable)
            return Unreadable;
        return reports.empty() ? Clean : ProblemsFound;
    } catch (const std::bad_alloc&) {
        err_ << "dfmlint: not enough memory to complete the check\n";
        return Unreadable;
    }
}

bool LintCommand::collectForms(const std::vector<std::string>& names, bool recursive, std::vector<std::string>& forms)
{
    bool ok = true;
    for (const std::string& name : names) {
        std::error_code error;
        if (name == "-") {
            // The unit is found beside the form, which standard input has no place for.
            err_ << "dfmlint: -: a form is named by its path; standard input is not read\n";
            ok = false;
            continue;
        }
        if (!fs::is_directory(name, error)) {
            forms.push_back(name);
            continue;
        }
        if (!recursive) {
            err_ << "dfmlint: " << name << " is a folder; -r checks the forms in it\n";
            ok = false;
            continue;
        }
        // A folder that cannot be read is named; the rest of the tree is still checked.
        const dfm::FolderWalk walk{.recursive = true, .skipHidden = true};
        for (const fs::path& found : dfm::formFilesInFolder(name, walk, [&](const fs::path& folder, const std::error_code& failure) {
                 err_ << "dfmlint: " << folder.string() << ": " << failure.message() << "\n";
                 ok = false;
             }))
            forms.push_back(found.string());
    }
    return ok;
}

std::optional<std::string> LintCommand::unitOf(const std::string& form)
{
    const fs::path folder = fs::path(form).parent_path();
    const auto [listed, added] = listingsByFolder_.try_emplace(folder.string());
    if (added)
        listed->second = FolderListing::of(folder);
    const std::optional<fs::path> unit = findUnitFile(form, listed->second);
    return unit ? std::optional<std::string>(unit->string()) : std::nullopt;
}

bool LintCommand::checkForm(const std::string& path, const std::vector<std::string>& ignored,
                            std::vector<Report>& reports)
{
    FormText form;
    try {
        form = readForm(path);
    } catch (const FormError& error) {
        err_ << "dfmlint: " << path << ": " << error.what() << "\n";
        return false;
    }
    const std::optional<std::string> unitPath = unitOf(path);
    if (!unitPath) {
        reports.push_back({path, 1, "no unit " + unitFileLookedFor(path) + " (in any case) beside the form"});
        return true;
    }
    std::string unit;
    try {
        unit = readWhole(*unitPath);
    } catch (const FormError& error) {
        err_ << "dfmlint: " << *unitPath << ": " << error.what() << "\n";
        return false;
    }
    // An inherited form's ancestors are looked for among the units beside it, once a folder.
    const fs::path folder = fs::path(*unitPath).parent_path();
    std::unique_ptr<SiblingUnits>& siblings = siblingsByFolder_[folder.string()];
    if (!siblings)
        siblings = std::make_unique<SiblingUnits>(folder.empty() ? fs::path(".") : folder, codePage_);
    const AncestorUnits ancestors = [&](std::string_view name) { return siblings->declaring(name); };
    const IncludeFiles includes = [&](std::string_view name) { return readIncludeBeside(*unitPath, name); };
    // Names in neither UTF-8 nor ASCII are read in the form's page, chosen as the editor chooses it.
    const FormUnitCheck check(ignored, CodePageGuess::guess(form.bytes, unit, codePage_).number);
    for (const LintProblem& problem : check.run(form.bytes, form.encoding, unit, ancestors, includes))
        reports.push_back({problem.file == LintProblem::File::Form ? path : *unitPath, problem.line, problem.message});
    return true;
}

}  // namespace dfm
