#include "FormConverterCommand.h"

#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "FormFileKind.h"
#include "FormFileNames.h"
#include "FormFolderWalk.h"
#include "FormModel.h"
#include "FormPage.h"
#include "FormPicture.h"
#include "FormSource.h"
#include "MemoryStream.h"
#include "PictureFileNames.h"
#include "PosixFile.h"
#include "ResourceHeader.h"
#include "RoundTrip.h"
#include "SaveTransaction.h"
#include "TextToBinary.h"
#include "Version.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <new>
#include <optional>
#include <ostream>
#include <pthread.h>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* UsageText =
    "Usage: dfmconv [OPTIONS] totext IN [OUT]\n"
    "       dfmconv [OPTIONS] tobinary IN [OUT]\n"
    "       dfmconv [OPTIONS] totext|tobinary IN... -o DIR\n"
    "       dfmconv [OPTIONS] --in-place [--backup] totext|tobinary PATH...\n"
    "       dfmconv [-r] [-j N] check PATH...\n"
    "       dfmconv [OPTIONS] pictures FORM -o DIR\n"
    "\n"
    "Converts form files between the binary form file (.DFM) and the form text, and writes out\n"
    "the pictures a form stores.\n"
    "\n"
    "  totext IN [OUT]    binary form file IN to form text OUT\n"
    "  tobinary IN [OUT]  form text IN to binary form file OUT; text in UTF-8 (after a byte order\n"
    "                     mark, or valid UTF-8 with bytes beyond ASCII) is read as UTF-8, any\n"
    "                     other text in the code page\n"
    "  check PATH...      converts each form file to the other format and back. A binary form file\n"
    "                     is reported identical, identical+trailing (all but the bytes after the\n"
    "                     form), text-fixed (differs only in value kinds the text cannot carry,\n"
    "                     and the text reads back to itself), differs (at which offset, and which\n"
    "                     property when a value changed) or failed (with the error). A file that\n"
    "                     is neither kind fails and is counted apart. Form text is reported\n"
    "                     fixed-point (its text comes back, line breaks and a UTF-8 mark aside),\n"
    "                     stable (the text made from it reads back to itself), differs (where\n"
    "                     that text does not) or failed (with the error and its line). Folders\n"
    "                     give their form files\n"
    "                     (*.dfm, *.lfm, *.fmx, *.xfm in any case, each told by its content); a\n"
    "                     PATH that holds no form file is an error\n"
    "  pictures FORM      writes each picture the form file stores (Picture.Data, Glyph.Data,\n"
    "                     Icon.Data...) into DIR as a file of its own kind, named\n"
    "                     OBJECT.PROPERTY.EXT (Image1.Picture.Data.jpg), one line each; a\n"
    "                     picture of no known kind keeps its bytes, its class before .bin; a name\n"
    "                     given twice gets -2, then -3, before the extension\n"
    "\n"
    "  -            as IN: standard input; as OUT, or OUT left out: standard output\n"
    "  -o DIR       several inputs: each goes to DIR under its own name (below a folder given\n"
    "               with -r, to the same place below DIR); pictures: where they go\n"
    "  --in-place   each input is replaced by its other format under its own name\n"
    "  --backup     with --in-place: the old file stays beside the new one, its extension's first\n"
    "               letter then $$ as its extension (Form.dfm -> Form.D$$)\n"
    "  -r           folders given are searched through all their subfolders for form files.\n"
    "               totext, tobinary IN OUT with -r: IN and OUT are folders; every form file\n"
    "               below IN goes to the same place below OUT\n"
    "  -j N         convert or check N files at a time (default: the number of processors)\n"
    "  --utf8       totext: write UTF-8 after a byte order mark, the characters of strings as\n"
    "               themselves; tobinary, check, pictures: read form text as UTF-8\n"
    "  --no-wrap    totext: keep long strings on one line where the text reader allows it\n"
    "  --codepage N the code page of narrow strings (874, 1250 to 1258, 932, 936, 949, 950):\n"
    "               what --utf8 decodes them with, and the double-byte characters long strings\n"
    "               are never split in; default: QUENDFMED_CODEPAGE, else 1252\n"
    "  --force      replace an OUT that is read-only for you (its folder taking new files)\n"
    "  -h, --help   this text\n"
    "  --version    the program's name, version and licence\n"
    "  --           ends the options: the words after it are the command and paths, even those\n"
    "               that start with -\n"
    "\n"
    "An input is never overwritten (but by --in-place), and a conversion that fails leaves no\n"
    "output file and its input as it was; nor does one stopped by Ctrl+C, a kill, a hang-up or\n"
    "the file size limit. With several inputs, files already of the target format are left\n"
    "alone and reported, a file that fails is reported and the others are still converted.\n"
    "An OUT that exists keeps its permissions and group; through a symbolic link, the file it\n"
    "points to is replaced and the link stays; a pipe or a device is written to.\n"
    "Exit status: 0 success, 1 a file failed (or differs, for check; or a PATH holds no form\n"
    "file) or standard output could not be written, 2 wrong usage.\n";

