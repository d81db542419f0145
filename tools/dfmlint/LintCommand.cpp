// The dfmlint command line: reads the options, finds each form's unit, runs the check and prints
// what it reports.
#include "LintCommand.h"

#include "BinaryToText.h"
#include "BoundedMemoryStream.h"
#include "Errors.h"
#include "FormFileKind.h"
#include "FormFileNames.h"
#include "FormInput.h"
#include "SiblingUnits.h"
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
    "Checks each form file against its unit, the file of the same name with the extension .pas\n"
    "in any case: components without a field in the form's class, component fields without a\n"
    "component, event handlers not declared in the class or without a body.\n"
    "\n"
    "  FORM                a binary or text form file (.dfm, .lfm, .fmx, .xfm); with -r also a\n"
    "                      folder, whose form files are checked\n"
    "\n"
    "  -r                  check the form files in the folders named and in their subfolders;\n"
    "                      hidden files and folders (names starting with \".\") are skipped\n"
    "  --ignore-class NAME leave out components and fields of class NAME (may be repeated)\n"
    "  --ignore-file FILE  class names to leave out, one a line; empty lines and lines starting\n"
    "                      with \"#\" are skipped\n"
    "  --                  ends the options, so that a FORM may start with \"-\"\n"
    "  -h, --help          this text\n"
    "  --version           the program's name and version\n"
    "\n"
    "Problems go to standard output as PATH:LINE: message, one a line, sorted by path and line;\n"
    "a line of a binary form is a line of its form text. Messages about files that cannot be read\n"
    "go to standard error. No file is ever written.\n"
    "Exit status: 0 no problem, 1 a problem was found, 2 wrong usage or a file that cannot be read.\n";

// Form text or a unit beyond this is no source file; it is refused rather than held in memory.
constexpr std::size_t MostTextBytes = std::size_t{64} << 20;

std::string tooLarge()
{
    return "more than 64 MiB of text, not checked";
}

bool isHidden(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.size() > 1 && name[0] == '.' && name != "..";
}

// The unit beside the form: NAME.PAS, else NAME with an extension that is ".pas" in any case.
// unitsByFolder: the names of the units of each folder listed so far, so that a folder of many
// forms whose units are ".pas" is listed once rather than once for each form.
std::optional<fs::path> unitOf(const fs::path& form, std::map<std::string, std::vector<std::string>>& unitsByFolder)
{
    fs::path unit = form;
    unit.replace_extension(".PAS");
    std::error_code error;
    if (fs::exists(unit, error))
        return unit;
    const fs::path folder = form.has_parent_path() ? form.parent_path() : fs::path(".");
    const auto [listed, added] = unitsByFolder.try_emplace(folder.string());
    if (added) {
        for (fs::directory_iterator item(folder, error), end; !error && item != end; item.increment(error)) {
            const std::string name = item->path().filename().string();
            if (ascii::equalsIgnoringCase(fs::path(name).extension().string(), ".pas"))
                listed->second.push_back(name);
        }
        // The same unit whatever order the folder lists its files in.
        std::sort(listed->second.begin(), listed->second.end());
    }
    const std::string stem = form.stem().string();
    for (const std::string& name : listed->second) {
        if (fs::path(name).stem() == stem)
            return form.has_parent_path() ? folder / name : fs::path(name);
    }
    return std::nullopt;
}

std::string readWhole(const std::string& path)
{
    dfm::PosixFile file = dfmconv::openInput(path);
    if (dfmconv::fileSizeOf(file) > MostTextBytes)
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

struct FormText {
    std::string bytes;
    TextEncoding encoding = TextEncoding::CodePage;
};

// The form's text as the editor shows it: binary forms converted, text forms as they are.
FormText readForm(const std::string& path)
{
    dfm::PosixFile file = dfmconv::openInput(path);
    std::string probe = dfmconv::readProbe(file);
    const FormFileKind kind = formFileKindOf(probe);
    FormText text;
    if (kind == FormFileKind::Text) {
        if (dfmconv::fileSizeOf(file) > MostTextBytes)
            throw FormError(tooLarge());
        dfmconv::TextInput input = dfmconv::openText(std::move(file), std::move(probe), false, false);
        BoundedMemoryStream bytes(MostTextBytes);
        try {
            bytes.copyFrom(*input.stream);
        } catch (const BoundedMemoryStream::Overflow&) {
            throw FormError(tooLarge());
        }
        text.bytes = std::string(bytes.view());
        text.encoding = input.encoding;
        return text;
    }
    BoundedMemoryStream converted(MostTextBytes);
    try {
        if (kind == FormFileKind::Stream) {
            MemoryStream form(readWhole(path));
            binaryToText(form, converted);
        } else {
            // Anything else goes the binary way, which names what is wrong with it.
            const std::unique_ptr<MemoryStream> form = dfmconv::readBinaryForm(file, probe);
            resourceToText(*form, converted);
        }
    } catch (const BoundedMemoryStream::Overflow&) {
        throw FormError(tooLarge());
    }
    text.bytes = std::string(converted.view());
    return text;
}

}  // namespace

