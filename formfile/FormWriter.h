// Appends a binary form stream (or raw text) to a ByteStream through a buffer of its own.
#pragma once

#include "Extended80.h"
#include "ByteStream.h"
#include "ValueTag.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace dfm {

class FormWriter {
public:
    // As large as a file stream's own buffer, so that what fills it goes to the file with no
    // copy in between.
    static constexpr std::size_t BufferSize = 256 * 1024;
    static constexpr std::size_t ShortPiece = 256;

    explicit FormWriter(ByteStream& output);
    // Writes out what is buffered, also while an error unwinds; a failure here is swallowed,
    // so callers that must know call Flush first.
    ~FormWriter();
    FormWriter(const FormWriter&) = delete;
    FormWriter& operator=(const FormWriter&) = delete;

    void flush();
    // How many bytes were put so far, flushed or not.
    std::uint64_t position() const { return flushed_ + used_; }

    // Up to 32 bytes with a few fixed-size moves instead of a library call; more with memcpy.
    static void copyBytes(char* to, const char* from, std::size_t count)
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

    void putBytes(const void* data, std::size_t count)
    {
        // Short pieces (tags, names, digits) go straight into the buffer; long ones loop.
        if (count <= ShortPiece && count <= BufferSize - used_) {
            copyBytes(reinterpret_cast<char*>(buffer_.get() + used_), static_cast<const char*>(data), count);
            used_ += count;
        } else {
            putBytesSlow(data, count);
        }
    }
    void putText(std::string_view text) { putBytes(text.data(), text.size()); }
    // Room for count bytes (at most BufferSize) to be filled in place, then Commit what was used.
    char* reserve(std::size_t count)
    {
        if (count > BufferSize - used_)
            flush();
        return reinterpret_cast<char*>(buffer_.get() + used_);
    }
    void commit(std::size_t count) { used_ += count; }
    // Indentation is short: fill a fixed run of blanks (cheap wide stores) and keep what is needed.
    static constexpr std::size_t BlankRun = 64;
    static constexpr char Blanks[BlankRun + 1] = "                                                                ";
    void putSpaces(std::size_t count)
    {
        if (count <= BlankRun) {
            std::memcpy(reserve(BlankRun), Blanks, BlankRun);
            commit(count);
        } else {
            putManySpaces(count);
        }
    }
    void putTag(std::uint8_t tag)
    {
        if (used_ == BufferSize)
            flush();
        buffer_[used_++] = tag;
    }
    void putChar(char c) { putTag(static_cast<std::uint8_t>(c)); }
    void putListStart() { putTag(List); }
    void putListEnd() { putTag(EndOfList); }

    // A length byte and at most 255 bytes of name, in one piece of the buffer.
    void putName(std::string_view name)
    {
        const std::size_t length = std::min<std::size_t>(name.size(), 255);
        char* out = reserve(1 + 255);
        out[0] = static_cast<char>(length);
        copyBytes(out + 1, name.data(), length);
        commit(1 + length);
    }
    // The narrowest tag that holds value, and its bytes in little-endian order.
    void putIntegerValue(std::int32_t value)
    {
        char* out = reserve(5);
        const auto bits = static_cast<std::uint32_t>(value);
        std::size_t bytes = 4;
        out[0] = Int32;
        if (value >= -128 && value <= 127) {
            out[0] = Int8;
            bytes = 1;
        } else if (value >= -32768 && value <= 32767) {
            out[0] = Int16;
            bytes = 2;
        }
        for (std::size_t i = 0; i < 4; ++i)
            out[1 + i] = static_cast<char>(bits >> (8 * i));
        commit(1 + bytes);
    }
    void putStringValue(std::string_view value);
    void putWideStringValue(std::u16string_view value);
    void putExtendedValue(const Extended80& value);
    void putSingleValue(float value);
    void putCurrencyValue(std::int64_t value);
    void putDateValue(double value);
    void putIdentValue(std::string_view text);
    // A binary value whose bytes fill writes; they are gathered in the buffer behind the value's
    // tag while they fit, so that its length can be filled in before anything of it is flushed.
    void putBinaryValue(const std::function<void(ByteStream&)>& fill);
    void putObjectPrefix(unsigned flags, std::int32_t position);
    void putSignature();

private:
    class BlockStream;

    void putBytesSlow(const void* data, std::size_t count);
    void putManySpaces(std::size_t count);
    void putLittleEndian(std::uint64_t value, int byteCount);

    ByteStream& output_;
    std::size_t used_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
    std::uint64_t flushed_ = 0;  // behind the fields the hot paths use, which keep their places
};

}  // namespace dfm
