// Appends a binary form stream (or raw text) to a TStream through a 4096-byte buffer.
#pragma once

#include "Extended80.h"
#include "TStream.h"
#include "ValueTag.h"

#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace dfm {

class TWriter {
public:
    static constexpr std::size_t BufferSize = 4096;
    static constexpr std::size_t ShortPiece = 256;

    explicit TWriter(TStream& output);
    // Writes out what is buffered, also while an error unwinds; a failure here is swallowed,
    // so callers that must know call Flush first.
    ~TWriter();
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void Flush();

    // Up to 32 bytes with a few fixed-size moves instead of a library call; more with memcpy.
    static void CopyBytes(char* to, const char* from, std::size_t count)
    {
        if (count > 32) {
            std::memcpy(to, from, count);
        } else if (count >= 16) {
            std::memcpy(to, from, 16);
            std::memcpy(to + count - 16, from + count - 16, 16);
        } else if (count >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + count - 8, from + count - 8, 8);
        } else if (count >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + count - 4, from + count - 4, 4);
        } else if (count > 0) {
            to[0] = from[0];
            to[count / 2] = from[count / 2];
            to[count - 1] = from[count - 1];
        }
    }

    void PutBytes(const void* data, std::size_t count)
    {
        // Short pieces (tags, names, digits) go straight into the buffer; long ones loop.
        if (count <= ShortPiece && count <= BufferSize - used_) {
            CopyBytes(reinterpret_cast<char*>(buffer_ + used_), static_cast<const char*>(data), count);
            used_ += count;
        } else {
            PutBytesSlow(data, count);
        }
    }
    void PutText(std::string_view text) { PutBytes(text.data(), text.size()); }
    // Room for count bytes (at most BufferSize) to be filled in place, then Commit what was used.
    char* Reserve(std::size_t count)
    {
        if (count > BufferSize - used_)
            Flush();
        return reinterpret_cast<char*>(buffer_ + used_);
    }
    void Commit(std::size_t count) { used_ += count; }
    // Indentation is short: fill a fixed run of blanks (cheap wide stores) and keep what is needed.
    static constexpr std::size_t BlankRun = 64;
    static constexpr char Blanks[BlankRun + 1] = "                                                                ";
    void PutSpaces(std::size_t count)
    {
        if (count <= BlankRun) {
            std::memcpy(Reserve(BlankRun), Blanks, BlankRun);
            Commit(count);
        } else {
            PutManySpaces(count);
        }
    }
    void PutTag(std::uint8_t tag)
    {
        if (used_ == BufferSize)
            Flush();
        buffer_[used_++] = tag;
    }
    void PutChar(char c) { PutTag(static_cast<std::uint8_t>(c)); }
    void PutListStart() { PutTag(List); }
    void PutListEnd() { PutTag(EndOfList); }

    void PutName(std::string_view name);
    void PutIntegerValue(std::int32_t value);
    void PutStringValue(std::string_view value);
    void PutWideStringValue(std::u16string_view value);
    void PutExtendedValue(const Extended80& value);
    void PutSingleValue(float value);
    void PutCurrencyValue(std::int64_t value);
    void PutDateValue(double value);
    void PutIdentValue(std::string_view text);
    void PutBinaryValue(const std::function<void(TStream&)>& fill);
    void PutObjectPrefix(unsigned flags, std::int32_t position);
    void PutSignature();

private:
    void PutBytesSlow(const void* data, std::size_t count);
    void PutManySpaces(std::size_t count);
    void PutLittleEndian(std::uint64_t value, int byteCount);

    TStream& output_;
    std::size_t used_ = 0;
    unsigned char buffer_[BufferSize];
};

}  // namespace dfm
