#include "TReader.h"

#include "Errors.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace dfm {

TReader::TReader(TStream& input) : input_(input) {}

TReader::~TReader()
{
    if (position_ == end_)
        return;
    try {
        input_.Seek(-static_cast<std::int64_t>(end_ - position_), SeekOrigin::Current);
    } catch (...) {
        // A stream that cannot move back (a pipe) keeps its position; nothing reads it after us.
    }
}

void TReader::Refill()
{
    end_ = input_.Read(buffer_, BufferSize);
    position_ = 0;
    if (end_ == 0)
        throw EReadError(msg::ReadError);
}

void TReader::TakeBytes(void* data, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(data);
    while (count > 0) {
        if (position_ == end_)
            Refill();
        const std::size_t n = std::min(count, end_ - position_);
        std::memcpy(out, buffer_ + position_, n);
        position_ += n;
        out += n;
        count -= n;
    }
}

void TReader::AppendBytes(std::string& text, std::size_t count)
{
    while (count > 0) {
        if (position_ == end_)
            Refill();
        const std::size_t n = std::min(count, end_ - position_);
        text.append(reinterpret_cast<const char*>(buffer_ + position_), n);
        position_ += n;
        count -= n;
    }
}

template <typename T>
T TReader::TakeRaw()
{
    unsigned char bytes[sizeof(T)];
    if (end_ - position_ >= sizeof(T)) {
        std::memcpy(bytes, buffer_ + position_, sizeof(T));
        position_ += sizeof(T);
    } else {
        TakeBytes(bytes, sizeof(T));
    }
    // Little-endian on the wire, whatever the host.
    std::uint64_t value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<T>(value);
}

void TReader::ExpectTag(ValueTag tag)
{
    if (TakeTag() != tag)
        throw EReadError(msg::BadPropertyValue);
}

void TReader::TakeName(std::string& name)
{
    const std::size_t length = TakeTag();
    name.clear();
    AppendBytes(name, length);
}

std::string TReader::TakeName()
{
    std::string name;
    TakeName(name);
    return name;
}

ObjectPrefix TReader::TakeObjectPrefix()
{
    ObjectPrefix prefix;
    if (PeekTag() < 0xF0)
        return prefix;
    prefix.flags = TakeTag() & 0x0Fu;
    if (prefix.flags & ObjectFlag::HasPosition)
        prefix.position = TakeIntegerValue();
    return prefix;
}

std::int32_t TReader::TakeWiderIntegerValue()
{
    switch (TakeTag()) {
    case Int8:
        return static_cast<std::int8_t>(TakeRaw<std::uint8_t>());
    case Int16:
        return static_cast<std::int16_t>(TakeRaw<std::uint16_t>());
    case Int32:
        return static_cast<std::int32_t>(TakeRaw<std::uint32_t>());
    default:
        throw EReadError(msg::BadPropertyValue);
    }
}

std::uint32_t TReader::TakeUInt32()
{
    return TakeRaw<std::uint32_t>();
}

std::int64_t TReader::TakeInt64Value()
{
    if (PeekTag() != Int64)
        return TakeIntegerValue();
    ++position_;
    return static_cast<std::int64_t>(TakeRaw<std::uint64_t>());
}

Extended80 TReader::TakeExtendedValue()
{
    if (PeekTag() != Extended)
        return Extended80::FromInt64(TakeIntegerValue());
    ++position_;
    unsigned char bytes[Extended80::ByteSize];
    TakeBytes(bytes, sizeof bytes);
    return Extended80::FromBytes(bytes);
}

float TReader::TakeSingleValue()
{
    if (PeekTag() != Single)
        return static_cast<float>(TakeIntegerValue());
    ++position_;
    return std::bit_cast<float>(TakeRaw<std::uint32_t>());
}

std::int64_t TReader::TakeCurrencyValue()
{
    if (PeekTag() != Currency)
        return static_cast<std::int64_t>(TakeIntegerValue()) * 10000;
    ++position_;
    return static_cast<std::int64_t>(TakeRaw<std::uint64_t>());
}

double TReader::TakeDateValue()
{
    if (PeekTag() != Date)
        return TakeIntegerValue();
    ++position_;
    return std::bit_cast<double>(TakeRaw<std::uint64_t>());
}

double TReader::TakeDoubleValue()
{
    if (PeekTag() != Double)
        return TakeIntegerValue();
    ++position_;
    return std::bit_cast<double>(TakeRaw<std::uint64_t>());
}

void TReader::TakeStringValue(std::string& value)
{
    std::size_t length;
    switch (TakeTag()) {
    case ShortString:
        length = TakeTag();
        break;
    case LongString:
        // A negative length holds no bytes.
        length = static_cast<std::size_t>(std::max<std::int32_t>(0, static_cast<std::int32_t>(TakeUInt32())));
        break;
    default:
        throw EReadError(msg::BadPropertyValue);
    }
    value.clear();
    AppendBytes(value, length);
}

std::string TReader::TakeStringValue()
{
    std::string value;
    TakeStringValue(value);
    return value;
}

std::u16string TReader::TakeWideStringValue()
{
    if (TakeTag() != WideString)
        throw EReadError(msg::BadPropertyValue);
    const std::size_t count = TakeUInt32();
    std::string bytes;
    AppendBytes(bytes, count * 2);
    std::u16string value(count, u'\0');
    for (std::size_t i = 0; i < count; ++i)
        value[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i])
                                         | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return value;
}

void TReader::TakeUtf8StringValue(std::string& bytes)
{
    if (TakeTag() != Utf8String)
        throw EReadError(msg::BadPropertyValue);
    const std::size_t length = TakeUInt32();
    bytes.clear();
    AppendBytes(bytes, length);
}

std::string TReader::TakeIdentValue()
{
    switch (TakeTag()) {
    case Identifier:
        return TakeName();
    case False:
        return "False";
    case True:
        return "True";
    case Nil:
        return "nil";
    default:
        throw EReadError(msg::BadPropertyValue);
    }
}

void TReader::TakeSignature()
{
    char signature[4];
    TakeBytes(signature, sizeof signature);
    if (std::memcmp(signature, "TPF0", 4) != 0)
        throw EReadError(msg::BadStreamFormat);
}

}  // namespace dfm
