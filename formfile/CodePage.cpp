#include "CodePage.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <mutex>

namespace dfm {

namespace {

struct PageName {
    int number;
    std::string_view name;
};

constexpr std::array<PageName, 14> Pages = {{
    {874, "Thai"},
    {1250, "Central European"},
    {1251, "Cyrillic"},
    {1252, "Western European"},
    {1253, "Greek"},
    {1254, "Turkish"},
    {1255, "Hebrew"},
    {1256, "Arabic"},
    {1257, "Baltic"},
    {1258, "Vietnamese"},
    {932, "Japanese"},
    {936, "Chinese Simplified"},
    {949, "Korean"},
    {950, "Chinese Traditional"},
}};

constexpr std::array<int, Pages.size()> PageNumbers = [] {
    std::array<int, Pages.size()> numbers{};
    for (std::size_t i = 0; i < Pages.size(); ++i)
        numbers[i] = Pages[i].number;
    return numbers;
}();

// A byte that starts no character of the page becomes the code point of its own value, unless the
// page uses that one; then this private-use code point plus the byte, which no page uses.
constexpr char16_t EscapeBase = 0xEF00;

void markRange(std::array<bool, 256>& set, int from, int to)
{
    for (int c = from; c <= to; ++c)
        set[static_cast<std::size_t>(c)] = true;
}

// One conversion of the system's iconv, closed with its owner.
class Converter {
public:
    Converter(const char* to, const std::string& from) : handle_(iconv_open(to, from.c_str())) {}
    ~Converter()
    {
        if (isOpen())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool isOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted, state flushed; false when any of it does not convert.
    bool convert(std::string_view input, std::string& output)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        output.assign(input.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return false;
        // Pages that join a letter with a following accent hold the letter until told the text ends.
        if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        output.resize(static_cast<std::size_t>(out - output.data()));
        return true;
    }

private:
    iconv_t handle_;
};

std::string iconvName(int number)
{
    return "CP" + std::to_string(number);
}

// The one UTF-16 unit that bytes decode to, or 0 when they decode to none or to more.
char16_t decodeOne(Converter& decoder, std::string_view bytes)
{
    std::string wide;
    if (!decoder.convert(bytes, wide) || wide.size() != 2)
        return 0;
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(wide[0]) | (static_cast<unsigned char>(wide[1]) << 8));
    return unit >= 0xD800 && unit < 0xE000 ? 0 : unit;
}

std::string utf16le(char16_t unit)
{
    return {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

// The upper case of the letters the Windows pages hold (Latin, Greek, Cyrillic), where it is one
// code unit; every other character is its own upper case.
char16_t upperCaseOf(char16_t c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char16_t>(c - 0x20);
    if (c < 0xB5)
        return c;
    if (c == 0x131)
        return 'I';
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    // Latin Extended-A and the Cyrillic additions: capital and small letters in pairs.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) != 0 ? c : static_cast<char16_t>(c - 1);
    switch (c) {
    case 0xFF: return 0x178;
    case 0x1A1: return 0x1A0;
    case 0x1B0: return 0x1AF;
    case 0x3C2: return 0x3A3;
    case 0x3AC: return 0x386;
    case 0x3AD: return 0x388;
    case 0x3AE: return 0x389;
    case 0x3AF: return 0x38A;
    case 0x3CC: return 0x38C;
    case 0x3CD: return 0x38E;
    case 0x3CE: return 0x38F;
    default: return c;
    }
}

}  // namespace

// The characters of a double-byte page's pairs, by lead byte (0x80 up) and trail byte; 0 where
// the pair is no character, or not the bytes the page writes that character as.
struct CodePage::PairTable {
    std::array<char16_t, 128 * 256> characters{};
    char16_t& at(unsigned char lead, unsigned char trail) { return characters[(lead - 0x80u) * 256u + trail]; }
    char16_t at(unsigned char lead, unsigned char trail) const { return characters[(lead - 0x80u) * 256u + trail]; }
};

std::span<const int> CodePage::numbers()
{
    return PageNumbers;
}

bool CodePage::isKnown(int number)
{
    return std::find(PageNumbers.begin(), PageNumbers.end(), number) != PageNumbers.end();
}

std::string_view CodePage::name(int number)
{
    for (const PageName& page : Pages) {
        if (page.number == number)
            return page.name;
    }
    return {};
}

const CodePage& CodePage::forNumber(int number)
{
    static std::mutex guard;
    static std::map<int, std::unique_ptr<CodePage>> pages;
    const int known = isKnown(number) ? number : DefaultNumber;
    const std::lock_guard lock(guard);
    std::unique_ptr<CodePage>& page = pages[known];
    if (!page)
        page = std::make_unique<CodePage>(known);
    return *page;
}

const CodePage& CodePage::system()
{
    static const CodePage& page = [] () -> const CodePage& {
        const char* text = std::getenv("QUENDFMED_CODEPAGE");
        if (text == nullptr || *text == '\0')
            return forNumber(DefaultNumber);
        const int number = numberFromText(text);
        if (number == 0)
            std::fprintf(stderr,
                         "QUENDFMED_CODEPAGE: \"%s\" is not a code page this program knows (874, 1250 to 1258, "
                         "932, 936, 949, 950); Windows-1252 is used.\n",
                         text);
        return forNumber(number == 0 ? DefaultNumber : number);
    }();
    return page;
}

int CodePage::numberFromText(std::string_view text)
{
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && isKnown(number) ? number : 0;
}

CodePage::CodePage(int number) : number_(isKnown(number) ? number : DefaultNumber)
{
    switch (number_) {
    case 932:
        markRange(leadBytes_, 0x81, 0x9F);
        markRange(leadBytes_, 0xE0, 0xFC);
        break;
    case 936:
    case 949:
    case 950:
        markRange(leadBytes_, 0x81, 0xFE);
        break;
    default:
        break;
    }
    hasLeadBytes_ = std::find(leadBytes_.begin(), leadBytes_.end(), true) != leadBytes_.end();
    buildSingles();
    if (hasLeadBytes_)
        buildPairs();
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        if (!singleDefined_[byte])
            bytesOf_.emplace(escapeOf(static_cast<unsigned char>(byte)), static_cast<std::uint16_t>(byte));
    }
    buildUpperCase();
}

CodePage::~CodePage() = default;

void CodePage::buildSingles()
{
    const auto define = [this](unsigned byte, char16_t character) {
        singles_[byte] = character;
        singleDefined_[byte] = true;
        bytesOf_.emplace(character, static_cast<std::uint16_t>(byte));
        if (character < 0x100)
            lowCodeTaken_[character] = true;
    };
    for (unsigned byte = 0; byte < 0x80; ++byte)
        define(byte, static_cast<char16_t>(byte));
    if (number_ == DefaultNumber) {
        // Built in, so that the default page never depends on the system's converters; its five
        // unassigned bytes have always been characters of their own value.
        for (unsigned byte = 0x80; byte < 0x100; ++byte)
            define(byte, windows1252Character(static_cast<unsigned char>(byte)));
        return;
    }
    Converter decoder("UTF-16LE", iconvName(number_));
    if (!decoder.isOpen())
        return;
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        if (leadBytes_[byte])
            continue;
        const char bytes[1] = {static_cast<char>(byte)};
        const char16_t character = decodeOne(decoder, std::string_view(bytes, 1));
        if (character != 0 && !bytesOf_.contains(character))
            define(byte, character);
    }
}

void CodePage::buildPairs()
{
    Converter decoder("UTF-16LE", iconvName(number_));
    Converter encoder(iconvName(number_).c_str(), "UTF-16LE");
    if (!decoder.isOpen() || !encoder.isOpen())
        return;
    pairs_ = std::make_unique<PairTable>();
    std::string written;
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        if (!leadBytes_[lead])
            continue;
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string_view pair(bytes, 2);
            const char16_t character = decodeOne(decoder, pair);
            if (character == 0 || bytesOf_.contains(character))
                continue;
            // Where the page has two pairs for one character, only the one it writes decodes to it.
            if (encoder.convert(utf16le(character), written) && written != pair)
                continue;
            pairs_->at(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) = character;
            bytesOf_.emplace(character, static_cast<std::uint16_t>(lead << 8 | trail));
            if (character < 0x100)
                lowCodeTaken_[character] = true;
        }
    }
}