// Standard output as a stream of bytes, written as the conversion produces them. A failure is
// kept by the checked output for the command to report.
class OutputStream : public dfm::ByteStream {
public:
    explicit OutputStream(dfm::CheckedOutput& out) : out_(out) {}

    std::size_t write(const void* buffer, std::size_t count) override
    {
        return out_.write({static_cast<const char*>(buffer), count}) ? count : 0;
    }
    void flush() override
    {
        if (!out_.flush())
            throw dfm::WriteError(dfm::msg::StreamWriteFailed);
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    // The conversions only append.
    std::int64_t seek(std::int64_t, dfm::SeekOrigin) override { throw dfm::ReadError(dfm::msg::StreamReadFailed); }

private:
    dfm::CheckedOutput& out_;
};

// A refusal that names its file itself ("dfmconv: MESSAGE").
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An output file's failures name that file, not the input being converted.
class NamedOutputStream : public dfm::ByteStream {
public:
    NamedOutputStream(dfm::ByteStream& output, const std::string& name) : output_(output), name_(name) {}

    std::size_t write(const void* buffer, std::size_t count) override
    {
        return named([&] { return output_.write(buffer, count); });
    }
    void flush() override
    {
        named([&] {
            output_.flush();
            return 0;
        });
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, dfm::SeekOrigin) override { throw dfm::ReadError(dfm::msg::StreamReadFailed); }

private:
    template <typename Call>
    std::size_t named(Call call)
    {
        try {
            return call();
        } catch (const dfm::FormError& error) {
            throw Refusal(name_ + ": " + error.what());
        }
    }

