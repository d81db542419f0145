// Cuts form text into tokens through a 4096-byte buffer that only exposes whole lines.
#pragma once

#include "AsciiText.h"
#include "Extended80.h"
#include "ByteStream.h"
#include "CodePage.h"

#include <string>
#include <string_view>

namespace dfm {

enum TokenKind : int {
    EndOfText = 0,
    Symbol = 1,
    StringToken = 2,
    IntegerToken = 3,
    FloatToken = 4,
    WideStringToken = 5,
    // Any other byte is a one-character token whose kind is its own code.
};

// How form text is read: in the code page, byte for byte; or as UTF-8, a leading byte order mark
// skipped and a string literal that holds a character beyond ASCII read as a wide string.
enum class TextEncoding { CodePage, Utf8 };

class FormParser {
public:
    static constexpr std::size_t BufferSize = 4096;

    // Scans the first token. codePage: the page of the bytes in the quoted runs of a wide string
    // (one with #n beyond 255); without one, or for Windows-1252, each byte is the code unit of
    // its value, as wide strings have always been read.
    explicit FormParser(ByteStream& input, TextEncoding encoding = TextEncoding::CodePage,
                        const CodePage* codePage = nullptr);
    // Moves the input back to the first byte of the current token.
    ~FormParser();
    FormParser(const FormParser&) = delete;
    FormParser& operator=(const FormParser&) = delete;

    int advance();
    int token() const { return token_; }
    // Decoded for a StringToken, the raw characters otherwise; valid until the next Advance.
    std::string_view tokenText() const;
    // Decoded for a WideStringToken, and for a StringToken when the parser has a page for the
    // bytes of wide strings.
    const std::u16string& tokenWideText() const { return wideText_; }
    std::int32_t tokenAsInteger() const;
    Extended80 tokenAsFloat() const;
    // The suffix letter of a float token (s, c, d in either case), or 0.
    char floatSuffix() const { return floatSuffix_; }
    bool tokenIsSymbol(std::string_view word) const
    {
        return token_ == Symbol && sourcePtr_ - tokenPtr_ == word.size()
            && ascii::equalsIgnoringCase(rawTokenText(), word);
    }
    void expectToken(int kind) const;
    void expectSymbol(std::string_view word) const;
    // The current symbol, or a dot, with the ".Name" parts that follow it without blanks.
    std::string takeDottedIdent();
    // A property's name, its parts joined by dots (blanks around them allowed); the parser then
    // stands on the token after it.
    std::string takePropertyName();
    void readHexBlock(ByteStream& output);

    // The most frequent line of a form: a name, " = ", and a value that is a decimal integer of
    // at most nine digits, a word without dots, or one quoted run of printable ASCII that no "+"
    // continues, then the line's end. Views into the buffer, valid until the next advance.
    struct SimpleProperty {
        std::string_view name;
        int kind = EndOfText;  // IntegerToken, Symbol or StringToken
        std::string_view text;
        std::int32_t integer = 0;
    };
    // At a property's name: takes a simple property up to its value's end, and the caller then
    // advances past it; false, with nothing taken, for anything else.
    bool takeSimpleProperty(SimpleProperty& property);
    [[noreturn]] void fail(const std::string& message) const;
    int lineNumber() const { return lineNumber_; }
    // The bytes of the current token's line before the token, and through its end (a simple
    // property just taken: through its value); what the columns of a text span are counted in.
    std::string_view lineBeforeToken() const;
    std::string_view lineThroughToken() const;
    // The page of bytes that become part of a wide string; nullptr: the code units of their values.
    const CodePage* wideBytesPage() const { return wideBytesPage_; }

private:
    void refill();
    void skipBlanks();
    void scanString(std::size_t p);
    template <typename DecodeRun>
    void decodeLiteralRuns(std::size_t start, std::size_t end, DecodeRun decodeRun);
    std::string_view rawTokenText() const { return {buffer_ + tokenPtr_, sourcePtr_ - tokenPtr_}; }
    // The buffer holds whole lines from its start (or from the byte order mark's end).
    std::size_t lineStartBefore(std::size_t p) const;

    ByteStream& input_;
    TextEncoding encoding_;
    const CodePage* wideBytesPage_;
    std::size_t bufferEnd_ = 0;  // end of the data read
    std::size_t sourceEnd_ = 0;  // end of the exposed text, where the NUL stands
    std::size_t sourcePtr_ = 0;  // scan position
    std::size_t tokenPtr_ = 0;   // start of the current token
    char savedChar_ = 0;         // the byte under the NUL
    int token_ = EndOfText;
    char floatSuffix_ = 0;
    int lineNumber_ = 1;
    std::string stringText_;
    std::u16string wideText_;
    char buffer_[BufferSize] = {};
    // Behind the buffer, which so keeps its place in the object: the tokenizer's speed shows it.
    std::size_t lineFloor_ = 0;  // where the buffer's first line starts
};

}  // namespace dfm