void CodePage::buildUpperCase()
{
    for (unsigned byte = 0; byte < 0x100; ++byte)
        upperBytes_[byte] = static_cast<unsigned char>(byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte);
    if (hasLeadBytes_)
        return;
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        if (!singleDefined_[byte])
            continue;
        const auto upper = bytesOf_.find(upperCaseOf(singles_[byte]));
        if (upper != bytesOf_.end() && upper->second < 0x100)
            upperBytes_[byte] = static_cast<unsigned char>(upper->second);
    }
}

char16_t CodePage::escapeOf(unsigned char byte) const
{
    return lowCodeTaken_[byte] ? static_cast<char16_t>(EscapeBase + byte) : static_cast<char16_t>(byte);
}

bool CodePage::isTrailByteAt(std::string_view text, std::size_t index) const
{
    if (!hasLeadBytes_)
        return false;
    std::size_t run = 0;
    for (std::size_t i = std::min(index, text.size()); i > 0 && isLeadByte(static_cast<unsigned char>(text[i - 1])); --i)
        ++run;
    return run % 2 == 1;
}

std::u16string CodePage::decode(std::string_view bytes) const
{
    std::u16string text;
    toWide(bytes, text);
    return text;
}

bool CodePage::toWide(std::string_view bytes, std::u16string& out) const
{
    out.resize(bytes.size());
    char16_t* next = out.data();
    bool whole = true;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char byte = *p;
        if (singleDefined_[byte]) {
            *next++ = singles_[byte];
            ++p;
            continue;
        }
        if (pairs_ && leadBytes_[byte] && p + 1 < end) {
            const char16_t character = pairs_->at(byte, p[1]);
            if (character != 0) {
                *next++ = character;
                p += 2;
                continue;
            }
        }
        *next++ = escapeOf(byte);
        whole = false;
        ++p;
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return whole;
}

