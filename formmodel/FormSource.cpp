#include "FormSource.h"

#include "BinaryToText.h"
#include "BoundedMemoryStream.h"
#include "Errors.h"
#include "FileStream.h"
#include "FormFileKind.h"
#include "ResourceHeader.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dfm {

namespace {

constexpr std::size_t ChunkSize = 65536;

// The bytes skipResourceHeader looks at for the header.
constexpr std::size_t HeaderArea = 79;

// Appends what file gives to memory until its end or until memory holds limit bytes.
void readInto(PosixFile& file, MemoryStream& memory, std::size_t limit)
{
    unsigned char chunk[ChunkSize];
    while (memory.byteCount() < limit) {
        const std::ptrdiff_t got = file.readSome(chunk, std::min(sizeof chunk, limit - memory.byteCount()));
        if (got < 0)
            throw ReadError(msg::StreamReadFailed);
        if (got == 0)
            return;
        memory.writeBuffer(chunk, static_cast<std::size_t>(got));
    }
}

// Follows bytes through UTF-8, piece by piece: whether they are well formed so far and whether
// any lies beyond ASCII. A NUL byte, which no form text holds, ends it as malformed: what comes
// after it (endless zeros, say) is not worth reading to decide.
class Utf8Scan {
public:
    // False once the bytes are known not to be UTF-8 form text; later pieces are then ignored.
    bool feed(std::string_view bytes)
    {
        std::size_t i = 0;
        while (ok_ && i < bytes.size()) {
            if (need_ == 0) {
                // Eight plain ASCII bytes, none of them NUL, at a time.
                while (i + 8 <= bytes.size()) {
                    std::uint64_t word;
                    std::memcpy(&word, bytes.data() + i, 8);
                    constexpr std::uint64_t Ones = 0x0101010101010101u;
                    constexpr std::uint64_t Highs = 0x8080808080808080u;
                    if ((word & Highs) != 0 || ((word - Ones) & ~word & Highs) != 0)
                        break;
                    i += 8;
                }
                if (i == bytes.size())
                    break;
            }
            step(static_cast<unsigned char>(bytes[i++]));
        }
        return ok_;
    }
    // Valid UTF-8 that holds a character beyond ASCII, when all bytes have been fed.
    bool isUtf8BeyondAscii() const { return ok_ && need_ == 0 && beyondAscii_; }
    bool ok() const { return ok_; }

private:
    void step(unsigned char c)
    {
        if (need_ > 0) {
            if ((c & 0xC0u) != 0x80u) {
                ok_ = false;
                return;
            }
            codePoint_ = (codePoint_ << 6) | (c & 0x3Fu);
            if (--need_ == 0)
                ok_ = isUtf8CodePoint(codePoint_, minimum_);
            return;
        }
        if (c == 0) {
            ok_ = false;
        } else if (c >= 0x80) {
            beyondAscii_ = true;
            const Utf8Lead lead = utf8Lead(c);
            ok_ = lead.length > 0;
            need_ = std::max(lead.length - 1, 0);
            codePoint_ = lead.bits;
            minimum_ = lead.minimum;
        }
    }

    bool ok_ = true;
    bool beyondAscii_ = false;
    int need_ = 0;
    char32_t codePoint_ = 0;
    char32_t minimum_ = 0;
};

// Bytes held in memory, then the rest of a file that cannot seek (a pipe). The readers only
// move back when done, which such an input need not allow.
class PrefixedStream : public ByteStream {
public:
    PrefixedStream(std::string held, PosixFile file) : held_(std::move(held)), file_(std::move(file)) {}

    std::size_t read(void* buffer, std::size_t count) override
    {
        if (position_ < held_.size()) {
            const std::size_t n = std::min(count, held_.size() - position_);
            std::memcpy(buffer, held_.data() + position_, n);
            position_ += n;
            return n;
        }
        const std::ptrdiff_t got = file_.readSome(buffer, count);
        if (got < 0)
            throw ReadError(msg::StreamReadFailed);
        return static_cast<std::size_t>(got);
    }
    std::size_t write(const void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, SeekOrigin) override { throw ReadError(msg::StreamReadFailed); }

private:
    std::string held_;
    PosixFile file_;
    std::size_t position_ = 0;
};

}  // namespace

