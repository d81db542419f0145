// Reads a binary form stream through a 4096-byte buffer.
#pragma once

#include "Extended80.h"
#include "TStream.h"
#include "ValueTag.h"

#include <string>
#include <string_view>

namespace dfm {

struct ObjectPrefix {
    unsigned flags = 0;
    std::int32_t position = 0;
};

class TReader {
public:
    static constexpr std::size_t BufferSize = 4096;

    explicit TReader(TStream& input);
    // Moves the input back over the bytes buffered but not handed out.
    ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    std::uint8_t PeekTag()
    {
        if (position_ == end_)
            Refill();
        return buffer_[position_];
    }
    std::uint8_t TakeTag()
    {
        const std::uint8_t tag = PeekTag();
        ++position_;
        return tag;
    }
    bool AtListEnd() { return PeekTag() == EndOfList; }
    void ExpectTag(ValueTag tag);

    void TakeName(std::string& name);
    std::string TakeName();
    // The name in place when the buffer holds it whole, else copied into scratch;
    // valid until the next call on the reader.
    std::string_view TakeNameView(std::string& scratch)
    {
        if (position_ < end_) {
            const std::size_t length = buffer_[position_];
            if (length < end_ - position_) {
                const char* start = reinterpret_cast<const char*>(buffer_ + position_ + 1);
                position_ += length + 1;
                return {start, length};
            }
        }
        TakeName(scratch);
        return scratch;
    }
    // count bytes in place when the buffer holds them, else copied into scratch.
    const unsigned char* TakeBytesView(std::size_t count, unsigned char* scratch)
    {
        if (count <= end_ - position_) {
            const unsigned char* start = buffer_ + position_;
            position_ += count;
            return start;
        }
        TakeBytes(scratch, count);
        return scratch;
    }
    ObjectPrefix TakeObjectPrefix();
    std::int32_t TakeIntegerValue()
    {
        // Most integers of a form are small: one tag and one byte, both in the buffer.
        if (end_ - position_ >= 2 && buffer_[position_] == Int8) {
            position_ += 2;
            return static_cast<std::int8_t>(buffer_[position_ - 1]);
        }
        return TakeWiderIntegerValue();
    }
    std::int64_t TakeInt64Value();
    Extended80 TakeExtendedValue();
    float TakeSingleValue();
    std::int64_t TakeCurrencyValue();
    double TakeDateValue();
    double TakeDoubleValue();
    void TakeStringValue(std::string& value);
    // A short string in place when the buffer holds it whole, else copied into scratch
    // (any string kind); valid until the next call on the reader.
    std::string_view TakeStringView(std::string& scratch)
    {
        if (end_ - position_ >= 2 && buffer_[position_] == ShortString) {
            const std::size_t length = buffer_[position_ + 1];
            if (length <= end_ - position_ - 2) {
                const char* start = reinterpret_cast<const char*>(buffer_ + position_ + 2);
                position_ += length + 2;
                return {start, length};
            }
        }
        TakeStringValue(scratch);
        return scratch;
    }
    std::string TakeStringValue();
    std::u16string TakeWideStringValue();
    void TakeUtf8StringValue(std::string& bytes);
    std::string TakeIdentValue();
    void TakeSignature();
    void TakeBytes(void* data, std::size_t count);
    // Appends count bytes to text, growing it only as the input really delivers them.
    void AppendBytes(std::string& text, std::size_t count);

    std::uint32_t TakeUInt32();

private:
    void Refill();
    std::int32_t TakeWiderIntegerValue();
    template <typename T>
    T TakeRaw();

    TStream& input_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    unsigned char buffer_[BufferSize];
};

}  // namespace dfm
