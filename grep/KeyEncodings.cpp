#include "KeyEncodings.h"

#include "Bytes16.h"
#include "CodePage.h"
#include "Utf8.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace dfm {

namespace {

// The bytes one place of a pattern may hold; more than two and the place filters nothing.
using Alternatives = std::vector<unsigned char>;

void addUnique(Alternatives& set, unsigned char byte)
{
    if (std::find(set.begin(), set.end(), byte) == set.end())
        set.push_back(byte);
}

void appendUtf8(std::string& out, char32_t cp)
{
    char bytes[4];
    out.append(bytes, putUtf8(cp, bytes));
}

// The code point at index, a surrogate pair taken whole.
char32_t codePointAt(std::u16string_view text, std::size_t index)
{
    const char16_t unit = text[index];
    if (isHighSurrogate(unit) && index + 1 < text.size() && isLowSurrogate(text[index + 1]))
        return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[index + 1]) - 0xDC00);
    return unit;
}

std::string wideBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The one character of a single-byte page's byte.
char16_t pageCharacter(const CodePage& page, unsigned char byte)
{
    const std::u16string text = page.decode(std::string(1, static_cast<char>(byte)));
    return text.size() == 1 ? text[0] : 0;
}

}  // namespace

KeyEncodings::KeyEncodings(std::string_view bytes, std::u16string_view text, const CodePage& page, bool fold)
    : fold_(fold)
{
    prepareFolds();
    const std::size_t pageFold = addPageFold(page);
    sortUnitFolds();
    if (!bytes.empty())
        add(std::string(bytes), 1, pageFold);
    addUnicodeForms(text);
}

KeyEncodings::KeyEncodings(std::u16string_view text, const CodePage& firstPage, bool fold)
    : fold_(fold)
{
    prepareFolds();
    std::vector<std::pair<std::string, std::size_t>> pageKeys;
    const auto addPage = [&](const CodePage& page) {
        std::string bytes;
        if (!text.empty() && page.encode(text, bytes))
            pageKeys.emplace_back(std::move(bytes), addPageFold(page));
    };
    addPage(firstPage);
    for (const int number : CodePage::numbers()) {
        if (number != firstPage.number())
            addPage(CodePage::forNumber(number));
    }
    sortUnitFolds();
    // Pages that write the key alike, with letters that fold alike, make one pattern.
    for (auto& [bytes, pageFold] : pageKeys)
        addBytes(std::move(bytes), pageFold);
    addUnicodeForms(text);
}

void KeyEncodings::addUnicodeForms(std::u16string_view text)
{
    if (text.empty())
        return;
    add(wideBytes(text), 2, AsciiFold);
    // Matches of the UTF-8 form equal to a page's bytes are matches of those already.
    std::string utf8;
    if (toUtf8(text, utf8))
        addBytes(std::move(utf8), AsciiFold);
}

void KeyEncodings::prepareFolds()
{
    ByteFold ascii;
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        ascii[c] = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 0x20) : c;
        // Latin-1 letters are a case pair in UTF-16 whatever the page.
        lowUnitFold_[c] = (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? char16_t(c - 0x20) : char16_t(ascii[c]);
    }
    folds_.push_back(ascii);
}

std::size_t KeyEncodings::addPageFold(const CodePage& page)
{
    const ByteFold& upper = page.upperCaseBytes();
    // The page's case pairs among its own characters, for the wide strings that hold them.
    for (int b = 0x80; b < 256 && !page.hasLeadBytes(); ++b) {
        const auto c = static_cast<unsigned char>(b);
        const char16_t lower = pageCharacter(page, c);
        const char16_t upperCase = upper[c] != c ? pageCharacter(page, upper[c]) : 0;
        if (lower == 0 || upperCase == 0 || lower == upperCase)
            continue;
        if (lower < 256)
            lowUnitFold_[lower] = upperCase;
        else
            unitFolds_.emplace_back(lower, upperCase);
    }
    const auto same = std::find(folds_.begin(), folds_.end(), upper);
    if (same != folds_.end())
        return static_cast<std::size_t>(same - folds_.begin());
    folds_.push_back(upper);
    return folds_.size() - 1;
}

void KeyEncodings::sortUnitFolds()
{
    std::sort(unitFolds_.begin(), unitFolds_.end());
    unitFolds_.erase(std::unique(unitFolds_.begin(), unitFolds_.end()), unitFolds_.end());
}