    dfm::ByteStream& output_;
    const std::string& name_;
};

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

// Device and inode of the file at path, when it exists.
std::optional<std::pair<std::uint64_t, std::uint64_t>> fileIdOf(const fs::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t>(status.st_dev, status.st_ino);
}

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

// Whether made, form text, is original again; line breaks may have become CR LF, as version
// control often turns them, and a byte order mark may have come.
bool sameText(std::string_view made, std::string_view original)
{
    // UTF-8 is written after a mark; text in UTF-8 without one is the same text.
    if (made.starts_with(dfm::Utf8Mark) && !original.starts_with(dfm::Utf8Mark))
        made.remove_prefix(dfm::Utf8Mark.size());
    if (made == original)
        return true;
    std::size_t m = 0;
    for (std::size_t o = 0; o < original.size(); ++o) {
        const char c = original[o];
        if (c == '\n' && (o == 0 || original[o - 1] != '\r')) {
            if (made.substr(m, 2) != "\r\n")
                return false;
            m += 2;
        } else {
            if (m >= made.size() || made[m] != c)
                return false;
            ++m;
        }
    }
    return m == made.size();
}

bool alreadyTarget(FormConverterCommand::Direction direction, dfm::FormFileKind kind)
{
    if (direction == FormConverterCommand::Direction::ToText)
        return kind == dfm::FormFileKind::Text;
    return kind == dfm::FormFileKind::Resource || kind == dfm::FormFileKind::Stream;
}

std::size_t processorCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

int FormConverterCommand::usage(std::ostream& stream, int status)
{
    stream << UsageText;
    return status;
}

int FormConverterCommand::run(const std::vector<std::string>& arguments)
{
    int status = WrongUsage;
    try {
        status = runWords(arguments);
    } catch (const std::bad_alloc&) {
        err_ << "dfmconv: out of memory\n";
        status = FileFailed;
    }
    // What went to standard output must have arrived, or the run failed.
    if (!output_.flush()) {
        output_.report(err_, "dfmconv");
        return status == WrongUsage ? WrongUsage : FileFailed;
    }
    return status;
}

bool FormConverterCommand::print(const std::string& text)
{
    return output_.write(text);
}

int FormConverterCommand::runWords(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (argument == "-h" || argument == "--help") {
            print(UsageText);
            return Success;
        }
        if (argument == "--version") {
            print(dfm::versionText("dfmconv"));
            return Success;
        }
        if (argument == "-r") {
            recursive_ = true;
        } else if (argument == "--force") {
            force_ = true;
        } else if (argument == "--utf8") {
            utf8_ = true;
        } else if (argument == "--no-wrap") {
            noWrap_ = true;
        } else if (argument == "--codepage" || argument.starts_with("--codepage=")) {
            const bool attached = argument.size() > 10;
            if (!attached && i + 1 == arguments.size())
                return err_ << "dfmconv: --codepage needs a value\n", usage(err_, WrongUsage);
            const std::string value = attached ? argument.substr(11) : arguments[++i];
            const int number = dfm::CodePage::numberFromText(value);
            if (number == 0)
                return err_ << "dfmconv: unknown code page \"" << value
                            << "\" (known: 874, 1250 to 1258, 932, 936, 949, 950)\n",
                       usage(err_, WrongUsage);
            codePage_ = &dfm::CodePage::forNumber(number);
            givenPage_ = codePage_;
        } else if (argument == "--in-place") {
            inPlace_ = true;
        } else if (argument == "--backup") {
            backup_ = true;
        } else if (argument == "-o" || argument.starts_with("-j")) {
            const bool attached = argument.size() > 2;
            if (!attached && i + 1 == arguments.size())
                return err_ << "dfmconv: " << argument << " needs a value\n", usage(err_, WrongUsage);
            const std::string value = attached ? argument.substr(2) : arguments[++i];
            if (argument == "-o") {
                outFolder_ = value;
                if (value.empty())
                    return err_ << "dfmconv: -o needs a folder\n", usage(err_, WrongUsage);
                continue;
            }
            const bool digits = !value.empty() && value.size() <= 4
                && std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); });
            jobs_ = digits ? static_cast<std::size_t>(std::stoi(value)) : 0;
            if (jobs_ == 0)
                return err_ << "dfmconv: -j needs a number of files at a time from 1 to 9999\n",
                       usage(err_, WrongUsage);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return err_ << "dfmconv: unknown option " << argument << "\n", usage(err_, WrongUsage);
        } else {
            words.push_back(argument);
        }
    }
    if (jobs_ == 0)
        jobs_ = processorCount();
    if (words.empty())
        return usage(err_, WrongUsage);
    const std::string command = words.front();
    words.erase(words.begin());
    if (backup_ && !inPlace_)
        return err_ << "dfmconv: --backup goes with --in-place\n", usage(err_, WrongUsage);
    if (inPlace_ && !outFolder_.empty())
        return err_ << "dfmconv: --in-place and -o exclude each other\n", usage(err_, WrongUsage);
    if (command == "check") {
        if (words.empty())
            return err_ << "dfmconv: check needs at least one PATH\n", usage(err_, WrongUsage);
        if (inPlace_ || !outFolder_.empty())
            return err_ << "dfmconv: check writes no files\n", usage(err_, WrongUsage);
        return check(words);
    }
    if (command == "totext" || command == "tobinary") {
        const Direction direction = command == "totext" ? Direction::ToText : Direction::ToBinary;
        if (words.empty())
            return err_ << "dfmconv: " << command << " needs IN\n", usage(err_, WrongUsage);
        if (inPlace_ || !outFolder_.empty())
            return convertMany(direction, words, outFolder_);
        if (words.size() > 2)
            return err_ << "dfmconv: " << command << " needs IN and at most one OUT, or -o DIR\n",
                   usage(err_, WrongUsage);
        return convert(direction, words);
    }
    if (command == "pictures") {
        if (words.size() != 1 || outFolder_.empty())
            return err_ << "dfmconv: pictures needs one FORM and -o DIR\n", usage(err_, WrongUsage);
        if (inPlace_ || recursive_)
            return err_ << "dfmconv: pictures reads one FORM and writes to -o DIR only\n", usage(err_, WrongUsage);
        return pictures(words.front(), outFolder_);
    }
    err_ << "dfmconv: unknown command " << command << "\n";
    return usage(err_, WrongUsage);
}

int FormConverterCommand::convert(Direction direction, const std::vector<std::string>& paths)
{
    const std::string& in = paths[0];
    const std::string out = paths.size() > 1 ? paths[1] : "-";
    if (recursive_) {
        if (paths.size() < 2 || in == "-" || out == "-") {
            err_ << "dfmconv: -r needs an IN folder and an OUT folder\n";
            return WrongUsage;
        }
        std::error_code error;
        if (!fs::is_directory(in, error)) {
            err_ << "dfmconv: " << in << " is not a folder\n";
            return WrongUsage;
        }
        return convertMany(direction, {in}, out);
    }
    if (in != "-" && out != "-" && sameFile(in, out)) {
        err_ << "dfmconv: " << out << " is the input; it is never overwritten\n";
        return WrongUsage;
    }
    const std::string error = convertFile(direction, in, out);
    if (!error.empty())
        err_ << error;
    return error.empty() ? Success : FileFailed;
}

