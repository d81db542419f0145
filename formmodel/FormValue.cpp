#include "FormValue.h"

#include "CollectionItem.h"
#include "Extended80.h"
#include "FloatText.h"
#include "FormModel.h"
#include "Utf8.h"
#include "ValueLayout.h"

#include <bit>

namespace dfm {

namespace {

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8Of(std::u16string_view text)
{
    std::string out(3 * text.size(), '\0');
    char* next = out.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (isHighSurrogate(cp) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (isHighSurrogate(cp) || isLowSurrogate(cp))
            cp = 0xFFFD;
        next = putUtf8(cp, next);
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

}  // namespace

FormValue FormValue::at(const FormModel& model, std::uint32_t element)
{
    const ElementRecord& record = model.elements_[element];
    return {model, record.offset, record.range};
}

const unsigned char* FormValue::tagByte() const
{
    return model_->arena_.data() + offset_;
}

ValueTag FormValue::kind() const
{
    return static_cast<ValueTag>(*tagByte());
}

bool FormValue::isInteger() const
{
    const ValueTag tag = kind();
    return tag == Int8 || tag == Int16 || tag == Int32 || tag == Int64;
}

bool FormValue::isFloat() const
{
    const ValueTag tag = kind();
    return tag == Extended || tag == Single || tag == Double || tag == Currency || tag == Date;
}

bool FormValue::isString() const
{
    const ValueTag tag = kind();
    return tag == ShortString || tag == LongString || tag == WideString || tag == Utf8String;
}

std::optional<std::int64_t> FormValue::integer() const
{
    if (!isInteger())
        return std::nullopt;
    const std::span<const unsigned char> data = bytes();
    const std::uint64_t raw = littleEndian(data.data(), data.size());
    // Sign-extended from the stored width.
    const unsigned unused = 64 - 8 * static_cast<unsigned>(data.size());
    return static_cast<std::int64_t>(raw << unused) >> unused;
}

std::span<const unsigned char> FormValue::bytes() const
{
    const ValueLayout layout = ValueLayout::at(model_->arena_.data(), offset_);
    if (layout.kind == Set)
        return {};
    return {model_->arena_.data() + layout.payload, layout.payloadSize};
}

std::string FormValue::text(const CodePage& page) const
{
    const std::span<const unsigned char> data = bytes();
    const std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    const auto number = [&] { return littleEndian(data.data(), data.size()); };
    switch (kind()) {
    case Int8:
    case Int16:
    case Int32:
    case Int64:
        return std::to_string(*integer());
    case Extended:
        return extendedText(Extended80::fromBytes(data.data()));
    case Single:
        return singleText(std::bit_cast<float>(static_cast<std::uint32_t>(number())));
    case Double:
    case Date:
        return doubleText(std::bit_cast<double>(number()));
    case Currency:
        return currencyText(static_cast<std::int64_t>(number()));
    case ShortString:
    case LongString:
        return utf8Of(page.decode(raw));
    case WideString: {
        std::u16string wide(data.size() / 2, u'\0');
        for (std::size_t i = 0; i < wide.size(); ++i)
            wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        return utf8Of(wide);
    }
    case Utf8String:
    case Identifier:
        return std::string(raw);
    case False:
        return "False";
    case True:
        return "True";
    case Nil:
        return "nil";
    case Set: {
        std::string names = "[";
        for (const std::string_view name : setElements()) {
            if (names.size() > 1)
                names += ", ";
            names += name;
        }
        return names + "]";
    }
    default:
        return {};
    }
}

std::vector<std::string_view> FormValue::setElements() const
{
    std::vector<std::string_view> names;
    if (kind() != Set)
        return names;
    const ValueLayout layout = ValueLayout::at(model_->arena_.data(), offset_);
    const auto* names0 = reinterpret_cast<const char*>(model_->arena_.data());
    for (std::size_t at = layout.payload; at < layout.payload + layout.payloadSize; at += 1 + model_->arena_[at])
        names.emplace_back(names0 + at + 1, model_->arena_[at]);
    return names;
}

ModelRange<FormValue> FormValue::elements() const
{
    if (kind() != List)
        return {*model_, 0, 0};
    const RangeRecord& range = model_->ranges_[range_];
    return {*model_, range.first, range.first + range.count};
}

ModelRange<CollectionItem> FormValue::items() const
{
    if (kind() != Collection)
        return {*model_, 0, 0};
    const RangeRecord& range = model_->ranges_[range_];
    return {*model_, range.first, range.first + range.count};
}

}  // namespace dfm
