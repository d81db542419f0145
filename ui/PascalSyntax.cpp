#include "PascalSyntax.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace dfm {

namespace {

// The reserved words, and the visibility and method directives that are seldom names.
constexpr auto Keywords = std::to_array<std::string_view>({
    "abstract",     "and",           "array",          "as",         "asm",           "automated",
    "begin",        "case",          "class",          "const",      "constructor",   "destructor",
    "dispinterface", "div",          "do",             "downto",     "dynamic",       "else",
    "end",          "except",        "exports",        "file",       "finalization",  "finally",
    "for",          "forward",       "function",       "goto",       "if",            "implementation",
    "in",           "inherited",     "initialization", "inline",     "interface",     "is",
    "label",        "library",       "mod",            "nil",        "not",           "object",
    "of",           "or",            "out",            "overload",   "override",      "packed",
    "private",      "procedure",     "program",        "property",   "protected",     "public",
    "published",    "raise",         "record",         "reintroduce", "repeat",       "resourcestring",
    "set",          "shl",           "shr",            "strict",     "string",        "then",
    "threadvar",    "to",            "try",            "type",       "unit",          "until",
    "uses",         "var",           "virtual",        "while",      "with",          "xor",
    "operator",     "specialize",
});

constexpr std::array<std::string_view, Keywords.size()> SortedKeywords = [] {
    std::array<std::string_view, Keywords.size()> sorted = Keywords;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}();

constexpr std::size_t LongestKeyword = 14;

bool isLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

class LineScanner {
public:
    LineScanner(QStringView line, SyntaxSpans* spans) : line_(line), spans_(spans) {}

    int scan(int state)
    {
        if (state != PascalSyntax::Normal) {
            state = closeComment(0, state);
            if (state != PascalSyntax::Normal)
                return state;
        }
        while (at_ < size()) {
            const char16_t c = charAt(at_);
            const qsizetype start = at_;
            if (c == u'{') {
                state = closeComment(at_ + 1, charAt(at_ + 1) == u'$' ? PascalSyntax::InBraceDirective
                                                                         : PascalSyntax::InBraceComment,
                                     start);
                if (state != PascalSyntax::Normal)
                    return state;
            } else if (c == u'(' && charAt(at_ + 1) == u'*') {
                state = closeComment(at_ + 2, charAt(at_ + 2) == u'$' ? PascalSyntax::InStarDirective
                                                                         : PascalSyntax::InStarComment,
                                     start);
                if (state != PascalSyntax::Normal)
                    return state;
            } else if (c == u'/' && charAt(at_ + 1) == u'/') {
                add(start, size(), SyntaxRole::Comment);
                return PascalSyntax::Normal;
            } else if (c == u'\'' || c == u'#') {
                string();
            } else if (c == u'$') {
                ++at_;
                skipWhile(isHexDigit);
                add(start, at_, SyntaxRole::Number);
            } else if (c == u'%' && (charAt(at_ + 1) == u'0' || charAt(at_ + 1) == u'1')) {
                ++at_;
                skipWhile([](char16_t d) { return d == u'0' || d == u'1'; });
                add(start, at_, SyntaxRole::Number);
            } else if (c == u'&' && isDigit(charAt(at_ + 1))) {
                ++at_;
                skipWhile(isDigit);
                add(start, at_, SyntaxRole::Number);
            } else if (c == u'&' && isLetter(charAt(at_ + 1))) {
                // A name escaped so that it may be spelt as a reserved word.
                ++at_;
                skipWhile([](char16_t d) { return isLetter(d) || isDigit(d); });
            } else if (isDigit(c)) {
                number();
            } else if (isLetter(c)) {
                skipWhile([](char16_t d) { return isLetter(d) || isDigit(d); });
                // A name after a dot is a member, whatever it is spelt like.
                const bool member = start > 0 && charAt(start - 1) == u'.';
                if (!member && PascalSyntax::isKeyword(line_.sliced(start, at_ - start)))
                    add(start, at_, SyntaxRole::Keyword);
            } else {
                ++at_;
            }
        }
        return PascalSyntax::Normal;
    }

private:
    qsizetype size() const { return line_.size(); }
    char16_t charAt(qsizetype i) const { return i < line_.size() ? line_[i].unicode() : u'\0'; }

    template <typename Test>
    void skipWhile(Test test)
    {
        while (at_ < size() && test(line_[at_].unicode()))
            ++at_;
    }

    void add(qsizetype start, qsizetype end, SyntaxRole role)
    {
        if (spans_ != nullptr && end > start)
            spans_->push_back({static_cast<int>(start), static_cast<int>(end - start), role});
    }

    // Looks for the end of the comment or directive of the given state from "from"; colours it
    // from "start" and returns Normal when it ends on this line, else colours to the line's end
    // and returns the state.
    int closeComment(qsizetype from, int state, qsizetype start = 0)
    {
        const bool brace = state == PascalSyntax::InBraceComment || state == PascalSyntax::InBraceDirective;
        const bool directive = state == PascalSyntax::InBraceDirective || state == PascalSyntax::InStarDirective;
        const qsizetype close = brace ? line_.indexOf(u'}', from) : line_.indexOf(u"*)", from);
        const qsizetype end = close < 0 ? size() : close + (brace ? 1 : 2);
        add(start, end, directive ? SyntaxRole::Directive : SyntaxRole::Comment);
        at_ = end;
        return close < 0 ? state : PascalSyntax::Normal;
    }

    // Quoted parts and "#nn" or "#$hh" characters, written together; an unclosed quote ends
    // with the line.
    void string()
    {
        const qsizetype start = at_;
        for (;;) {
            if (charAt(at_) == u'\'') {
                ++at_;
                while (at_ < size()) {
                    if (line_[at_++] == u'\'') {
                        if (charAt(at_) == u'\'')
                            ++at_;
                        else
                            break;
                    }
                }
            } else if (charAt(at_) == u'#') {
                ++at_;
                if (charAt(at_) == u'$') {
                    ++at_;
                    skipWhile(isHexDigit);
                } else {
                    skipWhile(isDigit);
                }
            } else {
                break;
            }
        }
        add(start, at_, SyntaxRole::String);
    }

    // Digits, a fraction unless the dot starts a range "1..9", an exponent.
    void number()
    {
        const qsizetype start = at_;
        skipWhile(isDigit);
        if (charAt(at_) == u'.' && isDigit(charAt(at_ + 1))) {
            ++at_;
            skipWhile(isDigit);
        }
        if (charAt(at_) == u'e' || charAt(at_) == u'E') {
            qsizetype exponent = at_ + 1;
            if (charAt(exponent) == u'+' || charAt(exponent) == u'-')
                ++exponent;
            if (isDigit(charAt(exponent))) {
                at_ = exponent;
                skipWhile(isDigit);
            }
        }
        add(start, at_, SyntaxRole::Number);
    }

    QStringView line_;
    SyntaxSpans* spans_;
    qsizetype at_ = 0;
};

}  // namespace

int PascalSyntax::scanLine(QStringView line, int state, SyntaxSpans* spans)
{
    return LineScanner(line, spans).scan(state);
}

bool PascalSyntax::isKeyword(QStringView word)
{
    if (word.size() > static_cast<qsizetype>(LongestKeyword))
        return false;
    char lower[LongestKeyword];
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80)
            return false;
        lower[i] = static_cast<char>(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
    }
    return std::binary_search(SortedKeywords.begin(), SortedKeywords.end(),
                              std::string_view(lower, static_cast<std::size_t>(word.size())));
}

}  // namespace dfm