int FormConverterCommand::convertMany(Direction direction, const std::vector<std::string>& paths,
                                      const fs::path& outFolder)
{
    std::vector<Job> jobs;
    std::error_code error;
    for (const std::string& path : paths) {
        if (path == "-") {
            err_ << "dfmconv: standard input cannot be one of several inputs\n";
            return WrongUsage;
        }
        if (!fs::is_directory(path, error)) {
            jobs.push_back({path, inPlace_ ? fs::path(path) : outFolder / fs::path(path).filename()});
            continue;
        }
        if (!recursive_) {
            err_ << "dfmconv: " << path << " is a folder; -r converts the form files below it\n";
            return WrongUsage;
        }
        if (!inPlace_) {
            if (fs::equivalent(path, outFolder, error)) {
                err_ << "dfmconv: OUT must be another folder than IN\n";
                return WrongUsage;
            }
            // A tree written inside the tree it reads (or around it) would write over forms it has
            // yet to read, or has read: refused before a file is written.
            if (liesWithin(outFolder, path) || liesWithin(path, outFolder)) {
                err_ << "dfmconv: OUT and IN must not lie one inside the other: " << outFolder.string()
                     << " would take the place of forms below " << path << "\n";
                return WrongUsage;
            }
        }
        // The place below OUT is the path as walked: a link below IN never leads the output out of OUT.
        for (const fs::path& file : formFilesIn(path, true))
            jobs.push_back({file, inPlace_ ? file : outFolder / file.lexically_relative(path)});
    }
    FileIds inputs;
    std::vector<Job> unique;
    std::map<fs::path, fs::path> sources;
    std::map<std::string, fs::path> backups;
    for (const Job& job : jobs) {
        const auto id = fileIdOf(job.in);
        // A file named twice (or under two names) is converted once.
        if (id && !inputs.insert(*id).second)
            continue;
        if (inPlace_ && backup_ && !alreadyTarget(direction, dfm::formFileKindOfFile(job.in.c_str()))) {
            // Form.dfm and Form.DFM would both be kept as Form.D$$: the first original would be lost.
            const fs::path backup = dfm::backupFileName(job.in.string());
            const auto folder = fileIdOf(backup.has_parent_path() ? backup.parent_path() : fs::path("."));
            const std::string key = folder ? std::to_string(folder->first) + ":" + std::to_string(folder->second)
                                           : fs::absolute(backup.parent_path()).lexically_normal().string();
            const auto [kept, added] = backups.emplace(key + "/" + backup.filename().string(), job.in);
            if (!added) {
                err_ << "dfmconv: " << kept->second.string() << " and " << job.in.string()
                     << " would both be kept as " << backup.string() << "; nothing was converted\n";
                return WrongUsage;
            }
        }
        if (!inPlace_) {
            const auto [place, added] = sources.emplace(job.out.lexically_normal(), job.in);
            if (!added) {
                err_ << "dfmconv: " << place->second.string() << " and " << job.in.string()
                     << " would both be written to " << job.out.string() << "\n";
                return WrongUsage;
            }
        }
        unique.push_back(job);
    }
    if (!inPlace_ && !fs::create_directories(outFolder, error) && error) {
        err_ << "dfmconv: " << outFolder.string() << ": " << error.message() << "\n";
        return FileFailed;
    }
    std::vector<Outcome> outcomes(unique.size());
    forEach(
        unique.size(), [&](std::size_t i) { outcomes[i] = convertJob(direction, unique[i], inputs); },
        [&](std::size_t i) {
            err_ << outcomes[i].report;
            return true;
        });
    std::size_t converted = 0;
    std::size_t failed = 0;
    std::size_t already = 0;
    for (const Outcome& outcome : outcomes) {
        converted += outcome.state == Outcome::State::Converted;
        failed += outcome.state == Outcome::State::Failed;
        already += outcome.state == Outcome::State::AlreadyTarget;
    }
    err_ << "Converted " << converted << " file(s), " << failed << " failed";
    if (already > 0)
        err_ << ", " << already << " already " << (direction == Direction::ToText ? "text" : "binary");
    err_ << ".\n";
    return failed == 0 && !folderUnreadable_ ? Success : FileFailed;
}

