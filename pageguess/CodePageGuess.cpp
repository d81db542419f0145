#include "CodePageGuess.h"

#include "AsciiText.h"
#include "CodePage.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace dfm {

namespace {

struct Charset {
    std::string_view name;
    int number;
    int page;  // 0: none of its own
};

constexpr std::array<Charset, 19> Charsets = {{
    {"ANSI_CHARSET", 0, 0},
    {"DEFAULT_CHARSET", 1, 0},
    {"SYMBOL_CHARSET", 2, 0},
    {"MAC_CHARSET", 77, 0},
    {"SHIFTJIS_CHARSET", 128, 932},
    {"HANGEUL_CHARSET", 129, 949},
    {"JOHAB_CHARSET", 130, 0},
    {"GB2312_CHARSET", 134, 936},
    {"CHINESEBIG5_CHARSET", 136, 950},
    {"GREEK_CHARSET", 161, 1253},
    {"TURKISH_CHARSET", 162, 1254},
    {"VIETNAMESE_CHARSET", 163, 1258},
    {"HEBREW_CHARSET", 177, 1255},
    {"ARABIC_CHARSET", 178, 1256},
    {"BALTIC_CHARSET", 186, 1257},
    {"RUSSIAN_CHARSET", 204, 1251},
    {"THAI_CHARSET", 222, 874},
    {"EASTEUROPE_CHARSET", 238, 1250},
    {"OEM_CHARSET", 255, 0},
}};

constexpr std::size_t MostDetectedBytes = 16384;

// The detector's answers as the Windows page that holds the same letters: forms are written on
// Windows, so an ISO, Mac or DOS answer for their bytes names the script, and the Windows page
// of that script is the one to read them with. ownBytes: the answer is that page itself (or
// the set it extends); the others are taken only from a sample that can tell them apart.
struct DetectedName {
    std::string_view name;
    int page;
    bool ownBytes;
};

constexpr std::array<DetectedName, 40> DetectedNames = {{
    {"WINDOWS-1250", 1250, true}, {"ISO-8859-2", 1250, false}, {"ISO-8859-16", 1250, false},
    {"IBM852", 1250, false}, {"MAC-CENTRALEUROPE", 1250, false},
    {"WINDOWS-1251", 1251, true}, {"ISO-8859-5", 1251, false}, {"KOI8-R", 1251, false}, {"KOI8-U", 1251, false},
    {"IBM855", 1251, false}, {"IBM866", 1251, false}, {"MAC-CYRILLIC", 1251, false},
    {"WINDOWS-1252", 1252, true}, {"ISO-8859-1", 1252, true}, {"ISO-8859-15", 1252, true},
    {"WINDOWS-1253", 1253, true}, {"ISO-8859-7", 1253, false},
    {"WINDOWS-1254", 1254, true}, {"ISO-8859-9", 1254, false}, {"ISO-8859-3", 1254, false},
    {"WINDOWS-1255", 1255, true}, {"ISO-8859-8", 1255, false},
    {"WINDOWS-1256", 1256, true}, {"ISO-8859-6", 1256, false},
    {"WINDOWS-1257", 1257, true}, {"ISO-8859-13", 1257, false}, {"ISO-8859-4", 1257, false},
    {"WINDOWS-1258", 1258, true}, {"VISCII", 1258, false},
    {"TIS-620", 874, true}, {"ISO-8859-11", 874, false},
    {"SHIFT_JIS", 932, true}, {"EUC-JP", 932, false}, {"ISO-2022-JP", 932, false},
    {"GB18030", 936, true}, {"HZ-GB-2312", 936, false},
    {"EUC-KR", 949, true}, {"UHC", 949, true},
    {"BIG5", 950, true}, {"EUC-TW", 950, false},
}};

// Fewer bytes beyond ASCII than this make an answer of another set a guess between look-alikes.
constexpr std::size_t FewestBytesForOtherSets = 16;
// The detector's usual answer for Central European text counts from fewer: a unit of a few
// Hungarian words gets it, while Western text of 8 or more such bytes was never given it in
// thousands of samples in five languages.
constexpr std::string_view CentralEuropeanAnswer = "ISO-8859-2";
constexpr std::size_t FewestBytesForCentralEuropean = 8;

const DetectedName* detectedNameOf(std::string_view name)
{
    const auto found = std::find_if(DetectedNames.begin(), DetectedNames.end(),
                                    [name](const DetectedName& detected) { return detected.name == name; });
    return found == DetectedNames.end() ? nullptr : &*found;
}

// Whether an answer of another set than the page's own fits the sample: enough bytes to tell,
// and none that an ISO set leaves to control codes (0x80 to 0x9F), which text never holds.
bool otherSetFits(std::string_view name, std::string_view bytes)
{
    std::size_t high = 0;
    bool controls = false;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        high += byte >= 0x80;
        controls = controls || (byte >= 0x80 && byte < 0xA0);
    }
    const std::size_t fewest = name == CentralEuropeanAnswer ? FewestBytesForCentralEuropean : FewestBytesForOtherSets;
    return high >= fewest && !(name.starts_with("ISO-8859") && controls);
}

