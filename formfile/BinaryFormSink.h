// The sink of FormTextReader that writes the binary form stream through a FormWriter.
#pragma once

#include "FormParser.h"
#include "FormWriter.h"

#include <cstdint>
#include <string_view>

namespace dfm {

class BinaryFormSink {
public:
    explicit BinaryFormSink(FormWriter& writer) : writer_(writer) {}

    void beginObject(unsigned flags, std::int32_t position, std::string_view className, std::string_view objectName)
    {
        writer_.putObjectPrefix(flags, position);
        writer_.putName(className);
        writer_.putName(objectName);
    }
    void endProperties() { writer_.putListEnd(); }
    void endObject() { writer_.putListEnd(); }
    void propertyName(std::string_view name) { writer_.putName(name); }

    void integerValue(std::int32_t value) { writer_.putIntegerValue(value); }
    void extendedValue(const Extended80& value) { writer_.putExtendedValue(value); }
    void singleValue(float value) { writer_.putSingleValue(value); }
    void currencyValue(std::int64_t value) { writer_.putCurrencyValue(value); }
    void dateValue(double value) { writer_.putDateValue(value); }
    void stringValue(std::string_view value) { writer_.putStringValue(value); }
    void wideStringValue(std::u16string_view value) { writer_.putWideStringValue(value); }
    void identValue(std::string_view text) { writer_.putIdentValue(text); }
    template <typename Fill>
    void binaryValue(Fill fill)
    {
        writer_.putBinaryValue(fill);
    }
    void listStart() { writer_.putListStart(); }
    void listEnd() { writer_.putListEnd(); }
    void collectionStart() { writer_.putTag(Collection); }
    // order: the item's "[n]", or -1 for none.
    void itemStart(std::int32_t order)
    {
        if (order != -1)
            writer_.putIntegerValue(order);
        writer_.putListStart();
    }
    void itemEnd() { writer_.putListEnd(); }
    void collectionEnd() { writer_.putListEnd(); }
    void setStart() { writer_.putTag(Set); }
    void setElement(std::string_view name) { writer_.putName(name); }
    void setEnd() { writer_.putName(""); }

    // The binary form has no place for where things stood in the text.
    void markObjectStart(const FormParser&) {}
    void markObjectEnd(const FormParser&) {}
    void markPropertyStart(const FormParser&) {}
    void markValueEnd(const FormParser&) {}

private:
    FormWriter& writer_;
};

}  // namespace dfm