FormConverterCommand::Outcome FormConverterCommand::convertJob(Direction direction, const Job& job,
                                                                const FileIds& inputs)
{
    Outcome outcome;
    const std::string in = job.in.string();
    const std::string out = job.out.string();
    try {
        const dfm::FormFileKind kind = dfm::formFileKindOfFile(in.c_str());
        const bool text = kind == dfm::FormFileKind::Text;
        if (alreadyTarget(direction, kind)) {
            outcome.state = Outcome::State::AlreadyTarget;
            outcome.report = "dfmconv: " + in + ": already " + (text ? "form text" : "a binary form file")
                + ", left as it is\n";
            return outcome;
        }
        // An image or a UTF-16 text named like a form is named as what it is not, rather than by
        // the first token the converter could not take; one that cannot be read by why.
        if (kind == dfm::FormFileKind::Unknown
            && dfm::PosixFile::open(in, O_RDONLY | O_NONBLOCK | O_CLOEXEC).isOpen()) {
            outcome.report = "dfmconv: " + in + ": neither a binary form file nor form text\n";
            return outcome;
        }
        if (!inPlace_) {
            const auto target = fileIdOf(job.out);
            if (target && inputs.count(*target) > 0) {
                outcome.report = "dfmconv: " + out + " is an input; it is never overwritten\n";
                return outcome;
            }
            std::error_code error;
            fs::create_directories(job.out.parent_path(), error);
        }
    } catch (const std::bad_alloc&) {
        outcome.report = "dfmconv: " + in + ": out of memory\n";
        return outcome;
    }
    outcome.report = convertFile(direction, in, out, inPlace_ && backup_ ? dfm::backupFileName(job.in.string()) : std::string());
    outcome.state = outcome.report.empty() ? Outcome::State::Converted : Outcome::State::Failed;
    return outcome;
}

std::string FormConverterCommand::convertFile(Direction direction, const std::string& in, const std::string& out,
                                              const std::string& backup)
{
    try {
        dfm::PosixFile inputFile = dfm::openInput(in);
        std::string probe = dfm::readProbe(inputFile);
        const dfm::FormFileKind kind = dfm::formFileKindOf(probe);
        if (alreadyTarget(direction, kind))
            throw Refusal(in + (direction == Direction::ToText ? ": already form text" : ": already a binary form file"));
        std::unique_ptr<dfm::ByteStream> input;
        dfm::TextEncoding encoding = dfm::TextEncoding::CodePage;
        const dfm::CodePage* page = codePage_;
        bool bareStream = false;
        if (direction == Direction::ToText) {
            // The binary readers move back over what they read ahead, which a pipe cannot: such
            // an input is read into memory first.
            if (dfm::fileSizeOf(inputFile) == 0) {
                input = dfm::readBinaryForm(inputFile, probe);
            } else {
                bareStream = kind == dfm::FormFileKind::Stream;
                if (inputFile.seek(0, SEEK_SET) != 0)
                    throw dfm::ReadError(dfm::msg::StreamReadFailed);
                input = std::make_unique<dfm::FileStream>(std::move(inputFile));
            }
        } else {
            dfm::TextInput text = dfm::openText(std::move(inputFile), std::move(probe), utf8_, givenPage_ == nullptr);
            input = std::move(text.stream);
            encoding = text.encoding;
            // Bytes in the wide strings of code-page text are the form's characters.
            if (encoding == dfm::TextEncoding::CodePage)
                page = &dfm::FormPage::ofFormText(*input, text.seekable, text.held, givenPage_);
        }
        // Characters written as themselves are read with the form's own page.
        if (direction == Direction::ToText && utf8_)
            page = &dfm::FormPage::ofBinaryForm(*input, givenPage_);
        const dfm::TextStyle style{utf8_, !noWrap_};
        const auto convert = [&](dfm::ByteStream& output) {
            if (direction == Direction::ToBinary) {
                dfm::MemoryStream formStream;
                dfm::textToResource(*input, output, formStream, encoding, page);
            } else if (bareStream) {
                dfm::binaryToText(*input, output, *page, style);
            } else {
                dfm::resourceToText(*input, output, style, *page);
            }
        };
        if (out == "-") {
            OutputStream output(output_);
            convert(output);
            return {};
        }
        writeOutput(out, backup, convert);
        return {};
    } catch (const std::bad_alloc&) {
        return "dfmconv: " + in + ": out of memory\n";
    } catch (const Refusal& refusal) {
        return std::string("dfmconv: ") + refusal.what() + "\n";
    } catch (const std::exception& error) {
        if (out == "-" && output_.failed()) {
            output_.report(err_, "dfmconv");
            return {};
        }
        return "dfmconv: " + in + ": " + error.what() + "\n";
    }
}

