// A property's value in a form model, exactly as the binary form stores it.
#pragma once

#include "CodePage.h"
#include "ModelRange.h"
#include "ModelRecords.h"
#include "ValueTag.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

class CollectionItem;

class FormValue {
public:
    FormValue(const FormModel& model, std::uint32_t offset, std::uint32_t range)
        : model_(&model), offset_(offset), range_(range) {}

    // The tag the binary form stores: the integer's width, the string's kind, the float's kind.
    ValueTag kind() const;
    bool isInteger() const;
    bool isFloat() const;
    bool isString() const;

    // The integer of Int8 to Int64.
    std::optional<std::int64_t> integer() const;
    // The readable form in UTF-8: an integer's or a float's digits as the form text writes them
    // (a float without its kind's suffix), a string's characters (narrow strings in page), an
    // identifier, False, True, nil, a set as "[a, b]". Lists, collections and binary data have
    // none: empty.
    std::string text(const CodePage& page = CodePage::system()) const;
    // The stored bytes after the tag and any length: a string's bytes (UTF-16LE for a wide
    // string), an identifier's, a binary value's data, a number's little-endian bytes (the
    // extended's ten); empty for the rest.
    std::span<const unsigned char> bytes() const;
    // The names of a set.
    std::vector<std::string_view> setElements() const;
    // The values of a list.
    ModelRange<FormValue> elements() const;
    // The items of a collection.
    ModelRange<CollectionItem> items() const;

    static FormValue at(const FormModel& model, std::uint32_t element);
    static std::uint32_t nextIndex(const FormModel&, std::uint32_t element) { return element + 1; }

private:
    const unsigned char* tagByte() const;

    const FormModel* model_;
    std::uint32_t offset_;  // of the tag in the arena
    std::uint32_t range_;   // a list's elements, a collection's items
};

}  // namespace dfm
