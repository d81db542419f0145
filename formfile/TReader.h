// Reads a binary form stream through a 4096-byte buffer.
#pragma once

#include "Extended80.h"
#include "TStream.h"
#include "ValueTag.h"

#include <string>

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
    ObjectPrefix TakeObjectPrefix();
    std::int32_t TakeIntegerValue();
    std::int64_t TakeInt64Value();
    Extended80 TakeExtendedValue();
    float TakeSingleValue();
    std::int64_t TakeCurrencyValue();
    double TakeDateValue();
    double TakeDoubleValue();
    void TakeStringValue(std::string& value);
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
    template <typename T>
    T TakeRaw();

    TStream& input_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    unsigned char buffer_[BufferSize];
};

}  // namespace dfm
