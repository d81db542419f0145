// Reads a binary form stream through a buffer of its own.
#pragma once

#include "Extended80.h"
#include "ByteStream.h"
#include "ValueTag.h"

#include <memory>
#include <string>
#include <string_view>

namespace dfm {

struct ObjectPrefix {
    unsigned flags = 0;
    std::int32_t position = 0;
};

class FormReader {
public:
    // A file stream's direct reads (64 KiB) and some: the file's bytes come straight into it,
    // also after ensureAvailable kept a few bytes at its front.
    static constexpr std::size_t BufferSize = 68 * 1024;
    static constexpr std::size_t MostEnsured = 4 * 1024;

    explicit FormReader(ByteStream& input);
    // Moves the input back over the bytes buffered but not handed out.
    ~FormReader();
    FormReader(const FormReader&) = delete;
    FormReader& operator=(const FormReader&) = delete;

    std::uint8_t peekTag()
    {
        if (position_ == end_)
            refill();
        return buffer_[position_];
    }
    std::uint8_t takeTag()
    {
        const std::uint8_t tag = peekTag();
        ++position_;
        return tag;
    }
    bool atListEnd() { return peekTag() == EndOfList; }
    // Brings count bytes (at most MostEnsured) into the buffer with one read if fewer are
    // there; returns how many now are, fewer at the end of the input or of a short read.
    std::size_t ensureAvailable(std::size_t count)
    {
        if (end_ - position_ >= count)
            return end_ - position_;
        return refillKeeping();
    }
    // The buffered bytes from the read position, and a move past n of them.
    const unsigned char* cursor() const { return buffer_.get() + position_; }
    void skip(std::size_t n) { position_ += n; }
    // Bytes read from the input but not yet handed out.
    std::size_t buffered() const { return end_ - position_; }
    void expectTag(ValueTag tag);

    void takeName(std::string& name);
    std::string takeName();
    // The name in place when the buffer holds it whole, else copied into scratch;
    // valid until the next call on the reader.
    std::string_view takeNameView(std::string& scratch)
    {
        if (position_ < end_) {
            const std::size_t length = buffer_[position_];
            if (length < end_ - position_) {
                const char* start = reinterpret_cast<const char*>(buffer_.get() + position_ + 1);
                position_ += length + 1;
                return {start, length};
            }
        }
        takeName(scratch);
        return scratch;
    }
    // count bytes in place when the buffer holds them, else copied into scratch.
    const unsigned char* takeBytesView(std::size_t count, unsigned char* scratch)
    {
        if (count <= end_ - position_) {
            const unsigned char* start = buffer_.get() + position_;
            position_ += count;
            return start;
        }
        takeBytes(scratch, count);
        return scratch;
    }
    ObjectPrefix takeObjectPrefix();
    std::int32_t takeIntegerValue()
    {
        // Most integers of a form are small: one tag and one byte, both in the buffer.
        if (end_ - position_ >= 2 && buffer_[position_] == Int8) {
            position_ += 2;
            return static_cast<std::int8_t>(buffer_[position_ - 1]);
        }
        return takeWiderIntegerValue();
    }
    std::int64_t takeInt64Value();
    Extended80 takeExtendedValue();
    float takeSingleValue();
    std::int64_t takeCurrencyValue();
    double takeDateValue();
    double takeDoubleValue();
    void takeStringValue(std::string& value);
    // A short string in place when the buffer holds it whole, else copied into scratch
    // (any string kind); valid until the next call on the reader.
    std::string_view takeStringView(std::string& scratch)
    {
        if (end_ - position_ >= 2 && buffer_[position_] == ShortString) {
            const std::size_t length = buffer_[position_ + 1];
            if (length <= end_ - position_ - 2) {
                const char* start = reinterpret_cast<const char*>(buffer_.get() + position_ + 2);
                position_ += length + 2;
                return {start, length};
            }
        }
        takeStringValue(scratch);
        return scratch;
    }
    std::string takeStringValue();
    std::u16string takeWideStringValue();
    void takeUtf8StringValue(std::string& bytes);
    std::string takeIdentValue();
    void takeSignature();
    void takeBytes(void* data, std::size_t count);
    // Moves past count bytes; those beyond the buffer are passed over by seeking the input, not
    // read, so the input must be able to seek. Bytes that are not there fail the next read.
    void passOver(std::size_t count);
    // Appends count bytes to text, growing it only as the input really delivers them.
    void appendBytes(std::string& text, std::size_t count);

    std::uint32_t takeUInt32();

private:
    void refill();
    std::size_t refillKeeping();
    std::int32_t takeWiderIntegerValue();
    template <typename T>
    T takeRaw();

    ByteStream& input_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
};

}  // namespace dfm
