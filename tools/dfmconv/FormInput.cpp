#include "FormInput.h"

#include "Errors.h"
#include "FileStream.h"
#include "FormFileKind.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dfmconv {

namespace {

constexpr std::size_t ChunkSize = 65536;

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
                ok_ = dfm::isUtf8CodePoint(codePoint_, minimum_);
            return;
        }
        if (c == 0) {
            ok_ = false;
        } else if (c >= 0x80) {
            beyondAscii_ = true;
            const dfm::Utf8Lead lead = dfm::utf8Lead(c);
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
class PrefixedStream : public dfm::ByteStream {
public:
    PrefixedStream(std::string held, dfm::PosixFile file) : held_(std::move(held)), file_(std::move(file)) {}

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
            throw dfm::ReadError(dfm::msg::StreamReadFailed);
        return static_cast<std::size_t>(got);
    }
    std::size_t write(const void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, dfm::SeekOrigin) override { throw dfm::ReadError(dfm::msg::StreamReadFailed); }

private:
    std::string held_;
    dfm::PosixFile file_;
    std::size_t position_ = 0;
};

}  // namespace

// The size of a file that can be had by seeking to its end, else 0. Pipes, terminals and devices
// have none, and files under /proc report 0: those are read to their end like a stream.
std::size_t fileSizeOf(const dfm::PosixFile& file)
{
    struct stat status {};
    if (::fstat(file.descriptor(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return 0;
    return static_cast<std::size_t>(status.st_size);
}
// The file named, or standard input for "-"; a folder cannot be opened.
dfm::PosixFile openInput(const std::string& path)
{
    dfm::PosixFile file = path == "-" ? dfm::PosixFile(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0))
                                      : dfm::PosixFile::open(path, O_RDONLY | O_CLOEXEC);
    if (!file.isOpen())
        throw dfm::FileOpenError(path, errno);
    if (file.isDirectory())
        throw dfm::FileOpenError(path, EISDIR);
    return file;
}

// The first bytes of file, which tell its kind: FormKindProbeSize of them, or all it has.
std::string readProbe(dfm::PosixFile& file)
{
    std::string probe(dfm::FormKindProbeSize, '\0');
    const std::ptrdiff_t got = file.readFully(probe.data(), probe.size());
    if (got < 0)
        throw dfm::ReadError(dfm::msg::StreamReadFailed);
    probe.resize(static_cast<std::size_t>(got));
    return probe;
}

// A binary form file read whole into memory, or of a stream as much as its header says the form
// has and one byte more (to tell that something follows). probe holds the first bytes, already
// read. A start that cannot be a resource header is refused before more is read, so that
// /dev/zero or a huge file of anything else costs nothing.
std::unique_ptr<dfm::MemoryStream> readBinaryForm(dfm::PosixFile& file, std::string_view probe)
{
    const std::size_t size = fileSizeOf(file);
    const std::size_t got = probe.size();
    // Missing bytes count as zeros, as the conversion's own check takes them.
    const auto at = [&](std::size_t i) -> unsigned { return i < got ? static_cast<unsigned char>(probe[i]) : 0; };
    if (at(0) != 0xFF || (at(1) | (at(2) << 8)) != 10)
        throw dfm::InvalidImageError(dfm::msg::BadStreamFormat);
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
            throw dfm::InvalidImageError(dfm::msg::BadStreamFormat);
        }
    }
    auto memory = std::make_unique<dfm::MemoryStream>();
    if (size > 0)
        memory->reserve(limit);
    memory->writeBuffer(probe.data(), got);
    readInto(file, *memory, limit);
    memory->setPosition(0);
    return memory;
}

// Opens form text whose first bytes probe holds. It is UTF-8 when forced, after a byte order
// mark, or when it is valid UTF-8 with bytes beyond ASCII, which takes all of it to tell: a file
// is scanned first and read again, a pipe held in memory (up to a NUL byte or the first byte that
// is no UTF-8, after which it is the code page's, unless holdWhole asks for everything up to a
// NUL byte all the same).
TextInput openText(dfm::PosixFile file, std::string probe, bool forceUtf8, bool holdWhole)
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
                throw dfm::ReadError(dfm::msg::StreamReadFailed);
            if (got == 0)
                break;
            scan.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
        }
        if (file.seek(0, SEEK_SET) != 0)
            throw dfm::ReadError(dfm::msg::StreamReadFailed);
        text.stream = std::make_unique<dfm::FileStream>(std::move(file));
        text.seekable = true;
    } else {
        text.held = std::move(probe);
        bool nul = text.held.find('\0') != std::string::npos;
        while (!nul && ((!decided && scan.ok()) || holdWhole)) {
            const std::ptrdiff_t got = file.readSome(chunk, sizeof chunk);
            if (got < 0)
                throw dfm::ReadError(dfm::msg::StreamReadFailed);
            if (got == 0)
                break;
            const std::string_view piece(chunk, static_cast<std::size_t>(got));
            text.held.append(piece);
            scan.feed(piece);
            nul = piece.find('\0') != std::string_view::npos;
        }
        text.stream = std::make_unique<PrefixedStream>(text.held, std::move(file));
    }
    text.encoding = decided || scan.isUtf8BeyondAscii() ? dfm::TextEncoding::Utf8 : dfm::TextEncoding::CodePage;
    return text;
}

}  // namespace dfmconv
