#include "TextModelSink.h"

namespace dfm {

void TextModelSink::beginObject(unsigned flags, std::int32_t position, std::string_view className,
                                std::string_view objectName)
{
    const std::uint64_t start = writer_.position();
    writer_.putObjectPrefix(flags, position);
    const std::uint64_t classOffset = writer_.position();
    writer_.putName(className);
    writer_.putName(objectName);
    builder_.beginNode(start, classOffset, start_);
}

std::uint16_t TextModelSink::columns(std::string_view bytes)
{
    if (encoding_ == TextEncoding::Utf8) {
        // A code point per lead byte; one beyond U+FFFF takes a surrogate pair.
        std::size_t count = 0;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            count += (byte & 0xC0u) != 0x80u;
            count += byte >= 0xF0u;
        }
        return static_cast<std::uint16_t>(count);
    }
    if (codePage_ != nullptr && codePage_->hasLeadBytes()) {
        // As the page's lossless decoding makes them: a lead byte and its trail one character.
        codePage_->toWide(bytes, decoded_);
        return static_cast<std::uint16_t>(decoded_.size());
    }
    return static_cast<std::uint16_t>(bytes.size());
}

TextSpan TextModelSink::spanStart(const FormParser& parser)
{
    TextSpan span;
    span.firstLine = static_cast<std::uint32_t>(parser.lineNumber());
    span.firstColumn = static_cast<std::uint16_t>(columns(parser.lineBeforeToken()) + 1);
    return span;
}

TextSpan TextModelSink::spanEnd(const FormParser& parser)
{
    TextSpan span;
    span.lastLine = static_cast<std::uint32_t>(parser.lineNumber());
    span.lastColumn = columns(parser.lineThroughToken());
    return span;
}

}  // namespace dfm
