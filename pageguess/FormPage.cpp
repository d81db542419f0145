#include "FormPage.h"

#include "FormFileKind.h"
#include "FormParser.h"
#include "FormSource.h"
#include "FormStrings.h"
#include "ResourceHeader.h"

#include <exception>

namespace dfm::FormPage {

namespace {

class EvidenceSink : public FormStringSink {
public:
    explicit EvidenceSink(PageEvidence& evidence) : evidence_(evidence) {}
    void narrowString(std::string_view bytes) override { evidence_.addString(bytes); }
    void wideString(std::u16string_view) override {}
    void charset(std::string_view value) override { evidence_.addCharset(value); }
    bool satisfied() override { return evidence_.settled(); }

private:
    PageEvidence& evidence_;
};

}  // namespace

PageEvidence binaryEvidence(ByteStream& input)
{
    PageEvidence evidence;
    EvidenceSink sink(evidence);
    try {
        char start[4] = {};
        const std::int64_t origin = input.position();
        const bool header = input.read(start, 1) == 1 && static_cast<unsigned char>(start[0]) == 0xFF;
        input.setPosition(origin);
        if (header)
            skipResourceHeader(input);
        readBinaryFormStrings(input, sink);
    } catch (const std::exception&) {
        // The conversion itself reports what is wrong with the form.
    }
    return evidence;
}

const CodePage& ofBinaryForm(ByteStream& input, const CodePage* given)
{
    if (given != nullptr)
        return *given;
    const std::int64_t origin = input.position();
    const PageEvidence evidence = binaryEvidence(input);
    input.setPosition(origin);
    return CodePage::forNumber(CodePageGuess::guess(evidence, {}, CodePage::system().number()).number);
}

const CodePage& ofFormText(ByteStream& stream, bool seekable, std::string_view held, const CodePage* given)
{
    if (given != nullptr)
        return *given;
    PageEvidence evidence;
    if (seekable) {
        // A piece at a time, whole lines each, up to a NUL byte, which no form text holds: a
        // huge file is never held for this. Only a line cut by a piece's end is copied.
        const std::int64_t origin = stream.position();
        std::string cutLine;
        char piece[65536];
        for (;;) {
            const std::size_t got = stream.read(piece, sizeof piece);
            std::string_view text(piece, got);
            const std::size_t nul = text.find('\0');
            text = text.substr(0, nul);
            const bool last = got == 0 || nul != std::string_view::npos;
            if (!cutLine.empty()) {
                const std::size_t newline = text.find('\n');
                const std::size_t lineEnd = newline == std::string_view::npos ? text.size() : newline + 1;
                cutLine.append(text.substr(0, lineEnd));
                text.remove_prefix(lineEnd);
                if (last || cutLine.back() == '\n') {
                    CodePageGuess::addTextLines(cutLine, evidence);
                    cutLine.clear();
                }
            }
            const std::size_t wholeLines = last ? text.size() : text.rfind('\n') + 1;
            CodePageGuess::addTextLines(text.substr(0, wholeLines), evidence);
            cutLine.append(text.substr(wholeLines));
            // A line longer than the text reader takes ends the conversion anyway.
            if (last || cutLine.size() > FormParser::BufferSize)
                break;
        }
        stream.setPosition(origin);
    } else {
        evidence = CodePageGuess::textEvidence(held.substr(0, held.find('\0')));
    }
    return CodePage::forNumber(CodePageGuess::guess(evidence, {}, CodePage::system().number()).number);
}

const CodePage& ofFormFile(const std::string& path, const CodePage* given)
{
    if (given != nullptr)
        return *given;
    PosixFile file = openFile(path);
    std::string probe = readProbe(file);
    if (formFileKindOf(probe) == FormFileKind::Text) {
        TextInput text = openText(std::move(file), std::move(probe), false, false);
        return ofFormText(*text.stream, text.seekable, text.held, nullptr);
    }
    return ofBinaryForm(*openBinaryForm(file, probe), nullptr);
}

}  // namespace dfm::FormPage
