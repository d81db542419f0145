#include "TWriter.h"

#include "AsciiText.h"
#include "TMemoryStream.h"

#include <bit>

namespace dfm {

TWriter::TWriter(TStream& output) : output_(output) {}

TWriter::~TWriter()
{
    try {
        Flush();
    } catch (...) {
        // Reported by the explicit Flush of the normal path; here an error is already unwinding.
    }
}

void TWriter::Flush()
{
    const std::size_t count = used_;
    used_ = 0;
    output_.WriteBuffer(buffer_, count);
}

void TWriter::PutBytesSlow(const void* data, std::size_t count)
{
    const auto* in = static_cast<const unsigned char*>(data);
    while (count > 0) {
        if (used_ == BufferSize)
            Flush();
        const std::size_t n = std::min(count, BufferSize - used_);
        std::memcpy(buffer_ + used_, in, n);
        used_ += n;
        in += n;
        count -= n;
    }
}

void TWriter::PutManySpaces(std::size_t count)
{
    while (count > 0) {
        const std::size_t n = std::min(count, BufferSize);
        std::memset(Reserve(n), ' ', n);
        Commit(n);
        count -= n;
    }
}

void TWriter::PutLittleEndian(std::uint64_t value, int byteCount)
{
    char* bytes = Reserve(8);
    for (int i = 0; i < byteCount; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    Commit(static_cast<std::size_t>(byteCount));
}

void TWriter::PutName(std::string_view name)
{
    const std::size_t length = std::min<std::size_t>(name.size(), 255);
    PutTag(static_cast<std::uint8_t>(length));
    PutBytes(name.data(), length);
}

void TWriter::PutIntegerValue(std::int32_t value)
{
    if (value >= -128 && value <= 127) {
        PutTag(Int8);
        PutLittleEndian(static_cast<std::uint32_t>(value), 1);
    } else if (value >= -32768 && value <= 32767) {
        PutTag(Int16);
        PutLittleEndian(static_cast<std::uint32_t>(value), 2);
    } else {
        PutTag(Int32);
        PutLittleEndian(static_cast<std::uint32_t>(value), 4);
    }
}

void TWriter::PutStringValue(std::string_view value)
{
    if (value.size() < 256) {
        PutTag(ShortString);
        PutTag(static_cast<std::uint8_t>(value.size()));
    } else {
        PutTag(LongString);
        PutLittleEndian(value.size(), 4);
    }
    PutBytes(value.data(), value.size());
}

void TWriter::PutWideStringValue(std::u16string_view value)
{
    PutTag(WideString);
    PutLittleEndian(value.size(), 4);
    for (const char16_t unit : value)
        PutLittleEndian(unit, 2);
}

void TWriter::PutExtendedValue(const Extended80& value)
{
    PutTag(Extended);
    unsigned char bytes[Extended80::ByteSize];
    value.ToBytes(bytes);
    PutBytes(bytes, sizeof bytes);
}

void TWriter::PutSingleValue(float value)
{
    PutTag(Single);
    PutLittleEndian(std::bit_cast<std::uint32_t>(value), 4);
}

void TWriter::PutCurrencyValue(std::int64_t value)
{
    PutTag(Currency);
    PutLittleEndian(static_cast<std::uint64_t>(value), 8);
}

void TWriter::PutDateValue(double value)
{
    PutTag(Date);
    PutLittleEndian(std::bit_cast<std::uint64_t>(value), 8);
}

void TWriter::PutIdentValue(std::string_view text)
{
    if (ascii::EqualsIgnoringCase(text, "False")) {
        PutTag(False);
    } else if (ascii::EqualsIgnoringCase(text, "True")) {
        PutTag(True);
    } else if (ascii::EqualsIgnoringCase(text, "nil")) {
        PutTag(Nil);
    } else {
        PutTag(Identifier);
        PutName(text);
    }
}

void TWriter::PutBinaryValue(const std::function<void(TStream&)>& fill)
{
    TMemoryStream data;
    fill(data);
    PutTag(Binary);
    PutLittleEndian(data.ByteCount(), 4);
    PutBytes(data.Memory(), data.ByteCount());
}

void TWriter::PutObjectPrefix(unsigned flags, std::int32_t position)
{
    if (flags == 0)
        return;
    PutTag(static_cast<std::uint8_t>(0xF0u | flags));
    if (flags & ObjectFlag::HasPosition)
        PutIntegerValue(position);
}

void TWriter::PutSignature()
{
    PutBytes("TPF0", 4);
}

}  // namespace dfm