void KeyEncodings::addBytes(std::string bytes, std::size_t fold)
{
    const ByteFold& mine = folds_[fold];
    const auto findsTheSame = [&](const Pattern& pattern) {
        if (pattern.unitSize != 1 || pattern.key.size() != bytes.size())
            return false;
        if (!fold_)
            return pattern.key == bytes;
        // Each byte of the key is in the pattern's class at its place, and each class has the
        // same members under both folds.
        const ByteFold& theirs = folds_[pattern.fold];
        std::array<bool, 256> checked{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (theirs[byte] != static_cast<unsigned char>(pattern.key[i]))
                return false;
            if (checked[byte])
                continue;
            checked[byte] = true;
            for (int b = 0; b < 256; ++b) {
                if ((mine[b] == mine[byte]) != (theirs[b] == theirs[byte]))
                    return false;
            }
        }
        return true;
    };
    if (std::none_of(patterns_.begin(), patterns_.end(), findsTheSame))
        add(std::move(bytes), 1, fold);
}

char16_t KeyEncodings::foldUnit(char16_t unit) const
{
    if (unit < 256)
        return lowUnitFold_[unit];
    const auto it = std::lower_bound(unitFolds_.begin(), unitFolds_.end(), std::pair<char16_t, char16_t>(unit, 0));
    return it != unitFolds_.end() && it->first == unit ? it->second : unit;
}

void KeyEncodings::add(std::string bytes, int unitSize, std::size_t fold)
{
    Pattern pattern;
    pattern.unitSize = unitSize;
    pattern.fold = fold;
    const std::string raw = bytes;
    const std::size_t size = raw.size();
    // Every unit whose fold is the key's, for the bytes each place may hold.
    std::vector<char16_t> units;
    if (fold_ && unitSize == 2) {
        for (char16_t u = 0; u < 256; ++u) {
            units.push_back(u);
            if (lowUnitFold_[u] >= 256)
                units.push_back(lowUnitFold_[u]);
        }
        for (const auto& [lower, upper] : unitFolds_) {
            units.push_back(lower);
            units.push_back(upper);
        }
    }
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(raw[i & ~std::size_t(1)]) |
                                     (static_cast<unsigned char>(raw[i | 1]) << 8));
    };
    const auto alternatives = [&](std::size_t i) {
        Alternatives set;
        const auto byte = static_cast<unsigned char>(raw[i]);
        set.push_back(byte);
        if (!fold_)
            return set;
        if (unitSize == 1) {
            const ByteFold& folding = folds_[fold];
            for (int b = 0; b < 256 && set.size() <= 2; ++b) {
                if (folding[static_cast<unsigned char>(b)] == folding[byte])
                    addUnique(set, static_cast<unsigned char>(b));
            }
            return set;
        }
        const char16_t target = foldUnit(unitAt(i));
        for (const char16_t u : units) {
            if (foldUnit(u) == target)
                addUnique(set, static_cast<unsigned char>(i % 2 == 0 ? u & 0xFF : u >> 8));
        }
        return set;
    };
    // The first place that filters from the front, and the last from the back, preferring a byte
    // other than zero (zeros fill binary files, and every wide ASCII letter has one).
    std::optional<std::size_t> first;
    Alternatives firstSet;
    for (std::size_t i = 0; i < size && !first; ++i) {
        firstSet = alternatives(i);
        if (firstSet.size() <= 2)
            first = i;
    }
    if (first) {
        std::optional<std::size_t> second;
        Alternatives secondSet;
        for (std::size_t i = size; i-- > *first && !second;) {
            if (raw[i] == 0 && i != *first)
                continue;
            secondSet = alternatives(i);
            if (secondSet.size() <= 2)
                second = i;
        }
        if (!second) {
            second = first;
            secondSet = firstSet;
        }
        pattern.filtered = true;
        pattern.first = *first;
        pattern.second = *second;
        pattern.firstBytes = {firstSet.front(), firstSet.back()};
        pattern.secondBytes = {secondSet.front(), secondSet.back()};
    }
    if (fold_) {
        if (unitSize == 1) {
            for (char& c : bytes)
                c = static_cast<char>(folds_[fold][static_cast<unsigned char>(c)]);
        } else {
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                const char16_t folded = foldUnit(unitAt(i));
                bytes[i] = static_cast<char>(folded & 0xFF);
                bytes[i + 1] = static_cast<char>(folded >> 8);
            }
        }
    }
    pattern.key = std::move(bytes);
    filtered_ = filtered_ && pattern.filtered;
    longest_ = std::max(longest_, size);
    patterns_.push_back(std::move(pattern));
}

bool KeyEncodings::matches(const Pattern& pattern, const unsigned char* text) const
{
    const auto* key = reinterpret_cast<const unsigned char*>(pattern.key.data());
    const std::size_t size = pattern.key.size();
    if (!fold_)
        return std::memcmp(text, key, size) == 0;
    if (pattern.unitSize == 1) {
        const ByteFold& fold = folds_[pattern.fold];
        for (std::size_t i = 0; i < size; ++i) {
            if (fold[text[i]] != key[i])
                return false;
        }
        return true;
    }
    // Unit by unit from the occurrence's start, so that only whole units fold.
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(text[i] | (text[i + 1] << 8));
        if (foldUnit(unit) != static_cast<char16_t>(key[i] | (key[i + 1] << 8)))
            return false;
    }
    return true;
}

