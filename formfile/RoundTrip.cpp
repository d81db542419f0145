#include "RoundTrip.h"

#include "BinaryToText.h"
#include "Errors.h"
#include "FormComparison.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"
#include "TextToBinary.h"
#include "ViewStream.h"

#include <algorithm>
#include <cstring>

namespace dfm {

namespace {

constexpr std::size_t ChunkSize = 65536;

// Compares what is written to it with what expected holds from its position, keeping nothing.
class ComparingStream : public ByteStream {
public:
    explicit ComparingStream(ByteStream& expected) : expected_(expected) {}

    std::size_t write(const void* buffer, std::size_t count) override
    {
        const auto* bytes = static_cast<const char*>(buffer);
        for (std::size_t done = 0; same_ && done < count;) {
            char chunk[ChunkSize];
            const std::size_t want = std::min(count - done, sizeof chunk);
            // A file stream hands out what its buffer holds: a short read is not the end.
            std::size_t got = 0;
            for (std::size_t n = 1; got < want && n > 0; got += n)
                n = expected_.read(chunk + got, want - got);
            same_ = got == want && std::memcmp(chunk, bytes + done, got) == 0;
            done += got;
        }
        written_ += static_cast<std::int64_t>(count);
        return count;
    }
    std::size_t read(void*, std::size_t) override { return 0; }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return written_; }

    // Everything written matched, and nothing of expected is left over.
    bool sameAsExpected()
    {
        char extra = 0;
        return same_ && expected_.read(&extra, 1) == 0;
    }

private:
    ByteStream& expected_;
    std::int64_t written_ = 0;
    bool same_ = true;
};

// The file made back from the text, compared with the original piece by piece.
class Rewritten {
public:
    Rewritten(std::string_view original, ByteStream& bytes)
        : original_(original), bytes_(bytes), size_(static_cast<std::size_t>(bytes.size()))
    {
    }

    std::size_t size() const { return size_; }

    // The first offset from start on where the two differ, or the shorter one's size.
    std::size_t mismatchFrom(std::size_t start)
    {
        const std::size_t end = std::min(original_.size(), size_);
        if (start >= end)
            return end;
        bytes_.setPosition(static_cast<std::int64_t>(start));
        char chunk[ChunkSize];
        for (std::size_t at = start; at < end;) {
            const std::size_t n = std::min(end - at, sizeof chunk);
            bytes_.readBuffer(chunk, n);
            const char* differs = std::mismatch(chunk, chunk + n, original_.data() + at).first;
            if (differs != chunk + n)
                return at + static_cast<std::size_t>(differs - chunk);
            at += n;
        }
        return end;
    }

private:
    std::string_view original_;
    ByteStream& bytes_;
    std::size_t size_;
};

// The offset of the first differing byte. The header's data-size field differs whenever the
// lengths do, so it is passed over when the rest of the headers agree: the place that matters
// is in the form stream.
std::int64_t firstDifference(std::string_view original, Rewritten& rewritten)
{
    const std::size_t nameEnd = original.find('\0', 3);
    const std::size_t sizeField = nameEnd + 3;
    const std::size_t streamStart = sizeField + 4;
    if (nameEnd == std::string_view::npos || original.size() < streamStart || rewritten.size() < streamStart
        || rewritten.mismatchFrom(0) < sizeField)
        return static_cast<std::int64_t>(rewritten.mismatchFrom(0));
    return static_cast<std::int64_t>(rewritten.mismatchFrom(streamStart));
}

// Everything but the header's data-size field, which counts the trailing bytes too.
bool sameButTrailing(std::string_view original, Rewritten& rewritten, std::size_t consumed)
{
    if (rewritten.size() != consumed || original.size() <= consumed)
        return false;
    const std::size_t nameEnd = original.find('\0', 3);
    if (nameEnd == std::string_view::npos || nameEnd + 10 > consumed)
        return false;
    const std::size_t sizeField = nameEnd + 3;
    return rewritten.mismatchFrom(0) >= sizeField && rewritten.mismatchFrom(sizeField + 4) == consumed;
}

}  // namespace

RoundTripResult checkRoundTrip(std::string_view formFile)
{
    return checkRoundTrip(formFile, [] { return std::make_unique<MemoryStream>(); });
}

RoundTripResult checkRoundTrip(std::string_view formFile, const ScratchStreams& makeScratch)
{
    RoundTripResult result;
    try {
        ViewStream original(formFile);
        const std::unique_ptr<ByteStream> text = makeScratch();
        resourceToText(original, *text);
        const auto consumed = static_cast<std::size_t>(original.position());

        text->setPosition(0);
        const std::unique_ptr<ByteStream> bytes = makeScratch();
        textToResource(*text, *bytes, *makeScratch());
        Rewritten rewritten(formFile, *bytes);
        if (rewritten.size() == formFile.size() && rewritten.mismatchFrom(0) == formFile.size()) {
            result.kind = RoundTripResult::Kind::Identical;
            return result;
        }
        if (sameButTrailing(formFile, rewritten, consumed)) {
            result.kind = RoundTripResult::Kind::IdenticalTrailing;
            return result;
        }
        bytes->setPosition(0);
        text->setPosition(0);
        ComparingStream textAgain(*text);
        resourceToText(*bytes, textAgain);
        if (textAgain.sameAsExpected()) {
            // A text that reads back to itself may still have changed a value on the way.
            original.setPosition(0);
            skipResourceHeader(original);
            bytes->setPosition(0);
            skipResourceHeader(*bytes);
            const std::optional<std::string> changed = firstChangedValue(original, *bytes);
            if (!changed) {
                result.kind = RoundTripResult::Kind::TextFixed;
                return result;
            }
            result.property = *changed;
        }
        result.kind = RoundTripResult::Kind::Differs;
        result.offset = firstDifference(formFile, rewritten);
    } catch (const FormError& error) {
        result.kind = RoundTripResult::Kind::Failed;
        result.message = error.what();
    }
    return result;
}

const char* roundTripKindName(RoundTripResult::Kind kind)
{
    switch (kind) {
    case RoundTripResult::Kind::Identical:
        return "identical";
    case RoundTripResult::Kind::IdenticalTrailing:
        return "identical+trailing";
    case RoundTripResult::Kind::TextFixed:
        return "text-fixed";
    case RoundTripResult::Kind::Differs:
        return "differs";
    case RoundTripResult::Kind::Failed:
        return "failed";
    }
    return "";
}

}  // namespace dfm
