// Runs the form text tokenizer over arbitrary bytes and reads each token through its accessors.
#include "Errors.h"
#include "MemoryStream.h"
#include "FormParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Far above the token count of any input up to the fuzzer's size limit: reaching it means a loop
// that no longer consumes input.
constexpr long MaxTokens = 1'000'000;

// Converting a token that is no number costs a thrown exception, which made runs four times
// slower; past the first tokens of an input only numbers are converted.
constexpr long ConvertAllBelow = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    dfm::MemoryStream input(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        dfm::FormParser parser(input);
        long tokens = 0;
        int kind = parser.token();
        while (kind != dfm::EndOfText) {
            if (++tokens > MaxTokens) {
                std::fprintf(stderr, "fuzz_tokenizer: more than %ld tokens, the parser is stuck\n", MaxTokens);
                std::abort();
            }
            // Any of these may refuse the token; they must not do worse.
            try { (void)parser.tokenText(); } catch (const dfm::FormError&) {}
            const bool number = kind == dfm::IntegerToken || kind == dfm::FloatToken;
            if (number || tokens < ConvertAllBelow) {
                try { (void)parser.tokenAsInteger(); } catch (const dfm::FormError&) {}
                try { (void)parser.tokenAsFloat(); } catch (const dfm::FormError&) {}
            }
            (void)parser.tokenWideText();
            if (kind == '{') {
                dfm::MemoryStream bytes;
                parser.readHexBlock(bytes);  // moves on to the token after '}'
                kind = parser.token();
            } else {
                kind = parser.advance();
            }
        }
    } catch (const dfm::FormError&) {
        // A scan error ends the text; the parser is not used after one.
    }
    return 0;
}