bool CodePage::encode(std::u16string_view text, std::string& bytes, std::size_t* firstFailure) const
{
    bytes.clear();
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t character = text[i];
        if (character < 0x80) {
            bytes.push_back(static_cast<char>(character));
            continue;
        }
        const auto found = bytesOf_.find(character);
        if (found == bytesOf_.end()) {
            if (encodeBySystem(character, bytes))
                continue;
            if (firstFailure != nullptr)
                *firstFailure = i;
            return false;
        }
        if (found->second > 0xFF)
            bytes.push_back(static_cast<char>(found->second >> 8));
        bytes.push_back(static_cast<char>(found->second & 0xFF));
    }
    return true;
}

bool CodePage::encodeBySystem(char16_t character, std::string& bytes) const
{
    if (number_ == DefaultNumber || (character >= 0xD800 && character < 0xE000))
        return false;
    Converter encoder(iconvName(number_).c_str(), "UTF-16LE");
    std::string written;
    if (!encoder.isOpen() || !encoder.convert(utf16le(character), written))
        return false;
    bytes += written;
    return true;
}

std::string CodePage::fromWide(std::u16string_view text) const
{
    std::string out;
    std::string one;
    std::size_t failure = 0;
    while (!encode(text, one, &failure)) {
        out += one;
        out.push_back('?');
        text.remove_prefix(failure + 1);
    }
    return out + one;
}

std::string CodePage::upperCase(std::string_view text) const
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (hasLeadBytes_ && isLeadByte(c)) {
            ++i;
            continue;
        }
        out[i] = static_cast<char>(upperBytes_[c]);
    }
    return out;
}

}  // namespace dfm