// The characters beyond ASCII of the single-byte pages that are neither letters nor marks:
// signs, punctuation and spaces (C1 controls and the private range, where unassigned bytes go,
// are left out by nonLetter itself).
struct CodeRange {
    char16_t first;
    char16_t last;
};

constexpr std::array<CodeRange, 29> NonLetters = {{
    {0x00A0, 0x00A9}, {0x00AB, 0x00B4}, {0x00B6, 0x00B9}, {0x00BB, 0x00BF}, {0x00D7, 0x00D7},
    {0x00F7, 0x00F7}, {0x02D8, 0x02D9}, {0x02DB, 0x02DD}, {0x0384, 0x0385}, {0x05BE, 0x05BE},
    {0x05C0, 0x05C0}, {0x05C3, 0x05C3}, {0x05F3, 0x05F4}, {0x060C, 0x060C}, {0x061B, 0x061B},
    {0x061F, 0x061F}, {0x0E3F, 0x0E3F}, {0x0E4F, 0x0E5B}, {0x200C, 0x200F}, {0x2013, 0x2015},
    {0x2018, 0x201A}, {0x201C, 0x201E}, {0x2020, 0x2022}, {0x2026, 0x2026}, {0x2030, 0x2030},
    {0x2039, 0x203A}, {0x20AA, 0x20AC}, {0x2116, 0x2116}, {0x2122, 0x2122},
}};

bool nonLetter(char16_t c)
{
    if (c < 0xA0 || (c >= 0xE000 && c <= 0xF8FF))
        return true;
    return std::any_of(NonLetters.begin(), NonLetters.end(),
                       [c](const CodeRange& range) { return c >= range.first && c <= range.last; });
}

bool endsWithLetters(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && ascii::equalsIgnoringCase(text.substr(text.size() - end.size()), end);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool beyondAscii(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The bytes between the quotes of one line's strings, each string given to evidence (one left
// open ends with the line).
void addLineStrings(std::string_view line, PageEvidence& evidence)
{
    std::string string;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\'') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '\'') {
                string.push_back(c);
                ++i;
            } else {
                quoted = !quoted;
                if (!quoted) {
                    evidence.addString(string);
                    string.clear();
                }
            }
        } else if (quoted) {
            string.push_back(c);
        }
    }
    evidence.addString(string);
}

// Where the next byte beyond ASCII is, from start; npos when there is none.
std::size_t nextHighByte(std::string_view text, std::size_t start)
{
    std::size_t i = start;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, text.data() + i, 8);
        if (eight & 0x8080808080808080ULL)
            break;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return i;
    }
    return std::string_view::npos;
}

// The strings of the lines that hold a byte beyond ASCII: the others tell nothing of the page,
// and a large text holds few such lines.
void addQuotedStrings(std::string_view text, PageEvidence& evidence)
{
    std::size_t from = 0;
    while (evidence.strings.size() < MostDetectedBytes) {
        const std::size_t high = nextHighByte(text, from);
        if (high == std::string_view::npos)
            return;
        const std::size_t lineStart = std::max(from, text.rfind('\n', high) + 1);
        const std::size_t lineEnd = std::min(text.find('\n', high), text.size());
        addLineStrings(text.substr(lineStart, lineEnd - lineStart), evidence);
        from = lineEnd + 1;
    }
}

// Whether most bytes above ASCII stand for letters in the page: a detector's guess from a few
// symbols (a copyright sign, a no-break space) is not taken.
bool readsAsLetters(std::string_view bytes, int page)
{
    const CodePage& codePage = CodePage::forNumber(page);
    std::u16string text;
    if (!codePage.toWide(bytes, text))
        return false;
    if (codePage.hasLeadBytes())
        return true;
    std::size_t high = 0;
    std::size_t letters = 0;
    for (const char16_t c : text) {
        if (c < 0x80)
            continue;
        ++high;
        letters += !nonLetter(c);
    }
    return 2 * letters >= high;
}

}  // namespace

void PageEvidence::addCharset(std::string_view value)
{
    if (declared == 0)
        declared = CodePageGuess::pageOfCharset(value);
}

