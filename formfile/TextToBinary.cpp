#include "TextToBinary.h"

#include "BinaryFormSink.h"
#include "Errors.h"
#include "FormTextReader.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"

#include <algorithm>

namespace dfm {

void textToBinary(ByteStream& input, ByteStream& output, TextEncoding encoding, const CodePage* codePage)
{
    FormParser parser(input, encoding, codePage);
    FormWriter writer(output);
    writer.putSignature();
    BinaryFormSink sink(writer);
    FormTextReader(parser, sink).readObject();
    writer.flush();
    output.flush();
}

namespace {

// The resource header for a form stream of size bytes whose first bytes (at most
// RootNameReach of them) are start.
constexpr std::size_t RootNameReach = 4 + 6 + 1 + 255;

std::string headerForStream(const unsigned char* start, std::size_t available, std::size_t size)
{
    // The root's class name, behind "TPF0" and the optional prefix with its position.
    std::size_t p = 4;
    if (p < available && start[p] >= ObjectPrefixTag) {
        if (start[p] & ObjectFlag::HasPosition) {
            ++p;
            p += p < available && start[p] == Int8 ? 1 : p < available && start[p] == Int16 ? 2 : 4;
        }
        ++p;
    }
    const std::size_t nameLength = p < available ? start[p] : 0;
    if (nameLength > MaxRootClassNameLength)
        throw WriteError("The class name of the root object is longer than "
                         + std::to_string(MaxRootClassNameLength) + " characters");
    const std::size_t shown = std::min(nameLength, available - std::min(available, p + 1));
    return makeResourceHeader(std::string_view(reinterpret_cast<const char*>(start + p + 1), shown),
                              static_cast<std::uint32_t>(size));
}

}  // namespace

namespace {

// Hands a form stream on to a rewritable output behind its resource header. The header goes out
// as soon as the root's class name has come by, its size field filled in by finish().
class HeaderFirstStream : public ByteStream {
public:
    explicit HeaderFirstStream(ByteStream& output) : output_(output) {}

    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (sizeField_ < 0) {
            held_.append(static_cast<const char*>(buffer), count);
            if (held_.size() >= RootNameReach)
                putHeld();
        } else {
            output_.writeBuffer(buffer, count);
        }
        size_ += count;
        return count;
    }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return static_cast<std::int64_t>(size_); }
    void flush() override {}

    void finish()
    {
        if (sizeField_ < 0) {
            putHeld();
        } else {
            unsigned char size[4];
            for (int i = 0; i < 4; ++i)
                size[i] = static_cast<unsigned char>(size_ >> (8 * i));
            const std::int64_t end = output_.position();
            output_.setPosition(sizeField_);
            output_.writeBuffer(size, sizeof size);
            output_.setPosition(end);
        }
        output_.flush();
    }

private:
    void putHeld()
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(held_.data());
        const std::string header = headerForStream(bytes, held_.size(), held_.size());
        sizeField_ = output_.position() + static_cast<std::int64_t>(header.size()) - 4;
        output_.writeBuffer(header.data(), header.size());
        output_.writeBuffer(held_.data(), held_.size());
        held_ = {};
    }

    ByteStream& output_;
    std::string held_;
    std::int64_t sizeField_ = -1;  // where the header's size field lies, once written
    std::uint64_t size_ = 0;
};

}  // namespace

void textToResource(ByteStream& input, ByteStream& output, TextEncoding encoding, const CodePage* codePage)
{
    // A file or memory at its end takes the form stream straight behind its header, and is cut
    // back to where it was if the conversion fails.
    if (output.isRewritable()) {
        const std::int64_t start = output.position();
        if (output.size() == start) {
            try {
                HeaderFirstStream stream(output);
                textToBinary(input, stream, encoding, codePage);
                stream.finish();
            } catch (...) {
                try {
                    output.truncate(start);
                    output.setPosition(start);
                } catch (const FormError&) {
                    // The conversion's own failure is the one to report.
                }
                throw;
            }
            return;
        }
    }
    // Anything else (a pipe) gets the whole file in one piece once the form has converted.
    MemoryStream memory;
    // The binary form is smaller than its text: one allocation, and no copying as it grows.
    const std::int64_t textSize = input.size() - input.position();
    memory.reserve(static_cast<std::size_t>(std::max<std::int64_t>(textSize, 0)));
    textToBinary(input, memory, encoding, codePage);
    const std::string header = headerForStream(memory.memory(), memory.byteCount(), memory.byteCount());
    output.writeBuffer(header.data(), header.size());
    output.writeBuffer(memory.memory(), memory.byteCount());
    output.flush();
}

void textToResource(ByteStream& input, ByteStream& output, ByteStream& formStream, TextEncoding encoding,
                    const CodePage* codePage)
{
    const std::int64_t start = formStream.position();
    textToBinary(input, formStream, encoding, codePage);
    const auto size = static_cast<std::size_t>(formStream.position() - start);
    unsigned char first[RootNameReach];
    formStream.setPosition(start);
    const std::size_t available = std::min(size, sizeof first);
    formStream.readBuffer(first, available);
    const std::string header = headerForStream(first, available, size);
    output.writeBuffer(header.data(), header.size());
    formStream.setPosition(start);
    output.copyFrom(formStream);
    output.flush();
}

}  // namespace dfm
