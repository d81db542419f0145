// Feeds arbitrary bytes to the form model, as a binary form or as form text, and checks that the
// model writes back what the streaming converters write and reads its own bytes back unchanged.
#include "BinaryToText.h"
#include "Errors.h"
#include "FormModel.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"
#include "TextToBinary.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <typeinfo>

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail)
{
    detail = detail.substr(0, 2000);
    std::fprintf(stderr, "fuzz_model: %s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

std::string binaryOf(const dfm::FormModel& model)
{
    dfm::MemoryStream out;
    model.writeBinary(out);
    return std::string(out.view());
}

// The model's bytes read back as the same model: its bytes again.
void checkStable(const std::string& bytes)
{
    try {
        dfm::MemoryStream in(bytes);
        if (binaryOf(dfm::FormModel::readBinary(in)) != bytes)
            fail("the model's bytes read back differently", bytes);
    } catch (const dfm::FormError& error) {
        fail("the model's bytes do not read back", error.what());
    }
}

void checkSpans(const dfm::FormModel& model)
{
    for (const dfm::FormNode node : model.nodes()) {
        const dfm::TextSpan span = node.span();
        if (span.firstLine == 0 || span.firstLine > span.lastLine || span.firstColumn == 0)
            fail("a node's span is out of order", node.name());
        for (const dfm::FormProperty property : node.properties()) {
            const dfm::TextSpan own = property.span();
            if (own.firstLine < span.firstLine || own.lastLine > span.lastLine || own.firstLine > own.lastLine)
                fail("a property's span is outside its node's", property.name());
        }
    }
}

void fuzzBinary(std::string_view bytes, const dfm::CodePage& page)
{
    dfm::MemoryStream input(bytes);
    std::string stream;
    std::string text;
    try {
        if (!bytes.starts_with("TPF0"))
            dfm::skipResourceHeader(input);
        // A header may say that its name runs past the end of the input.
        const auto start = static_cast<std::size_t>(input.position());
        if (start > bytes.size())
            return;
        stream = std::string(bytes.substr(start));
        dfm::MemoryStream in(stream);
        const dfm::FormModel model = dfm::FormModel::readBinary(in);
        const std::string written = binaryOf(model);
        if (stream.compare(0, written.size(), written) != 0)
            fail("binary -> model -> binary changed the form", written);
        checkStable(written);
        dfm::MemoryStream modelText;
        model.writeText(modelText, page);
        text = modelText.view();
    } catch (const dfm::FormError&) {
        return;  // refused; binaryToText may take a value tag the model refuses
    }
    dfm::MemoryStream in(stream);
    dfm::MemoryStream converted;
    try {
        dfm::binaryToText(in, converted, page);
    } catch (const dfm::FormError& error) {
        fail("the model took a form that binaryToText refuses", error.what());
    }
    if (converted.view() != text)
        fail("the model's text differs from binaryToText's", text);
}

void fuzzText(std::string_view bytes, dfm::TextEncoding encoding, const dfm::CodePage& page)
{
    std::string expected;
    std::string expectedError;
    try {
        dfm::MemoryStream in(bytes);
        dfm::MemoryStream out;
        dfm::textToBinary(in, out, encoding, &page);
        expected = out.view();
    } catch (const dfm::FormError& error) {
        expectedError = std::string(typeid(error).name()) + ": " + error.what();
    }
    try {
        dfm::MemoryStream in(bytes);
        const dfm::FormModel model = dfm::FormModel::readText(in, encoding, &page);
        if (!expectedError.empty())
            fail("the model took text that textToBinary refuses", expectedError);
        const std::string written = binaryOf(model);
        if (written != expected)
            fail("the model's bytes differ from textToBinary's", written);
        checkStable(written);
        checkSpans(model);
    } catch (const dfm::FormError& error) {
        const std::string got = std::string(typeid(error).name()) + ": " + error.what();
        if (got != expectedError)
            fail("the model's error differs from textToBinary's", got + " / " + expectedError);
    }
}

}  // namespace

// The first byte picks the reading: its lowest bit binary or text, the next text's UTF-8, the
// next four the code page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto pages = dfm::CodePage::numbers();
    const std::size_t pageIndex = (data[0] >> 2) & 0xF;
    const dfm::CodePage& page =
        dfm::CodePage::forNumber(pageIndex < pages.size() ? pages[pageIndex] : dfm::CodePage::DefaultNumber);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) != 0)
        fuzzBinary(bytes, page);
    else
        fuzzText(bytes, (data[0] & 2) != 0 ? dfm::TextEncoding::Utf8 : dfm::TextEncoding::CodePage, page);
    return 0;
}