void PageEvidence::addString(std::string_view bytes)
{
    // Only strings beyond ASCII tell the page, and a sample of them is enough.
    if (strings.size() < MostDetectedBytes && beyondAscii(bytes)) {
        strings.append(bytes);
        strings.push_back(' ');
    }
}

bool PageEvidence::settled()
{
    if (strings.size() < MostDetectedBytes)
        return false;
    if (fullSampleDetected < 0)
        fullSampleDetected = CodePageGuess::detectedPage(strings);
    return declared != 0 || fullSampleDetected != 0;
}

namespace CodePageGuess {

int pageOfCharset(std::string_view value)
{
    int number = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    const bool isNumber = error == std::errc() && end == value.data() + value.size();
    for (const Charset& charset : Charsets) {
        if (isNumber ? charset.number == number : ascii::equalsIgnoringCase(charset.name, value))
            return charset.page;
    }
    return 0;
}

int declaredPage(std::string_view formText)
{
    // Only a line with " = " can declare a set, and a large text has few: they are found by
    // their "=" rather than line by line.
    for (std::size_t at = formText.find('='); at != std::string_view::npos; at = formText.find('=', at + 1)) {
        if (at == 0 || formText[at - 1] != ' ' || at + 1 == formText.size() || formText[at + 1] != ' ')
            continue;
        // Most properties are told apart by the letters before " = " alone.
        std::size_t nameEnd = at - 1;
        while (nameEnd > 0 && (formText[nameEnd - 1] == ' ' || formText[nameEnd - 1] == '\t'))
            --nameEnd;
        if (nameEnd < 7 || !ascii::equalsIgnoringCase(formText.substr(nameEnd - 7, 7), "Charset"))
            continue;
        const std::size_t lineStart = formText.rfind('\n', at) + 1;
        const std::string_view line = formText.substr(lineStart, formText.find('\n', at) - lineStart);
        const std::size_t equals = line.find(" = ");
        const std::string_view name = trimmed(line.substr(0, equals));
        if (!endsWithLetters(name, "Charset") || (name.size() > 7 && name[name.size() - 8] != '.'))
            continue;
        if (const int page = pageOfCharset(trimmed(line.substr(equals + 3))))
            return page;
    }
    return 0;
}

int pageOfDetectedName(std::string_view name)
{
    const DetectedName* detected = detectedNameOf(name);
    return detected != nullptr ? detected->page : 0;
}

int detectedPage(std::string_view bytes)
{
    bytes = bytes.substr(0, MostDetectedBytes);
    if (!beyondAscii(bytes))
        return 0;
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return 0;
    uchardet_data_end(detector.get());
    const std::string_view name = uchardet_get_charset(detector.get());
    const DetectedName* detected = detectedNameOf(name);
    if (detected == nullptr || (!detected->ownBytes && !otherSetFits(name, bytes)))
        return 0;
    return readsAsLetters(bytes, detected->page) ? detected->page : 0;
}

void addTextLines(std::string_view lines, PageEvidence& evidence)
{
    if (evidence.declared == 0)
        evidence.declared = declaredPage(lines);
    addQuotedStrings(lines, evidence);
}

PageEvidence textEvidence(std::string_view formText)
{
    PageEvidence evidence;
    addTextLines(formText, evidence);
    return evidence;
}

CodePageChoice guess(const PageEvidence& evidence, std::string_view unitBytes, int defaultPage)
{
    const int detected = evidence.fullSampleDetected >= 0 ? evidence.fullSampleDetected : detectedPage(evidence.strings);
    if (evidence.declared != 0) {
        // A declaration the strings contradict is the wrong one: forms copied between machines
        // keep the set their fonts had. The detector names another page only where the strings
        // are characters of it, so bytes that are no characters of a declared double-byte page
        // lead here too.
        if (detected != 0 && detected != evidence.declared)
            return {detected, CodePageChoice::Source::Detected, evidence.declared};
        return {evidence.declared, CodePageChoice::Source::Declared};
    }
    if (detected != 0)
        return {detected, CodePageChoice::Source::Detected};
    if (const int page = detectedPage(unitBytes))
        return {page, CodePageChoice::Source::Detected};
    return {CodePage::isKnown(defaultPage) ? defaultPage : CodePage::DefaultNumber, CodePageChoice::Source::Default};
}

CodePageChoice guess(std::string_view formText, std::string_view unitBytes, int defaultPage)
{
    return guess(textEvidence(formText), unitBytes, defaultPage);
}

}  // namespace CodePageGuess

}  // namespace dfm
