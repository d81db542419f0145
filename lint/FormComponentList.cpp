#include "FormComponentList.h"

#include "Errors.h"
#include "MemoryStream.h"
#include "NestingGuard.h"

namespace dfm {

namespace {

// The bytes of binary blocks are of no interest here.
class DiscardStream : public ByteStream {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void*, std::size_t count) override { return count; }
    std::int64_t seek(std::int64_t, SeekOrigin) override { return 0; }
};

// "OnClick", "OnKeyDown": "On" and a capital. Values such as True of a property that only looks
// like one ("OnTop = True") name no method.
bool isEventProperty(std::string_view name, std::string_view value)
{
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    if (name.size() < 3 || name[0] != 'O' || name[1] != 'n' || name[2] < 'A' || name[2] > 'Z')
        return false;
    return !ascii::equalsIgnoringCase(value, "True") && !ascii::equalsIgnoringCase(value, "False")
        && !ascii::equalsIgnoringCase(value, "nil");
}

// Walks the text by the grammar the converter reads it with, keeping only names and lines.
class Walker {
public:
    Walker(FormParser& parser, FormComponentList& list) : parser_(parser), list_(list) {}

    void object(bool inFrame)
    {
        const NestingGuard nesting = nest();
        FormComponent component;
        if (parser_.tokenIsSymbol("INHERITED"))
            component.kind = FormComponent::Kind::Inherited;
        else if (parser_.tokenIsSymbol("INLINE"))
            component.kind = FormComponent::Kind::Inline;
        else
            parser_.expectSymbol("OBJECT");
        parser_.advance();
        parser_.expectToken(Symbol);
        component.className = parser_.tokenText();
        component.line = parser_.lineNumber();
        if (parser_.advance() == ':') {
            parser_.advance();
            parser_.expectToken(Symbol);
            component.name = std::move(component.className);
            component.className = parser_.tokenText();
            parser_.advance();
        }
        orderIndex();
        component.inFrame = inFrame;
        // The root's own objects are the form's even when the root is a frame's text.
        const bool childrenInFrame = inFrame || (component.kind == FormComponent::Kind::Inline && !list_.components.empty());
        const std::size_t index = list_.components.size();
        list_.components.push_back(std::move(component));
        while (!atObjectKeyword() && !parser_.tokenIsSymbol("END"))
            property(index);
        while (!parser_.tokenIsSymbol("END"))
            object(childrenInFrame);
        parser_.advance();
    }

private:
    NestingGuard nest()
    {
        return NestingGuard(depth_, [this](const std::string& message) { parser_.fail(message); });
    }

    bool atObjectKeyword() const
    {
        return parser_.tokenIsSymbol("OBJECT") || parser_.tokenIsSymbol("INHERITED") || parser_.tokenIsSymbol("INLINE");
    }

    void orderIndex()
    {
        if (parser_.token() != '[')
            return;
        parser_.advance();
        parser_.expectToken(IntegerToken);
        parser_.advance();
        parser_.expectToken(']');
        parser_.advance();
    }

    void property(std::size_t component)
    {
        const int line = parser_.lineNumber();
        const std::string name = parser_.takePropertyName();
        parser_.expectToken('=');
        parser_.advance();
        if (parser_.token() == Symbol) {
            std::string value = parser_.takeDottedIdent();
            if (isEventProperty(name, value))
                list_.events.push_back({std::move(name), std::move(value), line, component});
            parser_.advance();
            return;
        }
        value(component);
    }

    void value(std::size_t component)
    {
        switch (parser_.token()) {
        case Symbol:
        case '.':
            parser_.takeDottedIdent();
            break;
        case StringToken:
        case WideStringToken:
            while (parser_.advance() == '+') {
                parser_.advance();
                if (parser_.token() != StringToken && parser_.token() != WideStringToken)
                    parser_.fail(msg::StringExpected);
            }
            return;
        case IntegerToken:
        case FloatToken:
            break;
        case '(': {
            const NestingGuard nesting = nest();
            parser_.advance();
            while (parser_.token() != ')')
                value(component);
            break;
        }
        case '<': {
            const NestingGuard nesting = nest();
            parser_.advance();
            while (parser_.token() != '>') {
                parser_.expectSymbol("item");
                parser_.advance();
                orderIndex();
                while (!parser_.tokenIsSymbol("end"))
                    property(component);
                parser_.advance();
            }
            break;
        }
        case '[':
            parser_.advance();
            if (parser_.token() != ']') {
                for (;;) {
                    parser_.expectToken(Symbol);
                    if (parser_.advance() == ']')
                        break;
                    parser_.expectToken(',');
                    parser_.advance();
                }
            }
            break;
        case '{': {
            DiscardStream data;
            parser_.readHexBlock(data);
            break;
        }
        default:
            parser_.fail(msg::BadPropertyValue);
        }
        parser_.advance();
    }

    FormParser& parser_;
    FormComponentList& list_;
    int depth_ = 0;
};

}  // namespace

FormComponentList FormComponentList::read(std::string_view text, TextEncoding encoding)
{
    FormComponentList list;
    MemoryStream input(text);
    try {
        FormParser parser(input, encoding);
        Walker(parser, list).object(false);
    } catch (const ParserError& error) {
        // The line is given apart; the message need not repeat it.
        list.error = error.what();
        const std::string suffix = " à la ligne " + std::to_string(error.line());
        if (list.error.ends_with(suffix))
            list.error.resize(list.error.size() - suffix.size());
        list.errorLine = error.line();
    } catch (const FormError& error) {
        list.error = error.what();
        list.errorLine = 1;
    }
    return list;
}

}  // namespace dfm