int LintCommand::usage(std::ostream& stream, int status)
{
    stream << UsageText;
    return status;
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
            if (!options || argument.size() < 2 || argument[0] != '-') {
                names.push_back(argument);
            } else if (argument == "--") {
                options = false;
            } else if (argument == "-h" || argument == "--help") {
                return usage(out_, Clean);
            } else if (argument == "--version") {
                out_ << "dfmlint (" << ProductName << ") " << ProductVersion << "\n";
                return Clean;
            } else if (argument == "-r") {
                recursive = true;
            } else if (argument == "--ignore-class" || argument == "--ignore-file") {
                if (i + 1 == arguments.size()) {
                    err_ << "dfmlint: " << argument << " needs a value\n";
                    return usage(err_, WrongUsage);
                }
                const std::string& value = arguments[++i];
                if (argument == "--ignore-class") {
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
                err_ << "dfmlint: unknown option " << argument << "\n";
                return usage(err_, WrongUsage);
            }
        }
        if (names.empty()) {
            if (!arguments.empty())
                err_ << "dfmlint: needs at least one FORM\n";
            return usage(err_, WrongUsage);
        }
        std::vector<std::string> forms;
        bool readable = collectForms(names, recursive, forms);
        const FormUnitCheck check(std::move(ignored));
        std::vector<Report> reports;
        for (const std::string& form : forms)
            readable = checkForm(form, check, reports) && readable;
        std::sort(reports.begin(), reports.end(), [](const Report& a, const Report& b) {
            return std::tie(a.path, a.line, a.message) < std::tie(b.path, b.line, b.message);
        });
        for (const Report& report : reports)
            out_ << report.path << ':' << report.line << ": " << report.message << '\n';
        out_.flush();
        if (!out_) {
            err_ << "dfmlint: cannot write the list of problems\n";
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
        std::vector<std::string> found;
        fs::recursive_directory_iterator entry(name, error), end;
        for (; !error && entry != end; entry.increment(error)) {
            if (isHidden(entry->path())) {
                if (entry->is_directory(error))
                    entry.disable_recursion_pending();
                continue;
            }
            if (hasFormExtension(entry->path().filename().string()) && entry->is_regular_file(error))
                found.push_back(entry->path().string());
        }
        if (error) {
            err_ << "dfmlint: " << (entry == end ? name : entry->path().string()) << ": " << error.message() << "\n";
            ok = false;
        }
        std::sort(found.begin(), found.end());
        forms.insert(forms.end(), found.begin(), found.end());
    }
    return ok;
}

bool LintCommand::checkForm(const std::string& path, const FormUnitCheck& check, std::vector<Report>& reports)
{
    FormText form;
    try {
        form = readForm(path);
    } catch (const FormError& error) {
        err_ << "dfmlint: " << path << ": " << error.what() << "\n";
        return false;
    }
    const std::optional<fs::path> unitPath = unitOf(path, unitsByFolder_);
    if (!unitPath) {
        fs::path expected(path);
        expected.replace_extension(".pas");
        reports.push_back({path, 1, "no unit " + expected.filename().string() + " beside the form"});
        return true;
    }
    std::string unit;
    try {
        unit = readWhole(unitPath->string());
    } catch (const FormError& error) {
        err_ << "dfmlint: " << unitPath->string() << ": " << error.what() << "\n";
        return false;
    }
    // An inherited form's ancestors are looked for among the units beside it, once a folder.
    std::unique_ptr<SiblingUnits>& siblings = siblingsByFolder_[unitPath->parent_path().string()];
    if (!siblings)
        siblings = std::make_unique<SiblingUnits>(unitPath->has_parent_path() ? unitPath->parent_path() : fs::path("."));
    const AncestorUnits ancestors = [&](std::string_view name) { return siblings->declaring(name); };
    for (const LintProblem& problem : check.run(form.bytes, form.encoding, unit, ancestors))
        reports.push_back({problem.file == LintProblem::File::Form ? path : unitPath->string(), problem.line,
                           problem.message});
    return true;
}

}  // namespace dfm
