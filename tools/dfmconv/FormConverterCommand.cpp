#include "FormConverterCommand.h"

#include "AtomicFile.h"
#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "MemoryStream.h"
#include "PosixFile.h"
#include "RoundTrip.h"
#include "TextToBinary.h"
#include "Version.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <new>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* UsageText =
    "Usage: dfmconv [-r] [--force] totext IN [OUT]\n"
    "       dfmconv [-r] [--force] tobinary IN [OUT]\n"
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
    "  --force      replace an OUT that is read-only for you (its folder taking new files)\n"
    "  -h, --help   this text\n"
    "  --version    the program's name and version\n"
    "\n"
    "An input is never overwritten, and a conversion that fails leaves no output file; nor\n"
    "does one stopped by Ctrl+C, a kill, a hang-up or the file size limit. An OUT that exists\n"
    "keeps its permissions and group; through a symbolic link, the file it points to is\n"
    "replaced and the link stays; a pipe or a device is written to.\n"
    "Exit status: 0 success, 1 a file failed (or differs, for check) or standard output\n"
    "could not be written, 2 wrong usage.\n";

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

constexpr std::size_t ChunkSize = 65536;

// The size of a file that can be had by seeking to its end, else 0. Pipes, terminals and devices
// have none, and files under /proc report 0: those are read to their end like a stream.
std::size_t sizeOf(const dfm::PosixFile& file)
{
    struct stat status {};
    if (::fstat(file.descriptor(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(status.st_size);
}
// The bytes skipResourceHeader looks at for the header.
constexpr std::size_t HeaderArea = 79;

// Appends what file gives to memory until its end or until memory holds limit bytes.
void readInto(dfm::PosixFile& file, dfm::MemoryStream& memory, std::size_t limit)
{
    unsigned char chunk[ChunkSize];
    while (memory.byteCount() < limit) {
        const std::ptrdiff_t got = file.readSome(chunk, std::min(sizeof chunk, limit - memory.byteCount()));
        if (got < 0)
            throw dfm::ReadError(dfm::msg::StreamReadFailed);
        if (got == 0)
            return;
        memory.writeBuffer(chunk, static_cast<std::size_t>(got));
    }
}

// A binary form file read whole into memory, or of a stream as much as its header says the form
// has and one byte more (to tell that something follows). A start that cannot be a resource
// header is refused before more is read, so that /dev/zero or a huge file of anything else
// costs nothing.
std::unique_ptr<dfm::MemoryStream> readBinaryForm(dfm::PosixFile& file)
{
    const std::size_t size = sizeOf(file);
    dfm::MemoryStream start;
    readInto(file, start, HeaderArea);
    const unsigned char* header = start.memory();
    const std::size_t got = start.byteCount();
    // Missing bytes count as zeros, as the conversion's own check takes them.
    const auto at = [&](std::size_t i) -> unsigned { return i < got ? header[i] : 0; };
    if (at(0) != 0xFF || (at(1) | (at(2) << 8)) != 10)
        throw dfm::InvalidImageError(dfm::msg::BadStreamFormat);
    std::size_t limit = got;
    if (size > 0) {
        limit = std::max(limit, size);
    } else {
        const std::string_view view = start.view();
        const std::size_t nameEnd = view.find('\0', 3);
        if (nameEnd != std::string_view::npos && nameEnd + 7 <= got) {
            std::uint32_t dataSize = 0;
            for (int i = 3; i >= 0; --i)
                dataSize = (dataSize << 8) | at(nameEnd + 3 + static_cast<std::size_t>(i));
            limit = nameEnd + 7 + std::size_t{dataSize} + 1;
        } else if (got == HeaderArea) {
            // A name that runs on past the bytes looked at: no header the conversion would take.
            throw dfm::InvalidImageError(dfm::msg::BadStreamFormat);
        }
    }
    auto memory = std::make_unique<dfm::MemoryStream>();
    if (size > 0)
        memory->reserve(limit);
    memory->writeBuffer(start.memory(), got);
    readInto(file, *memory, limit);
    memory->setPosition(0);
    return memory;
}

// The file named, or standard input for "-"; a folder cannot be opened.
dfm::PosixFile openInput(const std::string& path)
{
    dfm::PosixFile file = path == "-" ? dfm::PosixFile(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0))
                                      : dfm::PosixFile::open(path, O_RDONLY | O_CLOEXEC);
    if (!file.isOpen() || file.isDirectory())
        throw dfm::FileOpenError(path);
    return file;
}


// Standard output as a stream of bytes, written as the conversion produces them. A failure is
// kept in error (the errno of the write) for the command to report.
class OutputStream : public dfm::ByteStream {
public:
    OutputStream(std::ostream& out, int& error) : out_(out), error_(error) {}

    std::size_t write(const void* buffer, std::size_t count) override
    {
        errno = 0;
        out_.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(count));
        return failed() ? 0 : count;
    }
    void flush() override
    {
        errno = 0;
        out_.flush();
        if (failed())
            throw dfm::WriteError(dfm::msg::StreamWriteFailed);
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    // The conversions only append.
    std::int64_t seek(std::int64_t, dfm::SeekOrigin) override { throw dfm::ReadError(dfm::msg::StreamReadFailed); }

private:
    bool failed()
    {
        if (out_ || error_ != 0)
            return !out_;
        error_ = errno != 0 ? errno : EIO;
        return true;
    }

    std::ostream& out_;
    int& error_;
};

// The temporary file of an output, filled in pieces large enough to cost few system calls.
class AtomicFileStream : public dfm::ByteStream {
public:
    explicit AtomicFileStream(dfm::AtomicFile& file) : file_(file) { buffer_.reserve(ChunkSize); }

    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (buffer_.size() + count > ChunkSize)
            flush();
        if (count >= ChunkSize)
            file_.write(std::string_view(static_cast<const char*>(buffer), count));
        else
            buffer_.append(static_cast<const char*>(buffer), count);
        return count;
    }
    void flush() override
    {
        file_.write(buffer_);
        buffer_.clear();
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, dfm::SeekOrigin) override { throw dfm::ReadError(dfm::msg::StreamReadFailed); }

private:
    dfm::AtomicFile& file_;
    std::string buffer_;
};

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
    int status = WrongUsage;
    try {
        status = runWords(arguments);
    } catch (const std::bad_alloc&) {
        err_ << "dfmconv: out of memory\n";
        status = FileFailed;
    }
    // What went to standard output must have arrived, or the run failed.
    errno = 0;
    out_.flush();
    if (!out_ && outputError_ == 0)
        outputError_ = errno != 0 ? errno : EIO;
    if (outputError_ != 0) {
        reportOutputError();
        return status == WrongUsage ? WrongUsage : FileFailed;
    }
    return status;
}