template <bool Fold, std::size_t... Counts>
constexpr std::array<KeyEncodings::Finder, sizeof...(Counts)> KeyEncodings::finders(std::index_sequence<Counts...>)
{
    return {&KeyEncodings::findFiltered<Counts + 1, Fold>...};
}

std::int64_t KeyEncodings::find(std::string_view text) const
{
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    if (!filtered_ || patterns_.empty() || patterns_.size() > MostFilteredPatterns)
        return findEach(t, 0, text.size());
    static constexpr auto plain = finders<false>(std::make_index_sequence<MostFilteredPatterns>());
    static constexpr auto folded = finders<true>(std::make_index_sequence<MostFilteredPatterns>());
    return (this->*(fold_ ? folded : plain)[patterns_.size() - 1])(t, text.size());
}

template <std::size_t Count, bool Fold>
std::int64_t KeyEncodings::findFiltered(const unsigned char* text, std::size_t size) const
{
    // The filters in registers: each pattern's two places, tested at sixteen starts at a time;
    // a second value for a place only where letters fold.
    std::array<std::size_t, Count> first;
    std::array<std::size_t, Count> second;
    std::array<Bytes16, Count> firstA;
    std::array<Bytes16, Count> firstB;
    std::array<Bytes16, Count> secondA;
    std::array<Bytes16, Count> secondB;
    bool firstsAtStart = true;
    for (std::size_t p = 0; p < Count; ++p) {
        const Pattern& pattern = patterns_[p];
        first[p] = pattern.first;
        second[p] = pattern.second;
        firstA[p] = Bytes16{} + pattern.firstBytes[0];
        firstB[p] = Bytes16{} + pattern.firstBytes[1];
        secondA[p] = Bytes16{} + pattern.secondBytes[0];
        secondB[p] = Bytes16{} + pattern.secondBytes[1];
        firstsAtStart = firstsAtStart && pattern.first == 0;
    }
    const auto test = [&](std::size_t p, const Bytes16& a, const Bytes16& b) {
        if constexpr (Fold)
            return (Bytes16)(((a == firstA[p]) | (a == firstB[p])) & ((b == secondA[p]) | (b == secondB[p])));
        else
            return (Bytes16)((a == firstA[p]) & (b == secondA[p]));
    };
    std::size_t start = 0;
    for (; start + 15 + longest_ <= size; start += 16) {
        Bytes16 hits{};
        // Every encoding usually starts its filter at the occurrence's start: one load for all.
        const Bytes16 head = load16(text + start);
        for (std::size_t p = 0; p < Count; ++p)
            hits |= test(p, firstsAtStart ? head : load16(text + start + first[p]), load16(text + start + second[p]));
        if (!anySet(hits))
            continue;
        for (std::size_t i = 0; i < 16; ++i) {
            if (hits[i] == 0)
                continue;
            for (const Pattern& pattern : patterns_) {
                if (matches(pattern, text + start + i))
                    return static_cast<std::int64_t>(start + i);
            }
        }
    }
    return findEach(text, start, size);
}

std::int64_t KeyEncodings::findEach(const unsigned char* text, std::size_t from, std::size_t size) const
{
    for (std::size_t start = from; start < size; ++start) {
        for (const Pattern& pattern : patterns_) {
            if (start + pattern.key.size() <= size && matches(pattern, text + start))
                return static_cast<std::int64_t>(start);
        }
    }
    return -1;
}

const CodePage& KeyEncodings::page(int number)
{
    return number == 0 ? CodePage::system() : CodePage::forNumber(number);
}

std::string KeyEncodings::refusal(std::u16string_view text, std::size_t index, const CodePage& page)
{
    const char32_t cp = codePointAt(text, index);
    // A lone surrogate has no character to show, only its number.
    std::string character;
    if (cp >= 0x10000 || !(isHighSurrogate(text[index]) || isLowSurrogate(text[index])))
        appendUtf8(character, cp);
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(cp));
    const std::string name = character.empty() ? std::string(number) : "\"" + character + "\", " + number;
    return "Search Key holds characters that the code page " + std::string(CodePage::name(page.number())) + " (" +
           std::to_string(page.number()) + ") cannot hold (" + name + ")";
}

bool KeyEncodings::toUtf8(std::u16string_view text, std::string& bytes)
{
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t cp = codePointAt(text, i);
        if (cp >= 0x10000)
            ++i;
        else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i]))
            return false;
        appendUtf8(bytes, cp);
    }
    return true;
}

}  // namespace dfm
