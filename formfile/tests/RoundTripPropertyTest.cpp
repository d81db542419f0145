// Random forms of every value kind: binary -> text -> binary gives the same bytes, wherever the
// text can carry the value kind.
#include "AsciiText.h"
#include "RandomForm.h"
#include "TestSupport.h"

#include <random>

namespace dfm {
namespace {

// Hands out its bytes a few at a time, so that the reader's buffer is refilled inside names,
// strings and numbers, as it is in forms larger than the buffer.
class TrickleStream : public MemoryStream {
public:
    TrickleStream(std::string_view bytes, std::uint32_t seed) : MemoryStream(bytes), random_(seed) {}
    std::size_t read(void* buffer, std::size_t count) override
    {
        return MemoryStream::read(buffer, std::min<std::size_t>(count, 1 + random_() % 9));
    }

private:
    std::mt19937 random_;
};

std::string textThrough(ByteStream& input, const CodePage& page, TextStyle style)
{
    MemoryStream text;
    binaryToText(input, text, page, style);
    return std::string(text.view());
}

// Read from memory, most properties and binary lines take the paths that work in the buffers in
// place; read a few bytes at a time, none can. Both must write the same text, in every style.
TEST(RoundTrip, ThePathsInPlaceWriteWhatTheGeneralOnesWrite)
{
    const CodePage* pages[] = {&CodePage::forNumber(1252), &CodePage::forNumber(932)};
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = test::RandomForm(seed).make(30);
        for (const CodePage* page : pages) {
            for (const TextStyle style : {TextStyle{}, TextStyle{true, true}, TextStyle{true, false}}) {
                MemoryStream whole(binary);
                TrickleStream trickle(binary, seed);
                ASSERT_EQ(textThrough(whole, *page, style), textThrough(trickle, *page, style));
            }
        }
    }
}

// The same text with each simple property line spaced out and each full line of a binary block
// cut in two by a blank: neither can take the paths for common lines, and neither changes a byte.
std::string withoutCommonLines(const std::string& text)
{
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(' ');
        const std::size_t equals = line.find(" = ");
        const std::size_t digits = line.find_first_not_of("0123456789ABCDEF", first);
        if (first != std::string::npos && ascii::isIdentStart(static_cast<unsigned char>(line[first]))
            && equals != std::string::npos)
            line.replace(equals, 3, "  =  ");
        else if (first != std::string::npos && digits == first + 64)
            line.insert(first + 32, " ");
        out += line;
        start = end;
    }
    return out;
}

TEST(RoundTrip, TheTextPathsForCommonLinesReadWhatTheGeneralOnesRead)
{
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = test::RandomForm(seed).make(30);
        const std::string text = test::binaryText(binary);
        const std::string spaced = withoutCommonLines(text);
        ASSERT_NE(spaced, text);
        ASSERT_EQ(test::textBinary(spaced), binary) << spaced;
    }
}

TEST(RoundTrip, RandomFormsComeBackByteForByte)
{
    for (std::uint32_t seed = 1; seed <= 1500; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = test::RandomForm(seed).make();
        const std::string text = test::binaryText(binary);
        ASSERT_EQ(test::textBinary(text), binary) << text;
        TrickleStream trickle(binary, seed);
        MemoryStream trickled;
        binaryToText(trickle, trickled);
        ASSERT_EQ(trickled.view(), text);
    }
}

}  // namespace
}  // namespace dfm
