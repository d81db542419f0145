#include "FormComponentList.h"

#include "Errors.h"
#include "MemoryStream.h"
#include "NameCase.h"
#include "NestingGuard.h"

#include <algorithm>

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

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return ascii::equalsIgnoringCase(name, n); });
}

// Properties only a control has: a component that is not drawn has at most Left and Top, the
// place of its icon in the designer.
bool isSizeProperty(std::string_view name)
{
    return isOneOf(name, {"Width", "Height", "ClientWidth", "ClientHeight", "Size.Width", "Size.Height", "Position.X",
                          "Position.Y", "Align"});
}

bool isPlaceProperty(std::string_view name)
{
    return isOneOf(name, {"Left", "Top", "Width", "Height", "Size.Width", "Size.Height", "Position.X", "Position.Y"});
}

// Walks the text by the grammar the converter reads it with, keeping only names and lines.
class Walker {
public:
    Walker(FormParser& parser, FormComponentList& list, const CodePage& page) : parser_(parser), list_(list), page_(page)
    {
    }

    void object(bool inFrame, std::size_t parent)
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
        component.className = nameAsUtf8(parser_.tokenText(), page_);
        component.line = parser_.lineNumber();
        if (parser_.advance() == ':') {
            parser_.advance();
            parser_.expectToken(Symbol);
            component.name = std::move(component.className);
            component.className = nameAsUtf8(parser_.tokenText(), page_);
            parser_.advance();
        }
        orderIndex();
        component.inFrame = inFrame;
        component.parent = parent;
        // The root's own objects are the form's even when the root is a frame's text.
        const bool childrenInFrame = inFrame || (component.kind == FormComponent::Kind::Inline && !list_.components.empty());
        const std::size_t index = list_.components.size();
        list_.components.push_back(std::move(component));
        while (!atObjectKeyword() && !parser_.tokenIsSymbol("END"))
            property(index);
        while (!parser_.tokenIsSymbol("END"))
            object(childrenInFrame, index);
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

    // inItem: a property of an item of one of the object's collections, not of the object itself.
    void property(std::size_t component, bool inItem = false)
    {
        const int line = parser_.lineNumber();
        const std::string name = parser_.takePropertyName();
        parser_.expectToken('=');
        parser_.advance();
        if (!inItem) {
            FormComponent& object = list_.components[component];
            object.sized = object.sized || isSizeProperty(name);
            object.placed = object.placed || isPlaceProperty(name);
        }
        if (parser_.token() == Symbol) {
            const std::string value = parser_.takeDottedIdent();
            if (isEventProperty(name, value))
                list_.events.push_back({name, nameAsUtf8(value, page_), line, component});
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
                    property(component, true);
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
    const CodePage& page_;
    int depth_ = 0;
};

}  // namespace

FormComponentList FormComponentList::read(std::string_view text, TextEncoding encoding, const CodePage& page)
{
    FormComponentList list;
    MemoryStream input(text);
    try {
        FormParser parser(input, encoding);
        Walker(parser, list, page).object(false, 0);
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