void FormConverterCommand::writeOutput(const std::string& out, const std::string& backup,
                                       const std::function<void(dfm::ByteStream&)>& convert)
{
    struct stat status {};
    const bool exists = ::stat(out.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        // A device or a pipe is written to, as a redirection would; replacing it would put a
        // plain file in the place of /dev/null.
        dfm::FileStream device(out, dfm::FileStream::Mode::OpenWrite);
        NamedOutputStream output(device, out);
        convert(output);
        output.flush();
        return;
    }
    if (exists && S_ISREG(status.st_mode) && !force_ && ::faccessat(AT_FDCWD, out.c_str(), W_OK, AT_EACCESS) != 0
        && errno == EACCES)
        throw Refusal(out + " is read-only; --force replaces it");
    dfm::SaveTransaction::Options options;
    options.tag = "dfmconv";
    options.tagOnly = true;
    // Through a symbolic link, the file it points to is the one replaced and kept.
    options.followLinks = true;
    options.keepGroup = true;
    // Several files at a time take their signals on the main thread, between two commits.
    options.removeOnSignal = !severalFiles_;
    options.refuseReadOnly = false;
    options.rewriteWhereNoNewFiles = false;
    options.backupRequired = true;
    options.removeLeftovers = false;
    // Written as it is made: a large form is never held whole in memory.
    const auto fill = [&](dfm::ByteStream& stream) {
        NamedOutputStream output(stream, out);
        convert(output);
        output.flush();
    };
    dfm::SaveTransaction save({{out, fill, !backup.empty()}}, options);
    try {
        save.prepare();
        const std::lock_guard<std::mutex> commit(commitLock_);
        save.commit();
    } catch (const dfm::WriteError& error) {
        throw Refusal(out + ": " + error.what());
    } catch (const dfm::SaveTransaction::BackupFailed& failed) {
        throw Refusal(failed.backup.string() + ": the backup cannot be made (" + failed.reason.message() + "); " + out
                      + " is left as it was");
    }
}

std::vector<fs::path> FormConverterCommand::formFilesIn(const fs::path& folder, bool recursive)
{
    const dfm::FolderWalk walk{.recursive = recursive};
    return dfm::formFilesInFolder(folder, walk, [this](const fs::path& unreadable, const std::error_code& error) {
        err_ << "dfmconv: " << unreadable.string() << ": " << error.message() << "\n";
        folderUnreadable_ = true;
    });
}

void FormConverterCommand::forEach(std::size_t count, const std::function<void(std::size_t)>& work,
                                   const std::function<bool(std::size_t)>& report)
{
    // The workers never see the stopping signals: this thread takes them between two files'
    // commits, and a file size limit makes a write fail instead of ending the program.
    sigset_t stopping;
    sigemptyset(&stopping);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ})
        sigaddset(&stopping, signal);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &stopping, &previous);
    severalFiles_ = true;

    std::mutex lock;
    std::vector<char> done(count, 0);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    const auto worker = [&] {
        for (std::size_t i = next++; i < count && !stop; i = next++) {
            work(i);
            const std::lock_guard<std::mutex> guard(lock);
            done[i] = 1;
        }
    };
    // More threads than that only wait for the disk.
    constexpr std::size_t MaxThreads = 64;
    const std::size_t threads = std::min({std::max<std::size_t>(jobs_, 1), count, MaxThreads});
    try {
        while (workers.size() < threads)
            workers.emplace_back(worker);
    } catch (const std::system_error&) {
        // The system gives no more threads: those there are do the work.
    }
    if (workers.empty() && count > 0) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            if (!report(i))
                break;
        }
        return;
    }
    std::size_t reported = 0;
    while (reported < count && !stop) {
        {
            std::unique_lock<std::mutex> guard(lock);
            while (reported < count && done[reported]) {
                guard.unlock();
                if (!report(reported))
                    stop = true;
                ++reported;
                guard.lock();
            }
        }
        if (reported == count || stop)
            break;
        const timespec wait{0, 5'000'000};
        const int signal = ::sigtimedwait(&stopping, nullptr, &wait);
        if (signal > 0) {
            // No file is between its temporary name and its rename; the others' data is in files
            // without a name, which go with the program.
            const std::lock_guard<std::mutex> commit(commitLock_);
            std::signal(signal, SIG_DFL);
            sigset_t only;
            sigemptyset(&only);
            sigaddset(&only, signal);
            ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
            std::raise(signal);
        }
    }
    for (std::thread& worker : workers)
        worker.join();
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

