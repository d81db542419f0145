#include "FormReader.h"

#include "Errors.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace dfm {

FormReader::FormReader(ByteStream& input)
    : input_(input), buffer_(std::make_unique_for_overwrite<unsigned char[]>(BufferSize))
{
}

FormReader::~FormReader()
{
    if (position_ == end_)
        return;
    try {
        input_.seek(-static_cast<std::int64_t>(end_ - position_), SeekOrigin::Current);
    } catch (...) {
        // A stream that cannot move back (a pipe) keeps its position; nothing reads it after us.
    }
}

void FormReader::refill()
{
    end_ = input_.read(buffer_.get(), BufferSize);
    position_ = 0;
    if (end_ == 0)
        throw ReadError(msg::StreamReadFailed);
}

std::size_t FormReader::refillKeeping()
{
    const std::size_t kept = end_ - position_;
    std::memmove(buffer_.get(), buffer_.get() + position_, kept);
    position_ = 0;
    end_ = kept + input_.read(buffer_.get() + kept, BufferSize - kept);
    return end_;
}

void FormReader::takeBytes(void* data, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(data);
    while (count > 0) {
        if (position_ == end_)
            refill();
        const std::size_t n = std::min(count, end_ - position_);
        std::memcpy(out, buffer_.get() + position_, n);
        position_ += n;
        out += n;
        count -= n;
    }
}

void FormReader::passOver(std::size_t count)
{
    const std::size_t buffered = end_ - position_;
    if (count <= buffered) {
        position_ += count;
        return;
    }
    position_ = end_ = 0;
    input_.seek(static_cast<std::int64_t>(count - buffered), SeekOrigin::Current);
}

void FormReader::appendBytes(std::string& text, std::size_t count)
{
    while (count > 0) {
        if (position_ == end_)
            refill();
        const std::size_t n = std::min(count, end_ - position_);
        text.append(reinterpret_cast<const char*>(buffer_.get() + position_), n);
        position_ += n;
        count -= n;
    }
}

template <typename T>
T FormReader::takeRaw()
{
    unsigned char bytes[sizeof(T)];
    if (end_ - position_ >= sizeof(T)) {
        std::memcpy(bytes, buffer_.get() + position_, sizeof(T));
        position_ += sizeof(T);
    } else {
        takeBytes(bytes, sizeof(T));
    }
    // Little-endian on the wire, whatever the host.
    std::uint64_t value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<T>(value);
}

void FormReader::expectTag(ValueTag tag)
{
    if (takeTag() != tag)
        throw ReadError(msg::BadPropertyValue);
}

void FormReader::takeName(std::string& name)
{
    const std::size_t length = takeTag();
    name.clear();
    appendBytes(name, length);
}

std::string FormReader::takeName()
{
    std::string name;
    takeName(name);
    return name;
}

ObjectPrefix FormReader::takeObjectPrefix()
{
    ObjectPrefix prefix;
    if (peekTag() < ObjectPrefixTag)
        return prefix;
    prefix.flags = takeTag() & 0x0Fu;
    if (prefix.flags & ObjectFlag::HasPosition)
        prefix.position = takeIntegerValue();
    return prefix;
}

std::int32_t FormReader::takeWiderIntegerValue()
{
    switch (takeTag()) {
    case Int8:
        return static_cast<std::int8_t>(takeRaw<std::uint8_t>());
    case Int16:
        return static_cast<std::int16_t>(takeRaw<std::uint16_t>());
    case Int32:
        return static_cast<std::int32_t>(takeRaw<std::uint32_t>());
    default:
        throw ReadError(msg::BadPropertyValue);
    }
}

std::uint32_t FormReader::takeUInt32()
{
    return takeRaw<std::uint32_t>();
}

std::int64_t FormReader::takeInt64Value()
{
    if (peekTag() != Int64)
        return takeIntegerValue();
    ++position_;
    return static_cast<std::int64_t>(takeRaw<std::uint64_t>());
}

Extended80 FormReader::takeExtendedValue()
{
    if (peekTag() != Extended)
        return Extended80::fromInt64(takeIntegerValue());
    ++position_;
    unsigned char bytes[Extended80::ByteSize];
    takeBytes(bytes, sizeof bytes);
    return Extended80::fromBytes(bytes);
}

float FormReader::takeSingleValue()
{
    if (peekTag() != Single)
        return static_cast<float>(takeIntegerValue());
    ++position_;
    return std::bit_cast<float>(takeRaw<std::uint32_t>());
}

std::int64_t FormReader::takeCurrencyValue()
{
    if (peekTag() != Currency)
        return static_cast<std::int64_t>(takeIntegerValue()) * 10000;
    ++position_;
    return static_cast<std::int64_t>(takeRaw<std::uint64_t>());
}

double FormReader::takeDateValue()
{
    if (peekTag() != Date)
        return takeIntegerValue();
    ++position_;
    return std::bit_cast<double>(takeRaw<std::uint64_t>());
}

double FormReader::takeDoubleValue()
{
    if (peekTag() != Double)
        return takeIntegerValue();
    ++position_;
    return std::bit_cast<double>(takeRaw<std::uint64_t>());
}

void FormReader::takeStringValue(std::string& value)
{
    std::size_t length;
    switch (takeTag()) {
    case ShortString:
        length = takeTag();
        break;
    case LongString:
        // A negative length holds no bytes.
        length = static_cast<std::size_t>(std::max<std::int32_t>(0, static_cast<std::int32_t>(takeUInt32())));
        break;
    default:
        throw ReadError(msg::BadPropertyValue);
    }
    value.clear();
    appendBytes(value, length);
}

std::string FormReader::takeStringValue()
{
    std::string value;
    takeStringValue(value);
    return value;
}

std::u16string FormReader::takeWideStringValue()
{
    if (takeTag() != WideString)
        throw ReadError(msg::BadPropertyValue);
    const std::size_t count = takeUInt32();
    std::string bytes;
    appendBytes(bytes, count * 2);
    std::u16string value(count, u'\0');
    for (std::size_t i = 0; i < count; ++i)
        value[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i])
                                         | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return value;
}

void FormReader::takeUtf8StringValue(std::string& bytes)
{
    if (takeTag() != Utf8String)
        throw ReadError(msg::BadPropertyValue);
    const std::size_t length = takeUInt32();
    bytes.clear();
    appendBytes(bytes, length);
}

std::string FormReader::takeIdentValue()
{
    switch (takeTag()) {
    case Identifier:
        return takeName();
    case False:
        return "False";
    case True:
        return "True";
    case Nil:
        return "nil";
    default:
        throw ReadError(msg::BadPropertyValue);
    }
}

void FormReader::takeSignature()
{
    char signature[4];
    takeBytes(signature, sizeof signature);
    if (std::memcmp(signature, "TPF0", 4) != 0)
        throw ReadError(msg::BadStreamFormat);
}

}  // namespace dfm
