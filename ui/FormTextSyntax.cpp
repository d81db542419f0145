#include "FormTextSyntax.h"

#include <QLatin1StringView>

namespace dfm {

namespace {

bool isIdentStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u >= 0x80;
}

bool isIdentChar(QChar c)
{
    return isIdentStart(c) || c.isDigit();
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// What may follow a number's first digit, as the form reader takes it.
bool isNumberTail(QChar c)
{
    return isDigit(c) || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-';
}

bool isFloatSuffix(QChar c)
{
    return c == u's' || c == u'S' || c == u'c' || c == u'C' || c == u'd' || c == u'D';
}

class LineScanner {
public:
    LineScanner(QStringView line, SyntaxSpans* spans) : line_(line), spans_(spans) {}

    int scan(int state)
    {
        if (state == FormTextSyntax::InBinary && !binaryBlock(0))
            return FormTextSyntax::InBinary;
        bool first = true;
        bool indexAllowed = false;
        for (;;) {
            skipBlanks();
            if (at_ >= line_.size())
                return FormTextSyntax::Normal;
            const QChar c = line_[at_];
            const qsizetype start = at_;
            if (c == u'\'' || c == u'#') {
                string();
            } else if (c == u'+') {
                // Only strings are joined by "+"; a sign inside a number is taken with the number.
                add(start, ++at_, SyntaxRole::String);
            } else if (c == u'$') {
                ++at_;
                while (at_ < line_.size() && isHexDigit(line_[at_]))
                    ++at_;
                add(start, at_, SyntaxRole::Number);
            } else if (c == u'-' || isDigit(c)) {
                number();
            } else if (isIdentStart(c) || (c == u'.' && at_ + 1 < line_.size() && isIdentStart(line_[at_ + 1]))) {
                indexAllowed = word(first);
            } else if (c == u'[' && indexAllowed) {
                orderIndex();
            } else if (c == u'{') {
                if (!binaryBlock(at_))
                    return FormTextSyntax::InBinary;
            } else if (c == u'[' || c == u']' || c == u'(' || c == u')' || c == u'<' || c == u'>' || c == u',') {
                add(start, ++at_, SyntaxRole::Delimiter);
            } else {
                ++at_;
            }
            if (c != u'[' && !isIdentStart(c))
                indexAllowed = false;
            first = false;
        }
    }

private:
    void add(qsizetype start, qsizetype end, SyntaxRole role)
    {
        if (spans_ != nullptr && end > start)
            spans_->push_back({static_cast<int>(start), static_cast<int>(end - start), role});
    }

    void skipBlanks()
    {
        while (at_ < line_.size() && line_[at_].unicode() <= u' ')
            ++at_;
    }

    QChar nextAfterBlanks(qsizetype from) const
    {
        while (from < line_.size() && line_[from].unicode() <= u' ')
            ++from;
        return from < line_.size() ? line_[from] : QChar();
    }

    // From "{" (or the line's start inside a block) to the "}" that closes the block; false when
    // the block goes on past the line.
    bool binaryBlock(qsizetype from)
    {
        const qsizetype close = line_.indexOf(u'}', from);
        const qsizetype end = close < 0 ? line_.size() : close + 1;
        add(from, end, SyntaxRole::Binary);
        at_ = end;
        return close >= 0;
    }

    // Quoted parts and "#nnn" characters, written together as one string; an unclosed quote
    // ends with the line.
    void string()
    {
        const qsizetype start = at_;
        while (at_ < line_.size()) {
            if (line_[at_] == u'\'') {
                ++at_;
                while (at_ < line_.size()) {
                    if (line_[at_++] == u'\'') {
                        if (at_ < line_.size() && line_[at_] == u'\'')
                            ++at_;
                        else
                            break;
                    }
                }
            } else if (line_[at_] == u'#') {
                ++at_;
                const bool hex = at_ < line_.size() && line_[at_] == u'$';
                if (hex)
                    ++at_;
                while (at_ < line_.size() && (hex ? isHexDigit(line_[at_]) : isDigit(line_[at_])))
                    ++at_;
            } else {
                break;
            }
        }
        add(start, at_, SyntaxRole::String);
    }

    void number()
    {
        const qsizetype start = at_++;
        while (at_ < line_.size() && isNumberTail(line_[at_]))
            ++at_;
        if (at_ < line_.size() && isFloatSuffix(line_[at_]))
            ++at_;
        add(start, at_, SyntaxRole::Number);
    }

    // A name, dotted or not. Returns whether an order index may follow it.
    bool word(bool firstOnLine)
    {
        const qsizetype start = at_++;
        while (at_ < line_.size() && (isIdentChar(line_[at_]) || line_[at_] == u'.'))
            ++at_;
        const QStringView text = line_.sliced(start, at_ - start);
        const auto is = [&text](const char* keyword) {
            return text.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
        };
        const QChar next = nextAfterBlanks(at_);
        SyntaxRole role = SyntaxRole::Identifier;
        bool indexAllowed = false;
        if (firstOnLine && (is("object") || is("inherited") || is("inline")) && isIdentStart(next)) {
            role = SyntaxRole::Keyword;
        } else if (firstOnLine && (is("end") || is("item")) && next != u'=') {
            role = SyntaxRole::Keyword;
            indexAllowed = is("item");
        } else if (firstOnLine && next == u'=') {
            role = SyntaxRole::Property;
        } else if (next == u'[' && !firstOnLine && (lastRole_ == SyntaxRole::Keyword || afterColon(start))) {
            // The class of an object's header (which has no name when the object has none), where
            // an order index may follow.
            indexAllowed = true;
        }
        add(start, at_, role);
        lastRole_ = role;
        return indexAllowed;
    }

    bool afterColon(qsizetype wordStart) const
    {
        qsizetype before = wordStart - 1;
        while (before >= 0 && line_[before].unicode() <= u' ')
            --before;
        return before >= 0 && line_[before] == u':';
    }

    void orderIndex()
    {
        const qsizetype start = at_++;
        while (at_ < line_.size() && line_[at_] != u']' && (isDigit(line_[at_]) || line_[at_].unicode() <= u' '
                                                            || line_[at_] == u'-'))
            ++at_;
        if (at_ < line_.size() && line_[at_] == u']')
            ++at_;
        add(start, at_, SyntaxRole::OrderIndex);
    }

    QStringView line_;
    SyntaxSpans* spans_;
    qsizetype at_ = 0;
    SyntaxRole lastRole_ = SyntaxRole::Keyword;
};

}  // namespace

int FormTextSyntax::scanLine(QStringView line, int state, SyntaxSpans* spans)
{
    return LineScanner(line, spans).scan(state);
}

}  // namespace dfm
