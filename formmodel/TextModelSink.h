// The sink of FormTextReader that builds a form model: the binary form goes into the arena
// through BinaryFormSink, and each event leaves its record and text span with the builder.
#pragma once

#include "BinaryFormSink.h"
#include "FormParser.h"
#include "FormWriter.h"
#include "ModelBuilder.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dfm {

class TextModelSink {
public:
    // codePage: the page of the text, whose double-byte characters count as one column.
    TextModelSink(ModelBuilder& builder, FormWriter& writer, TextEncoding encoding, const CodePage* codePage)
        : builder_(builder), writer_(writer), binary_(writer), encoding_(encoding), codePage_(codePage) {}

    void beginObject(unsigned flags, std::int32_t position, std::string_view className, std::string_view objectName);
    void endProperties()
    {
        binary_.endProperties();
        builder_.endProperties();
    }
    void endObject()
    {
        binary_.endObject();
        builder_.endNode(end_.lastLine, end_.lastColumn);
    }
    void propertyName(std::string_view name)
    {
        builder_.beginProperty(writer_.position(), start_);
        binary_.propertyName(name);
    }

    void integerValue(std::int32_t value)
    {
        builder_.value(writer_.position());
        binary_.integerValue(value);
    }
    void extendedValue(const Extended80& value)
    {
        builder_.value(writer_.position());
        binary_.extendedValue(value);
    }
    void singleValue(float value)
    {
        builder_.value(writer_.position());
        binary_.singleValue(value);
    }
    void currencyValue(std::int64_t value)
    {
        builder_.value(writer_.position());
        binary_.currencyValue(value);
    }
    void dateValue(double value)
    {
        builder_.value(writer_.position());
        binary_.dateValue(value);
    }
    void stringValue(std::string_view value)
    {
        builder_.value(writer_.position());
        binary_.stringValue(value);
    }
    void wideStringValue(std::u16string_view value)
    {
        builder_.value(writer_.position());
        binary_.wideStringValue(value);
    }
    void identValue(std::string_view text)
    {
        builder_.value(writer_.position());
        binary_.identValue(text);
    }
    template <typename Fill>
    void binaryValue(Fill fill)
    {
        builder_.value(writer_.position());
        binary_.binaryValue(fill);
    }
    void listStart()
    {
        builder_.beginList(writer_.position());
        binary_.listStart();
    }
    void listEnd()
    {
        binary_.listEnd();
        builder_.endList();
    }
    void collectionStart()
    {
        builder_.beginCollection(writer_.position());
        binary_.collectionStart();
    }
    void itemStart(std::int32_t order)
    {
        builder_.beginItem(writer_.position());
        binary_.itemStart(order);
    }
    void itemEnd()
    {
        binary_.itemEnd();
        builder_.endItem();
    }
    void collectionEnd()
    {
        binary_.collectionEnd();
        builder_.endCollection();
    }
    void setStart()
    {
        builder_.value(writer_.position());
        binary_.setStart();
    }
    void setElement(std::string_view name) { binary_.setElement(name); }
    void setEnd() { binary_.setEnd(); }

    void markObjectStart(const FormParser& parser) { start_ = spanStart(parser); }
    void markPropertyStart(const FormParser& parser) { start_ = spanStart(parser); }
    void markObjectEnd(const FormParser& parser) { end_ = spanEnd(parser); }
    void markValueEnd(const FormParser& parser)
    {
        // The end of a list's element is no property's end.
        if (builder_.inList())
            return;
        const TextSpan end = spanEnd(parser);
        builder_.endValue(end.lastLine, end.lastColumn);
    }

private:
    // The columns a line's bytes take as the editor shows them.
    std::uint16_t columns(std::string_view bytes);
    TextSpan spanStart(const FormParser& parser);
    TextSpan spanEnd(const FormParser& parser);

    ModelBuilder& builder_;
    FormWriter& writer_;
    BinaryFormSink binary_;
    TextEncoding encoding_;
    const CodePage* codePage_;
    TextSpan start_;  // of the object or property whose record comes next
    TextSpan end_;    // of the object being closed
    std::u16string decoded_;
};

}  // namespace dfm
