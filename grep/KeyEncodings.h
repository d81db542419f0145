// A search key in every encoding a file may hold it in: the code page's bytes, UTF-16LE (the
// wide strings of binary forms) and UTF-8, looked for together in one pass over a buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dfm {

class CodePage;

class KeyEncodings {
public:
    // bytes: the key as the page's bytes, empty when the page lacks a character of text.
    // fold: case-insensitive, each encoding with its own letters: ASCII everywhere, the page's
    // letters in its bytes and in UTF-16LE units.
    KeyEncodings(std::string_view bytes, std::u16string_view text, const CodePage& page, bool fold);
    // text in every code page that can hold it, firstPage first, and in UTF-16LE and UTF-8; each
    // page folds its own letters, and UTF-16LE those of every page searched.
    KeyEncodings(std::u16string_view text, const CodePage& firstPage, bool fold);

    // The distinct byte patterns looked for (a UTF-8 form equal to the page's bytes counts once).
    std::size_t count() const { return patterns_.size(); }
    std::size_t longest() const { return longest_; }
    // The start of the earliest occurrence of any encoding that lies whole in text, or -1.
    std::int64_t find(std::string_view text) const;

    // The page of a search: 0 is the system page.
    static const CodePage& page(int number);
    // Why a key is refused whose character at index the page lacks, naming the page.
    static std::string refusal(std::u16string_view text, std::size_t index, const CodePage& page);
    // Well-formed UTF-8 for text; false when it holds a lone surrogate.
    static bool toUtf8(std::u16string_view text, std::string& bytes);

private:
    using ByteFold = std::array<unsigned char, 256>;
    // The fold of UTF-8, which folds a to z alone, among folds_.
    static constexpr std::size_t AsciiFold = 0;
    struct Pattern {
        std::string key;  // folded where the search folds
        int unitSize = 1;
        std::size_t fold = AsciiFold;  // in folds_, for single bytes; pairs of bytes fold as UTF-16 units
        bool filtered = false;
        // Two places whose bytes every occurrence has: one or two values each.
        std::size_t first = 0;
        std::size_t second = 0;
        std::array<unsigned char, 2> firstBytes{};
        std::array<unsigned char, 2> secondBytes{};
    };

    // Folds for ASCII and UTF-16 units.
    void prepareFolds();
    // The page's letters as a fold of its bytes, and as case pairs of UTF-16 units.
    std::size_t addPageFold(const CodePage& page);
    void sortUnitFolds();
    // Adds the key as bytes that fold by folds_[fold], unless a pattern already finds the same.
    void addBytes(std::string bytes, std::size_t fold);
    // Adds the key as UTF-16LE and as UTF-8, after the pages' patterns.
    void addUnicodeForms(std::u16string_view text);
    void add(std::string bytes, int unitSize, std::size_t fold);
    char16_t foldUnit(char16_t unit) const;
    bool matches(const Pattern& pattern, const unsigned char* text) const;
    template <std::size_t Count, bool Fold>
    std::int64_t findFiltered(const unsigned char* text, std::size_t size) const;
    // The filtered search for each count of patterns up to the most that every page and the two
    // Unicode forms of a key make.
    static constexpr std::size_t MostFilteredPatterns = 16;
    using Finder = std::int64_t (KeyEncodings::*)(const unsigned char*, std::size_t) const;
    template <bool Fold, std::size_t... Counts>
    static constexpr std::array<Finder, sizeof...(Counts)> finders(std::index_sequence<Counts...>);
    std::int64_t findEach(const unsigned char* text, std::size_t from, std::size_t size) const;

    bool fold_;
    std::vector<ByteFold> folds_;
    // UTF-16 units below 256 fold through the table, the page's other letters through the pairs.
    std::array<char16_t, 256> lowUnitFold_{};
    std::vector<std::pair<char16_t, char16_t>> unitFolds_;
    std::vector<Pattern> patterns_;
    std::size_t longest_ = 0;
    bool filtered_ = true;
};

}  // namespace dfm
