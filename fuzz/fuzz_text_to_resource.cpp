// Feeds arbitrary bytes as form text (in a code page or UTF-8) to text -> .DFM, and checks that whatever it writes reads back
// and then stays put: the text of a written .DFM writes a .DFM whose text is that same text.
#include "BinaryToText.h"
#include "Errors.h"
#include "MemoryStream.h"
#include "TextToBinary.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// The reproducer is saved by the fuzzer; the start of the detail is enough to read the log.
[[noreturn]] void fail(const char* what, std::string_view detail)
{
    detail = detail.substr(0, 2000);
    std::fprintf(stderr, "fuzz_text_to_resource: %s: %.*s\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    dfm::MemoryStream text(std::string_view(reinterpret_cast<const char*>(data), size));
    dfm::MemoryStream first;
    // The first byte's lowest bit picks the reading: the code page's or UTF-8; the next four the page.
    const auto encoding = size > 0 && (data[0] & 1) != 0 ? dfm::TextEncoding::Utf8 : dfm::TextEncoding::CodePage;
    const auto pages = dfm::CodePage::numbers();
    const std::size_t pageIndex = size > 0 ? (data[0] >> 1) & 0xF : 0;
    const dfm::CodePage& page =
        dfm::CodePage::forNumber(pageIndex < pages.size() ? pages[pageIndex] : dfm::CodePage::DefaultNumber);
    try {
        dfm::textToResource(text, first, encoding, &page);
    } catch (const dfm::FormError&) {
        return 0;  // bad text is refused; that is fine
    }

    // From here on every step works on our own output, so any error at all is a fault.
    dfm::MemoryStream textAgain;
    dfm::MemoryStream second;
    try {
        first.setPosition(0);
        dfm::resourceToText(first, textAgain, {}, page);
    } catch (const dfm::FormError& error) {
        fail("the written .DFM does not read back", error.what());
    }
    try {
        textAgain.setPosition(0);
        dfm::textToResource(textAgain, second, dfm::TextEncoding::CodePage, &page);
    } catch (const dfm::FormError& error) {
        fail("the text of the written .DFM is refused", error.what());
    }
    if (first.view() == second.view())
        return 0;

    // The bytes may differ where the text cannot carry the value kind (an integral float reads back
    // as an integer) or where it rounds (floats print with 15 digits); the text must not change.
    dfm::MemoryStream textThird;
    try {
        second.setPosition(0);
        dfm::resourceToText(second, textThird, {}, page);
    } catch (const dfm::FormError& error) {
        fail("the rewritten .DFM does not read back", error.what());
    }
    if (textThird.view() != textAgain.view())
        fail("text -> binary -> text changed the text; it was", textAgain.view());
    return 0;
}
