#include "FormWriter.h"

#include "AsciiText.h"
#include "MemoryStream.h"

#include <bit>
#include <cstring>

namespace dfm {

FormWriter::FormWriter(ByteStream& output)
    : output_(output), buffer_(std::make_unique_for_overwrite<unsigned char[]>(BufferSize))
{
}

FormWriter::~FormWriter()
{
    try {
        flush();
    } catch (...) {
        // Reported by the explicit Flush of the normal path; here an error is already unwinding.
    }
}

void FormWriter::flush()
{
    const std::size_t count = used_;
    used_ = 0;
    flushed_ += count;
    output_.writeBuffer(buffer_.get(), count);
}

void FormWriter::putBytesSlow(const void* data, std::size_t count)
{
    const auto* in = static_cast<const unsigned char*>(data);
    while (count > 0) {
        if (used_ == BufferSize)
            flush();
        const std::size_t n = std::min(count, BufferSize - used_);
        std::memcpy(buffer_.get() + used_, in, n);
        used_ += n;
        in += n;
        count -= n;
    }
}

void FormWriter::putManySpaces(std::size_t count)
{
    while (count > 0) {
        const std::size_t n = std::min(count, BufferSize);
        std::memset(reserve(n), ' ', n);
        commit(n);
        count -= n;
    }
}

void FormWriter::putLittleEndian(std::uint64_t value, int byteCount)
{
    char* bytes = reserve(8);
    for (int i = 0; i < byteCount; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    commit(static_cast<std::size_t>(byteCount));
}

void FormWriter::putStringValue(std::string_view value)
{
    if (value.size() < 256) {
        putTag(ShortString);
        putTag(static_cast<std::uint8_t>(value.size()));
    } else {
        putTag(LongString);
        putLittleEndian(value.size(), 4);
    }
    putBytes(value.data(), value.size());
}

void FormWriter::putWideStringValue(std::u16string_view value)
{
    putTag(WideString);
    putLittleEndian(value.size(), 4);
    for (const char16_t unit : value)
        putLittleEndian(unit, 2);
}

void FormWriter::putExtendedValue(const Extended80& value)
{
    putTag(Extended);
    unsigned char bytes[Extended80::ByteSize];
    value.toBytes(bytes);
    putBytes(bytes, sizeof bytes);
}

void FormWriter::putSingleValue(float value)
{
    putTag(Single);
    putLittleEndian(std::bit_cast<std::uint32_t>(value), 4);
}

void FormWriter::putCurrencyValue(std::int64_t value)
{
    putTag(Currency);
    putLittleEndian(static_cast<std::uint64_t>(value), 8);
}

void FormWriter::putDateValue(double value)
{
    putTag(Date);
    putLittleEndian(std::bit_cast<std::uint64_t>(value), 8);
}

void FormWriter::putIdentValue(std::string_view text)
{
    if (ascii::equalsIgnoringCase(text, "False")) {
        putTag(False);
    } else if (ascii::equalsIgnoringCase(text, "True")) {
        putTag(True);
    } else if (ascii::equalsIgnoringCase(text, "nil")) {
        putTag(Nil);
    } else {
        putTag(Identifier);
        putName(text);
    }
}

// The bytes of a binary value, in the writer's buffer behind the place of its length while they
// fit there, else (the buffer never flushed meanwhile) all gathered in memory.
class FormWriter::BlockStream : public ByteStream {
public:
    explicit BlockStream(FormWriter& writer) : writer_(writer), lengthAt_(writer.used_) { writer_.used_ += 4; }

    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void* buffer, std::size_t count) override
    {
        if (!spilled_ && count <= BufferSize - writer_.used_) {
            std::memcpy(writer_.buffer_.get() + writer_.used_, buffer, count);
            writer_.used_ += count;
        } else {
            if (!spilled_) {
                spilled_ = true;
                spill_.write(writer_.buffer_.get() + lengthAt_ + 4, writer_.used_ - lengthAt_ - 4);
                writer_.used_ = lengthAt_ + 4;
            }
            spill_.write(buffer, count);
        }
        length_ += count;
        return count;
    }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return static_cast<std::int64_t>(length_); }

    void finish()
    {
        for (int i = 0; i < 4; ++i)
            writer_.buffer_[lengthAt_ + static_cast<std::size_t>(i)] = static_cast<unsigned char>(length_ >> (8 * i));
        if (spilled_) {
            // Too large for the buffer: straight to the output behind the tag and length.
            writer_.flush();
            writer_.flushed_ += spill_.byteCount();
            writer_.output_.writeBuffer(spill_.memory(), spill_.byteCount());
        }
    }

private:
    FormWriter& writer_;
    std::size_t lengthAt_;
    std::uint64_t length_ = 0;
    bool spilled_ = false;
    MemoryStream spill_;
};

void FormWriter::putBinaryValue(const std::function<void(ByteStream&)>& fill)
{
    // Tag and length go in together, and are taken back with the bytes when fill fails: the
    // output then ends where the value would have begun.
    reserve(5);
    const std::size_t tagAt = used_;
    buffer_[used_++] = Binary;
    BlockStream block(*this);
    try {
        fill(block);
    } catch (...) {
        used_ = tagAt;
        throw;
    }
    block.finish();
}

void FormWriter::putObjectPrefix(unsigned flags, std::int32_t position)
{
    if (flags == 0)
        return;
    putTag(static_cast<std::uint8_t>(ObjectPrefixTag | flags));
    if (flags & ObjectFlag::HasPosition)
        putIntegerValue(position);
}

void FormWriter::putSignature()
{
    putBytes("TPF0", 4);
}

}  // namespace dfm