std::size_t fileSizeOf(const PosixFile& file)
{
    struct stat status {};
    if (::fstat(file.descriptor(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(status.st_size);
}

PosixFile openFile(const std::string& path)
{
    PosixFile file = PosixFile::open(path, O_RDONLY | O_CLOEXEC);
    if (!file.isOpen())
        throw FileOpenError(path, errno);
    if (file.isDirectory())
        throw FileOpenError(path, EISDIR);
    return file;
}

PosixFile openInput(const std::string& path)
{
    if (path != "-")
        return openFile(path);
    PosixFile file(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
    if (!file.isOpen())
        throw FileOpenError(path, errno);
    if (file.isDirectory())
        throw FileOpenError(path, EISDIR);
    return file;
}

std::string readProbe(PosixFile& file)
{
    std::string probe(FormKindProbeSize, '\0');
    const std::ptrdiff_t got = file.readFully(probe.data(), probe.size());
    if (got < 0)
        throw ReadError(msg::StreamReadFailed);
    probe.resize(static_cast<std::size_t>(got));
    return probe;
}

bool readFormBytes(PosixFile& file, std::string& bytes, FormFileKind& kind)
{
    bytes.assign(FormKindProbeSize, '\0');
    std::ptrdiff_t count = file.readFully(bytes.data(), bytes.size());
    if (count < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(count));
    kind = formFileKindOf(bytes);
    // Files that are no form are not read beyond their first bytes.
    if (kind == FormFileKind::Unknown)
        return true;
    bytes.reserve(std::max(bytes.size(), fileSizeOf(file)));
    char piece[ChunkSize];
    while (count > 0 && (count = file.readFully(piece, sizeof piece)) > 0)
        bytes.append(piece, static_cast<std::size_t>(count));
    return count >= 0;
}

std::unique_ptr<MemoryStream> readBinaryForm(PosixFile& file, std::string_view probe)
{
    const std::size_t size = fileSizeOf(file);
    const std::size_t got = probe.size();
    // Missing bytes count as zeros, as the conversion's own check takes them.
    const auto at = [&](std::size_t i) -> unsigned { return i < got ? static_cast<unsigned char>(probe[i]) : 0; };
    if (at(0) != 0xFF || (at(1) | (at(2) << 8)) != 10)
        throw InvalidImageError(msg::BadStreamFormat);
    std::size_t limit = got;
    if (size > 0) {
        limit = std::max(limit, size);
    } else {
        const std::size_t nameEnd = probe.substr(0, HeaderArea).find('\0', 3);
        if (nameEnd != std::string_view::npos && nameEnd + 7 <= got) {
            std::uint32_t dataSize = 0;
            for (int i = 3; i >= 0; --i)
                dataSize = (dataSize << 8) | at(nameEnd + 3 + static_cast<std::size_t>(i));
            limit = std::max(got, nameEnd + 7 + std::size_t{dataSize} + 1);
        } else if (got >= HeaderArea) {
            // A name that runs on past the bytes looked at: no header the conversion would take.
            throw InvalidImageError(msg::BadStreamFormat);
        }
    }
    auto memory = std::make_unique<MemoryStream>();
    if (size > 0)
        memory->reserve(limit);
    memory->writeBuffer(probe.data(), got);
    readInto(file, *memory, limit);
    memory->setPosition(0);
    return memory;
}

std::unique_ptr<ByteStream> openBinaryForm(PosixFile& file, std::string_view probe)
{
    if (fileSizeOf(file) == 0)
        return readBinaryForm(file, probe);
    if (file.seek(0, SEEK_SET) != 0)
        throw ReadError(msg::StreamReadFailed);
    return std::make_unique<FileStream>(std::move(file));
}

TextInput openText(PosixFile file, std::string probe, bool forceUtf8, bool holdWhole)
{
    TextInput text;
    const bool marked = std::string_view(probe).starts_with(Utf8Mark);
    const bool decided = forceUtf8 || marked;
    Utf8Scan scan;
    scan.feed(probe);
    char chunk[ChunkSize];
    if (fileSizeOf(file) > 0) {
        while (!decided && scan.ok()) {
            const std::ptrdiff_t got = file.readSome(chunk, sizeof chunk);
            if (got < 0)
                throw ReadError(msg::StreamReadFailed);
            if (got == 0)
                break;
            scan.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
        }
        if (file.seek(0, SEEK_SET) != 0)
            throw ReadError(msg::StreamReadFailed);
        text.stream = std::make_unique<FileStream>(std::move(file));
        text.seekable = true;
    } else {
        text.held = std::move(probe);
        bool nul = text.held.find('\0') != std::string::npos;
        while (!nul && ((!decided && scan.ok()) || holdWhole)) {
            const std::ptrdiff_t got = file.readSome(chunk, sizeof chunk);
            if (got < 0)
                throw ReadError(msg::StreamReadFailed);
            if (got == 0)
                break;
            const std::string_view piece(chunk, static_cast<std::size_t>(got));
            text.held.append(piece);
            scan.feed(piece);
            nul = piece.find('\0') != std::string_view::npos;
        }
        text.stream = std::make_unique<PrefixedStream>(text.held, std::move(file));
    }
    text.encoding = decided || scan.isUtf8BeyondAscii() ? TextEncoding::Utf8 : TextEncoding::CodePage;
    return text;
}

FormText readFormText(const std::string& path, const CodePage& page, const FormTextLimits& limits)
{
    PosixFile file = openFile(path);
    std::string probe = readProbe(file);
    FormText text;
    const FormFileKind kind = formFileKindOf(probe);
    text.kind = kind == FormFileKind::Unknown ? FormFileKind::Resource : kind;
    const bool textForm = kind == FormFileKind::Text;
    if (textForm && fileSizeOf(file) > limits.textFormBytes)
        throw FormTextLimits::Overflow{};
    BoundedMemoryStream output(textForm ? limits.textFormBytes : limits.convertedBytes);
    try {
        if (textForm) {
            TextInput input = openText(std::move(file), std::move(probe), false, false);
            output.copyFrom(*input.stream);
            text.encoding = input.encoding;
        } else {
            const std::unique_ptr<ByteStream> input = openBinaryForm(file, probe);
            if (text.kind == FormFileKind::Stream)
                binaryToText(*input, output, page);
            else
                resourceToText(*input, output, {}, page);
        }
    } catch (const BoundedMemoryStream::Overflow&) {
        throw FormTextLimits::Overflow{};
    }
    text.bytes = std::string(output.view());
    return text;
}

FormModel readFormModel(const std::string& path, const CodePage& page)
{
    PosixFile file = openFile(path);
    std::string probe = readProbe(file);
    const FormFileKind kind = formFileKindOf(probe);
    if (kind == FormFileKind::Text) {
        TextInput input = openText(std::move(file), std::move(probe), false, false);
        return FormModel::readText(*input.stream, input.encoding, &page);
    }
    const std::unique_ptr<ByteStream> input = openBinaryForm(file, probe);
    if (kind != FormFileKind::Stream)
        skipResourceHeader(*input);
    return FormModel::readBinary(*input);
}

}  // namespace dfm