int FormConverterCommand::check(const std::vector<std::string>& paths)
{
    std::vector<fs::path> files;
    bool empty = false;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            const std::vector<fs::path> found = formFilesIn(path, recursive_);
            if (found.empty()) {
                err_ << "dfmconv: " << path << " holds no form file\n";
                empty = true;
            }
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.emplace_back(path);
        }
    }
    std::vector<Outcome> outcomes(files.size());
    bool written = true;
    forEach(
        files.size(), [&](std::size_t i) { outcomes[i] = checkFile(files[i]); },
        // A report that cannot be written is not worth the work of the files left.
        [&](std::size_t i) { return written = print(outcomes[i].report); });
    if (!written)
        return FileFailed;
    std::map<std::string, int> binary;
    std::map<std::string, int> text;
    std::map<Outcome::Kind, std::size_t> kinds;
    for (const Outcome& outcome : outcomes) {
        ++kinds[outcome.kind];
        if (outcome.kind == Outcome::Kind::Text)
            ++text[outcome.verdict];
        else if (outcome.kind == Outcome::Kind::Binary)
            ++binary[outcome.verdict];
    }
    const std::size_t neither = kinds[Outcome::Kind::Unreadable] + kinds[Outcome::Kind::NotAForm];
    const std::size_t textCount = kinds[Outcome::Kind::Text];
    print("Checked " + std::to_string(files.size()) + " file(s), " + std::to_string(kinds[Outcome::Kind::Binary])
          + " binary: " + std::to_string(binary["identical"]) + " identical, "
          + std::to_string(binary["identical+trailing"]) + " identical+trailing, " + std::to_string(binary["text-fixed"])
          + " text-fixed, " + std::to_string(binary["differs"]) + " differ, " + std::to_string(binary["failed"])
          + " failed; " + std::to_string(textCount) + " text: " + std::to_string(text["fixed-point"]) + " fixed-point, "
          + std::to_string(text["stable"]) + " stable, " + std::to_string(text["differs"]) + " differ, "
          + std::to_string(text["failed"]) + " failed"
          + (neither == 0 ? std::string()
                          : "; " + std::to_string(neither) + " neither: " + std::to_string(kinds[Outcome::Kind::Unreadable])
                              + " unreadable, " + std::to_string(kinds[Outcome::Kind::NotAForm]) + " not a form file")
          + ".\n");
    const bool bad = binary["differs"] + binary["failed"] + text["differs"] + text["failed"] > 0 || neither > 0;
    return bad || empty || folderUnreadable_ ? FileFailed : Success;
}

FormConverterCommand::Outcome FormConverterCommand::checkFile(const fs::path& file)
{
    Outcome outcome;
    std::string detail;
    try {
        outcome.kind = Outcome::Kind::Unreadable;
        dfm::PosixFile input = dfm::openInput(file.string());
        std::string probe = dfm::readProbe(input);
        const dfm::FormFileKind kind = dfm::formFileKindOf(probe);
        outcome.kind = Outcome::Kind::Binary;
        if (kind == dfm::FormFileKind::Unknown) {
            outcome.kind = Outcome::Kind::NotAForm;
            outcome.verdict = "failed";
            detail = probe.empty() ? "an empty file, not a form file" : "neither a binary form file nor form text";
        } else if (kind != dfm::FormFileKind::Text) {
            const std::unique_ptr<dfm::MemoryStream> form = dfm::readBinaryForm(input, probe);
            input = dfm::PosixFile();
            const auto scratch = [] { return std::unique_ptr<dfm::ByteStream>(dfm::FileStream::temporary()); };
            const dfm::RoundTripResult result = dfm::checkRoundTrip(form->view(), scratch);
            outcome.verdict = dfm::roundTripKindName(result.kind);
            if (result.kind == dfm::RoundTripResult::Kind::Differs)
                detail = "at offset " + std::to_string(result.offset)
                    + (result.property.empty() ? "" : ", property " + result.property);
            if (result.kind == dfm::RoundTripResult::Kind::Failed)
                detail = result.message;
        } else {
            outcome.kind = Outcome::Kind::Text;
            outcome.verdict = "failed";
            dfm::TextInput text = dfm::openText(std::move(input), std::move(probe), utf8_, true);
            const dfm::CodePage& page = dfm::FormPage::ofFormText(*text.stream, text.seekable, text.held, givenPage_);
            dfm::MemoryStream binary;
            {
                dfm::MemoryStream formStream;
                dfm::textToResource(*text.stream, binary, formStream, text.encoding, &page);
            }
            std::string original;
            if (text.seekable) {
                dfm::MemoryStream whole;
                text.stream->setPosition(0);
                whole.copyFrom(*text.stream);
                original = whole.view();
            } else {
                original = std::move(text.held);
            }
            text.stream.reset();
            const bool utf8 = text.encoding == dfm::TextEncoding::Utf8;
            dfm::MemoryStream made;
            binary.setPosition(0);
            dfm::resourceToText(binary, made, dfm::TextStyle{utf8, true}, page);
            bool fixed = sameText(made.view(), original);
            if (!fixed) {
                // Text written with long strings on one line is a fixed point of that style.
                dfm::MemoryStream unwrapped;
                binary.setPosition(0);
                dfm::resourceToText(binary, unwrapped, dfm::TextStyle{utf8, false}, page);
                fixed = sameText(unwrapped.view(), original);
            }
            if (fixed) {
                outcome.verdict = "fixed-point";
            } else {
                // The text made is what a save writes: it must read back to itself.
                const auto style = dfm::TextStyle{utf8, true};
                dfm::MemoryStream again;
                made.setPosition(0);
                dfm::textToResource(made, again, utf8 ? dfm::TextEncoding::Utf8 : dfm::TextEncoding::CodePage, &page);
                dfm::MemoryStream remade;
                again.setPosition(0);
                dfm::resourceToText(again, remade, style, page);
                const std::string_view first = made.view();
                const std::string_view second = remade.view();
                if (first == second) {
                    outcome.verdict = "stable";
                } else {
                    outcome.verdict = "differs";
                    const auto where = std::mismatch(first.begin(), first.end(), second.begin(), second.end());
                    detail = "at offset " + std::to_string(where.first - first.begin()) + " of its text";
                }
            }
        }
    } catch (const std::bad_alloc&) {
        outcome.verdict = "failed";
        detail = "out of memory";
    } catch (const std::exception& error) {
        outcome.verdict = "failed";
        detail = error.what();
    }
    outcome.state = outcome.verdict == "failed" || outcome.verdict == "differs" ? Outcome::State::Failed
                                                                                : Outcome::State::Converted;
    outcome.report = outcome.verdict + "\t" + file.string() + (detail.empty() ? "" : "\t" + detail) + "\n";
    return outcome;
}

