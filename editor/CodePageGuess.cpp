#include "CodePageGuess.h"

#include "CodePage.h"

#include <QChar>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <string>

namespace dfm::CodePageGuess {

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

constexpr std::size_t MostDetectedBytes = 65536;

// The detector's names for the known pages (and for the sets they extend).
struct DetectedName {
    std::string_view name;
    int page;
};

constexpr std::array<DetectedName, 17> DetectedNames = {{
    {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251}, {"WINDOWS-1252", 1252}, {"ISO-8859-1", 1252},
    {"ISO-8859-15", 1252},  {"WINDOWS-1253", 1253}, {"WINDOWS-1254", 1254}, {"WINDOWS-1255", 1255},
    {"WINDOWS-1256", 1256}, {"WINDOWS-1257", 1257}, {"WINDOWS-1258", 1258}, {"TIS-620", 874},
    {"SHIFT_JIS", 932},     {"GB18030", 936},       {"EUC-KR", 949},        {"UHC", 949},
    {"BIG5", 950},
}};

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (QChar::toUpper(static_cast<char16_t>(static_cast<unsigned char>(a[i])))
            != QChar::toUpper(static_cast<char16_t>(static_cast<unsigned char>(b[i]))))
            return false;
    }
    return true;
}

bool endsWithLetters(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && sameLetters(text.substr(text.size() - end.size()), end);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Calls line for each line of the text until it returns a page.
template <typename Visit>
int firstOfLines(std::string_view text, Visit line)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (const int page = line(text.substr(0, end)))
            return page;
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return 0;
}

// The bytes between the quotes of form text's strings that hold bytes beyond ASCII, a space
// after each, up to a sample of about 64 KB.
std::string quotedBytes(std::string_view text)
{
    std::string bytes;
    std::string string;
    bool quoted = false;
    const auto endString = [&] {
        // Only strings beyond ASCII tell the page, and a sample of them is enough: the detector
        // takes about a tenth of a second a megabyte.
        const bool beyondAscii = std::any_of(string.begin(), string.end(), [](char c) { return c & 0x80; });
        if (beyondAscii && bytes.size() < MostDetectedBytes)
            bytes += string + ' ';
        string.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '\'') {
                string.push_back(c);
                ++i;
            } else {
                quoted = !quoted;
                if (!quoted)
                    endString();
            }
        } else if (c == '\n') {
            quoted = false;
            endString();
        } else if (quoted) {
            string.push_back(c);
        }
    }
    return bytes;
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
        const QChar character(c);
        letters += character.isLetter() || character.isMark();
    }
    return 2 * letters >= high;
}

}  // namespace

int pageOfCharset(std::string_view value)
{
    int number = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    const bool isNumber = error == std::errc() && end == value.data() + value.size();
    for (const Charset& charset : Charsets) {
        if (isNumber ? charset.number == number : sameLetters(charset.name, value))
            return charset.page;
    }
    return 0;
}

int declaredPage(std::string_view formText)
{
    return firstOfLines(formText, [](std::string_view line) {
        const std::size_t equals = line.find(" = ");
        if (equals == std::string_view::npos)
            return 0;
        const std::string_view name = trimmed(line.substr(0, equals));
        if (!endsWithLetters(name, "Charset") || (name.size() > 7 && name[name.size() - 8] != '.'))
            return 0;
        return pageOfCharset(trimmed(line.substr(equals + 3)));
    });
}

int detectedPage(std::string_view bytes)
{
    bytes = bytes.substr(0, MostDetectedBytes);
    bool beyondAscii = false;
    for (const char c : bytes)
        beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
    if (!beyondAscii)
        return 0;
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return 0;
    uchardet_data_end(detector.get());
    const std::string_view name = uchardet_get_charset(detector.get());
    for (const DetectedName& detected : DetectedNames) {
        if (detected.name == name)
            return readsAsLetters(bytes, detected.page) ? detected.page : 0;
    }
    return 0;
}

CodePageChoice guess(std::string_view formText, std::string_view unitBytes, int defaultPage)
{
    if (const int page = declaredPage(formText))
        return {page, CodePageChoice::Source::Declared};
    if (const int page = detectedPage(quotedBytes(formText)))
        return {page, CodePageChoice::Source::Detected};
    if (const int page = detectedPage(unitBytes))
        return {page, CodePageChoice::Source::Detected};
    return {CodePage::isKnown(defaultPage) ? defaultPage : CodePage::DefaultNumber, CodePageChoice::Source::Default};
}

}  // namespace dfm::CodePageGuess