void FormConverterCommand::reportOutputError()
{
    if (outputReported_)
        return;
    outputReported_ = true;
    err_ << "dfmconv: standard output: " << std::strerror(outputError_) << "\n";
}

bool FormConverterCommand::print(const std::string& text)
{
    errno = 0;
    out_ << text;
    if (!out_ && outputError_ == 0)
        outputError_ = errno != 0 ? errno : EIO;
    return outputError_ == 0;
}

int FormConverterCommand::runWords(const std::vector<std::string>& arguments)
{
    bool recursive = false;
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (argument == "-h" || argument == "--help") {
            print(UsageText);
            return Success;
        }
        if (argument == "--version") {
            print(std::string("dfmconv (") + dfm::ProductName + ") " + dfm::ProductVersion + "\n");
            return Success;
        }
        if (argument == "-r")
            recursive = true;
        else if (argument == "--force")
            force_ = true;
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
    try {
        dfm::PosixFile inputFile = openInput(in);
        // The binary readers move back over what they read ahead, which a pipe cannot: such an
        // input is read into memory first. Text is read straight on, so that endless input fails
        // at its first bad token.
        std::unique_ptr<dfm::ByteStream> input;
        if (direction == Direction::ToText && sizeOf(inputFile) == 0)
            input = readBinaryForm(inputFile);
        else
            input = std::make_unique<dfm::FileStream>(std::move(inputFile));
        const auto convert = [direction, &input](dfm::ByteStream& output) {
            if (direction == Direction::ToText) {
                dfm::resourceToText(*input, output);
            } else {
                dfm::MemoryStream formStream;
                dfm::textToResource(*input, output, formStream);
            }
        };
        if (out == "-") {
            OutputStream output(out_, outputError_);
            convert(output);
            return true;
        }
        return writeOutput(out, convert);
    } catch (const std::bad_alloc&) {
        err_ << "dfmconv: " << in << ": out of memory\n";
    } catch (const std::exception& error) {
        if (outputError_ != 0)
            reportOutputError();
        else
            err_ << "dfmconv: " << in << ": " << error.what() << "\n";
    }
    return false;
}