int FormConverterCommand::pictures(const std::string& in, const fs::path& outFolder)
{
    struct Found {
        std::string owner;  // the object's name, or its class when it has none
        dfm::FormPicture picture;
    };
    std::optional<dfm::FormModel> model;
    std::vector<Found> found;
    try {
        dfm::PosixFile file = dfm::openInput(in);
        std::string probe = dfm::readProbe(file);
        const dfm::FormFileKind kind = dfm::formFileKindOf(probe);
        if (kind == dfm::FormFileKind::Unknown)
            throw Refusal(in + ": neither a binary form file nor form text");
        if (kind == dfm::FormFileKind::Text) {
            dfm::TextInput text = dfm::openText(std::move(file), std::move(probe), utf8_, false);
            model.emplace(dfm::FormModel::readText(*text.stream, text.encoding, codePage_));
        } else {
            // The binary reader moves back over what it read ahead, which a pipe cannot: such an
            // input is read into memory first, a bare form stream whole.
            std::unique_ptr<dfm::ByteStream> input;
            if (dfm::fileSizeOf(file) > 0) {
                if (file.seek(0, SEEK_SET) != 0)
                    throw dfm::ReadError(dfm::msg::StreamReadFailed);
                input = std::make_unique<dfm::FileStream>(std::move(file));
            } else if (kind == dfm::FormFileKind::Resource) {
                input = dfm::readBinaryForm(file, probe);
            } else {
                auto memory = std::make_unique<dfm::MemoryStream>();
                memory->writeBuffer(probe.data(), probe.size());
                dfm::FileStream rest(std::move(file));
                memory->copyFrom(rest);
                memory->setPosition(0);
                input = std::move(memory);
            }
            if (kind == dfm::FormFileKind::Resource)
                dfm::skipResourceHeader(*input);
            model.emplace(dfm::FormModel::readBinary(*input));
        }
        for (const dfm::FormNode node : model->nodes()) {
            for (const dfm::FormProperty property : node.properties()) {
                if (std::optional<dfm::FormPicture> picture = dfm::pictureOf(node, property))
                    found.push_back({std::string(node.name().empty() ? node.className() : node.name()), *picture});
            }
        }
    } catch (const std::bad_alloc&) {
        err_ << "dfmconv: " << in << ": out of memory\n";
        return FileFailed;
    } catch (const Refusal& refusal) {
        err_ << "dfmconv: " << refusal.what() << "\n";
        return FileFailed;
    } catch (const std::exception& error) {
        err_ << "dfmconv: " << in << ": " << error.what() << "\n";
        return FileFailed;
    }
    if (found.empty()) {
        print(in + " holds no pictures\n");
        return Success;
    }
    std::error_code error;
    if (!fs::create_directories(outFolder, error) && error) {
        err_ << "dfmconv: " << outFolder.string() << ": " << error.message() << "\n";
        return FileFailed;
    }
    const auto input = in == "-" ? std::nullopt : fileIdOf(in);
    PictureFileNames names;
    bool failed = false;
    for (const Found& each : found) {
        const std::string out = (outFolder / names.next(each.owner, each.picture)).string();
        try {
            if (input && fileIdOf(out) == input)
                throw Refusal(out + " is the input; it is never overwritten");
            const std::span<const unsigned char> bytes = each.picture.bytes;
            writeOutput(out, {}, [&](dfm::ByteStream& output) { output.writeBuffer(bytes.data(), bytes.size()); });
            print(out + "\n");
        } catch (const std::bad_alloc&) {
            err_ << "dfmconv: " << out << ": out of memory\n";
            failed = true;
        } catch (const Refusal& refusal) {
            err_ << "dfmconv: " << refusal.what() << "\n";
            failed = true;
        } catch (const std::exception& error) {
            err_ << "dfmconv: " << out << ": " << error.what() << "\n";
            failed = true;
        }
    }
    return failed ? FileFailed : Success;
}
