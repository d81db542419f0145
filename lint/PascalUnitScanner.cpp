#include "PascalUnitScanner.h"

#include "AsciiText.h"
#include "NameCase.h"

#include <algorithm>
#include <string>

namespace dfm {

namespace {

struct Token {
    enum Kind { Identifier, String, Number, Symbol };
    Kind kind;
    std::string_view text;
    int line;
    bool escaped = false;  // "&type": an identifier even where the word is reserved
};

bool identStart(unsigned char c)
{
    // Bytes beyond ASCII belong to identifiers of units written in UTF-8.
    return ascii::isIdentStart(c) || c >= 0x80;
}

bool identChar(unsigned char c)
{
    return ascii::isIdentChar(c) || c >= 0x80;
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    // False when a comment runs to the end of the text; error and errorLine tell which.
    // includes: the file names of the include directives, in text order.
    bool run(std::vector<Token>& tokens, std::string& error, int& errorLine, std::vector<std::string>& includes)
    {
        includes_ = &includes;
        while (skipBlanksAndComments())
            tokens.push_back(next());
        if (unterminatedLine_ != 0) {
            error = unterminatedWhat_;
            errorLine = unterminatedLine_;
            return false;
        }
        return true;
    }

private:
    char at(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    void stepOver(std::size_t end)
    {
        for (; p_ < end && p_ < text_.size(); ++p_) {
            if (text_[p_] == '\n')
                ++line_;
        }
    }

    // Skips to past close (searched from from); false when it never comes.
    bool skipTo(std::string_view close, std::size_t from, const char* what)
    {
        const std::size_t end = text_.find(close, from);
        if (end == std::string_view::npos) {
            unterminatedWhat_ = what;
            unterminatedLine_ = line_;
            p_ = text_.size();
            return false;
        }
        stepOver(end + close.size());
        return true;
    }

    // True when a token follows.
    bool skipBlanksAndComments()
    {
        for (;;) {
            const char c = at(p_);
            if (p_ >= text_.size())
                return false;
            if (static_cast<unsigned char>(c) <= ' ') {
                stepOver(p_ + 1);
            } else if (c == '{') {
                const bool directive = at(p_ + 1) == '$';
                if (directive)
                    takeInclude(p_ + 2, "}");
                if (!skipTo("}", p_ + 1, directive ? "unterminated compiler directive" : "unterminated comment"))
                    return false;
            } else if (c == '(' && at(p_ + 1) == '*') {
                const bool directive = at(p_ + 2) == '$';
                if (directive)
                    takeInclude(p_ + 3, "*)");
                if (!skipTo("*)", p_ + 2, directive ? "unterminated compiler directive" : "unterminated comment"))
                    return false;
            } else if (c == '/' && at(p_ + 1) == '/') {
                const std::size_t end = text_.find('\n', p_);
                p_ = end == std::string_view::npos ? text_.size() : end;
            } else {
                return true;
            }
        }
    }

    // "{$I name}", "{$INCLUDE 'a name'}": the name, from the directive's word at from. "{$I+}" and
    // "{$I-}" switch a check and include nothing; "{$I %DATE%}" inserts a text, not a file.
    void takeInclude(std::size_t from, std::string_view close)
    {
        std::size_t p = from;
        while (ascii::isLetter(static_cast<unsigned char>(at(p))))
            ++p;
        const std::string_view word = text_.substr(from, p - from);
        if (!ascii::equalsIgnoringCase(word, "I") && !ascii::equalsIgnoringCase(word, "INCLUDE"))
            return;
        if (at(p) != ' ' && at(p) != '\t')
            return;
        while (at(p) == ' ' || at(p) == '\t')
            ++p;
        std::size_t end;
        if (at(p) == '\'') {
            ++p;
            end = text_.find('\'', p);
        } else {
            end = p;
            while (end < text_.size() && static_cast<unsigned char>(text_[end]) > ' ' && !text_.substr(end).starts_with(close))
                ++end;
        }
        if (end == std::string_view::npos || end == p || at(p) == '%')
            return;
        const std::string_view name = text_.substr(p, end - p);
        if (name.find('\n') == std::string_view::npos && name.find(close) == std::string_view::npos)
            includes_->emplace_back(name);
    }

    Token next()
    {
        const std::size_t start = p_;
        const int line = line_;
        const auto c = static_cast<unsigned char>(text_[p_]);
        const auto token = [&](Token::Kind kind, std::size_t from = std::string_view::npos) {
            const std::size_t first = from == std::string_view::npos ? start : from;
            return Token{kind, text_.substr(first, p_ - first), line};
        };
        if (c == '&' && identStart(static_cast<unsigned char>(at(p_ + 1)))) {
            ++p_;
            while (p_ < text_.size() && identChar(static_cast<unsigned char>(text_[p_])))
                ++p_;
            Token escaped = token(Token::Identifier, start + 1);
            escaped.escaped = true;
            return escaped;
        }
        if (identStart(c)) {
            while (p_ < text_.size() && identChar(static_cast<unsigned char>(text_[p_])))
                ++p_;
            return token(Token::Identifier);
        }
        if (c == '\'' || c == '#') {
            // Quoted runs and character codes joined, as one string; a line break ends a run that
            // is not closed, which the compiler would refuse but the scan need not.
            while (at(p_) == '\'' || at(p_) == '#') {
                if (at(p_) == '#') {
                    ++p_;
                    if (at(p_) == '$')
                        ++p_;
                    while (ascii::isHexDigit(static_cast<unsigned char>(at(p_))))
                        ++p_;
                    continue;
                }
                ++p_;
                while (p_ < text_.size() && text_[p_] != '\n') {
                    if (text_[p_] == '\'') {
                        if (at(p_ + 1) != '\'')
                            break;
                        ++p_;
                    }
                    ++p_;
                }
                if (at(p_) != '\'')
                    break;
                ++p_;
            }
            return token(Token::String);
        }
        if (ascii::isDigit(c) || ((c == '$' || c == '%') && ascii::isHexDigit(static_cast<unsigned char>(at(p_ + 1))))) {
            ++p_;
            while (p_ < text_.size()) {
                const char d = text_[p_];
                // "1..9" is a range, not a number with a fraction.
                if (d == '.' && at(p_ + 1) == '.')
                    break;
                if (!ascii::isHexDigit(static_cast<unsigned char>(d)) && d != '.' && d != '_'
                    && !((d == '+' || d == '-') && (at(p_ - 1) == 'e' || at(p_ - 1) == 'E')))
                    break;
                ++p_;
            }
            return token(Token::Number);
        }
        ++p_;
        return token(Token::Symbol);
    }

    std::string_view text_;
    std::size_t p_ = 0;
    int line_ = 1;
    const char* unterminatedWhat_ = "";
    int unterminatedLine_ = 0;
    std::vector<std::string>* includes_ = nullptr;
};

bool sameName(std::string_view a, std::string_view b)
{
    return sameNameIgnoringCase(a, b);
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, PascalUnit& unit, const CodePage& page)
        : t_(tokens), unit_(unit), page_(page)
    {
    }

    void run()
    {
        std::size_t i = 0;
        while (i < t_.size()) {
            if (const std::size_t after = classDeclarationAt(i); after != 0) {
                if (!unit_.error.empty())
                    return;
                i = after;
                continue;
            }
            if (isMethodKeyword(i))
                takeMethodBody(i);
            ++i;
        }
    }

private:
    bool isWord(std::size_t i, std::string_view word) const
    {
        return i < t_.size() && t_[i].kind == Token::Identifier && !t_[i].escaped && sameName(t_[i].text, word);
    }
    bool isSymbol(std::size_t i, char c) const
    {
        return i < t_.size() && t_[i].kind == Token::Symbol && t_[i].text[0] == c;
    }
    bool isName(std::size_t i) const { return i < t_.size() && t_[i].kind == Token::Identifier; }
    // The identifier at i in UTF-8.
    std::string name(std::size_t i) const { return nameAsUtf8(t_[i].text, page_); }

    bool isMethodKeyword(std::size_t i) const
    {
        return isWord(i, "procedure") || isWord(i, "function") || isWord(i, "constructor")
            || isWord(i, "destructor") || isWord(i, "operator");
    }

    // "Name = class": a class with a body, or "Name = class(Ancestor);" without one. Returns the
    // index past the declaration, or 0 when none starts at i. Forward declarations, class
    // references and helpers are not declarations of a form's class.
    std::size_t classDeclarationAt(std::size_t i)
    {
        if (!isName(i) || !isSymbol(i + 1, '=') || !isWord(i + 2, "class"))
            return 0;
        std::size_t j = i + 3;
        if (isSymbol(j, ';') || isWord(j, "of") || isWord(j, "helper"))
            return 0;
        while (isWord(j, "abstract") || isWord(j, "sealed"))
            ++j;
        PascalClass declared;
        declared.name = name(i);
        declared.line = t_[i].line;
        if (isSymbol(j, '(')) {
            ++j;
            while (isName(j)) {
                declared.ancestor = name(j);
                if (!isSymbol(j + 1, '.'))
                    break;
                j += 2;
            }
            // An ancestor list holds no ";": one that runs into it is cut short there, so that
            // broken text is not scanned to its end again for each such declaration.
            while (j < t_.size() && !isSymbol(j, ')') && !isSymbol(j, ';'))
                ++j;
            if (isSymbol(j, ')'))
                ++j;
            if (isSymbol(j, ';')) {
                unit_.classes.push_back(std::move(declared));
                return j + 1;
            }
        }
        const std::size_t after = classBody(j, declared);
        if (after == 0) {
            unit_.error = "the declaration of class " + declared.name + " has no end";
            unit_.errorLine = declared.line;
            return t_.size();
        }
        unit_.classes.push_back(std::move(declared));
        return after;
    }

    // Whether the token at i opens a body that an "end" closes (records, nested classes, old
    // objects, interfaces), so that their "end" is not taken for the class's own.
    bool opensBody(std::size_t i) const
    {
        if (isWord(i, "record"))
            return true;
        if (isWord(i, "object"))
            return !isWord(i - 1, "of");
        if (isWord(i, "class") || isWord(i, "interface") || isWord(i, "dispinterface")) {
            if (i == 0 || !isSymbol(i - 1, '='))
                return false;
            std::size_t j = i + 1;
            if (isSymbol(j, ';') || isWord(j, "of"))
                return false;
            if (isSymbol(j, '(')) {
                int depth = 0;
                for (; j < t_.size() && !isSymbol(j, ';'); ++j) {
                    depth += isSymbol(j, '(') ? 1 : isSymbol(j, ')') ? -1 : 0;
                    if (depth == 0)
                        break;
                }
                return isSymbol(j, ')') && !isSymbol(j + 1, ';');
            }
            return true;
        }
        return false;
    }

    // Past the ";" that ends the member starting at i, at the class's own level; stops before
    // an "end" of that level, which closes the class when a member's ";" is missing.
    std::size_t skipMember(std::size_t i) const
    {
        int parens = 0;
        int bodies = 0;
        for (; i < t_.size(); ++i) {
            if (isSymbol(i, '(') || isSymbol(i, '['))
                ++parens;
            else if ((isSymbol(i, ')') || isSymbol(i, ']')) && parens > 0)
                --parens;
            else if (opensBody(i))
                ++bodies;
            else if (isWord(i, "end")) {
                if (bodies == 0)
                    return i;
                --bodies;
            } else if (isSymbol(i, ';') && parens == 0 && bodies == 0)
                return i + 1;
        }
        return i;
    }

    // The members from i to the class's "end"; returns the index past it, or 0 when none comes.
    std::size_t classBody(std::size_t i, PascalClass& declared) const
    {
        enum class Section { Fields, ClassFields, Declarations };
        Visibility visibility = Visibility::Published;
        Section section = Section::Fields;
        while (i < t_.size()) {
            if (isWord(i, "end"))
                return i + 1;
            if (isWord(i, "strict")) {
                ++i;
            } else if (isWord(i, "private") || isWord(i, "protected") || isWord(i, "public")) {
                visibility = isWord(i, "private")     ? Visibility::Private
                    : isWord(i, "protected") ? Visibility::Protected
                                             : Visibility::Public;
                section = Section::Fields;
                ++i;
            } else if (isWord(i, "published") || isWord(i, "automated")) {
                visibility = Visibility::Published;
                section = Section::Fields;
                ++i;
            } else if (isWord(i, "class") && (isWord(i + 1, "var") || isWord(i + 1, "threadvar"))) {
                section = Section::ClassFields;
                i += 2;
            } else if (isWord(i, "var") || isWord(i, "threadvar")) {
                section = Section::Fields;
                ++i;
            } else if (isWord(i, "type") || isWord(i, "const") || (isWord(i, "class") && isWord(i + 1, "const"))) {
                section = Section::Declarations;
                i += isWord(i, "class") ? 2 : 1;
            } else if (isSymbol(i, '[')) {
                // An attribute before a member.
                int depth = 0;
                for (; i < t_.size(); ++i) {
                    depth += isSymbol(i, '[') ? 1 : isSymbol(i, ']') ? -1 : 0;
                    if (depth == 0)
                        break;
                }
                ++i;
            } else if (isMethodKeyword(i) || (isWord(i, "class") && isMethodKeyword(i + 1))) {
                const std::size_t at = isWord(i, "class") ? i + 2 : i + 1;
                // "procedure IFoo.Bar = Baz" maps an interface's method and declares none.
                if (isName(at) && !isSymbol(at + 1, '.'))
                    declared.methods.push_back({name(at), t_[at].line, visibility});
                section = Section::Fields;
                i = skipMember(at);
            } else if (isWord(i, "property") || (isWord(i, "class") && isWord(i + 1, "property"))) {
                section = Section::Fields;
                i = skipMember(i);
            } else if (section != Section::Declarations && isName(i)) {
                std::vector<std::size_t> names{i};
                std::size_t j = i + 1;
                while (isSymbol(j, ',') && isName(j + 1)) {
                    names.push_back(j + 1);
                    j += 2;
                }
                if (isSymbol(j, ':') && section == Section::Fields) {
                    std::string typeName;
                    std::size_t k = j + 1;
                    while (isName(k) && isSymbol(k + 1, '.'))
                        k += 2;
                    if (isName(k) && (isSymbol(k + 1, ';') || isWord(k + 1, "end")))
                        typeName = name(k);
                    for (std::size_t n : names)
                        declared.fields.push_back({name(n), typeName, t_[n].line, visibility});
                }
                i = skipMember(j);
            } else {
                i = skipMember(i);
            }
            if (i < t_.size() && isSymbol(i, ';'))
                ++i;
        }
        return 0;
    }

    // "procedure TForm1.Button1Click": the last two parts of the dotted name.
    void takeMethodBody(std::size_t i)
    {
        std::size_t j = i + 1;
        std::vector<std::size_t> parts;
        while (isName(j)) {
            parts.push_back(j);
            if (!isSymbol(j + 1, '.'))
                break;
            j += 2;
        }
        if (parts.size() < 2)
            return;
        const Token& owner = t_[parts[parts.size() - 2]];
        const Token& method = t_[parts.back()];
        unit_.bodies.push_back({nameAsUtf8(owner.text, page_), nameAsUtf8(method.text, page_), method.line});
    }

    const std::vector<Token>& t_;
    PascalUnit& unit_;
    const CodePage& page_;
};

}  // namespace

const PascalField* PascalClass::field(std::string_view wanted) const
{
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const PascalField& f) { return sameName(f.name, wanted); });
    return found == fields.end() ? nullptr : &*found;
}

const PascalMethod* PascalClass::method(std::string_view wanted) const
{
    const auto found =
        std::find_if(methods.begin(), methods.end(), [&](const PascalMethod& m) { return sameName(m.name, wanted); });
    return found == methods.end() ? nullptr : &*found;
}

const PascalClass* PascalUnit::findClass(std::string_view name) const
{
    const auto found =
        std::find_if(classes.begin(), classes.end(), [&](const PascalClass& c) { return sameName(c.name, name); });
    return found == classes.end() ? nullptr : &*found;
}

bool PascalUnit::hasBody(std::string_view className, std::string_view methodName) const
{
    return std::any_of(bodies.begin(), bodies.end(), [&](const PascalMethodBody& body) {
        return sameName(body.className, className) && sameName(body.methodName, methodName);
    });
}

PascalUnit PascalUnitScanner::scan(std::string_view text, const CodePage& page)
{
    PascalUnit unit;
    // A byte order mark is no part of the first token.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<Token> tokens;
    Tokenizer tokenizer(text);
    if (!tokenizer.run(tokens, unit.error, unit.errorLine, unit.includes))
        return unit;
    Parser(tokens, unit, page).run();
    return unit;
}

}  // namespace dfm