bool FormConverterCommand::writeOutput(const std::string& out, const std::function<void(dfm::ByteStream&)>& convert)
{
    struct stat status {};
    const bool exists = ::stat(out.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        // A device or a pipe is written to, as a redirection would; replacing it would put a
        // plain file in the place of /dev/null.
        dfm::FileStream output(out, dfm::FileStream::Mode::OpenWrite);
        convert(output);
        output.flush();
        return true;
    }
    if (exists && S_ISREG(status.st_mode) && !force_ && ::faccessat(AT_FDCWD, out.c_str(), W_OK, AT_EACCESS) != 0
        && errno == EACCES) {
        err_ << "dfmconv: " << out << " is read-only; --force replaces it\n";
        return false;
    }
    dfm::AtomicFile::Options options;
    options.unnamed = true;
    options.followLinks = true;
    options.keepGroup = true;
    options.removeOnSignal = true;
    dfm::AtomicFile file(out, "dfmconv", options);
    AtomicFileStream output(file);
    convert(output);
    output.flush();
    file.commit();
    return true;
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
    const auto scratch = [] { return std::unique_ptr<dfm::ByteStream>(dfm::FileStream::temporary()); };
    std::map<dfm::RoundTripResult::Kind, int> counts;
    for (const fs::path& file : files) {
        dfm::RoundTripResult result;
        try {
            dfm::PosixFile input = openInput(file.string());
            const std::unique_ptr<dfm::MemoryStream> form = readBinaryForm(input);
            input = dfm::PosixFile();
            result = dfm::checkRoundTrip(form->view(), scratch);
        } catch (const std::bad_alloc&) {
            result.message = "out of memory";
        } catch (const std::exception& error) {
            result.message = error.what();
        }
        ++counts[result.kind];
        std::string line = std::string(dfm::roundTripKindName(result.kind)) + "\t" + file.string();
        if (result.kind == dfm::RoundTripResult::Kind::Differs)
            line += "\tat offset " + std::to_string(result.offset);
        if (result.kind == dfm::RoundTripResult::Kind::Failed)
            line += "\t" + result.message;
        // A report that cannot be written is not worth the work of the files left.
        if (!print(line + "\n"))
            return FileFailed;
    }
    using Kind = dfm::RoundTripResult::Kind;
    print("Checked " + std::to_string(files.size()) + " file(s): " + std::to_string(counts[Kind::Identical])
          + " identical, " + std::to_string(counts[Kind::IdenticalTrailing]) + " identical+trailing, "
          + std::to_string(counts[Kind::TextFixed]) + " text-fixed, " + std::to_string(counts[Kind::Differs])
          + " differ, " + std::to_string(counts[Kind::Failed]) + " failed.\n");
    return counts[Kind::Differs] + counts[Kind::Failed] == 0 ? Success : FileFailed;
}
