#include "DrawnObject.h"

#include "AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace dfm {

namespace {

// An integer's or a float's value; nothing for another kind or a float that is not finite.
std::optional<double> numberOf(const FormValue& value)
{
    if (const std::optional<std::int64_t> stored = value.integer())
        return static_cast<double>(*stored);
    if (!value.isFloat())
        return std::nullopt;
    const std::string digits = value.text();
    double parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (error != std::errc() || !std::isfinite(parsed))
        return std::nullopt;
    return parsed;
}

}  // namespace

std::optional<FormValue> DrawnObject::property(std::string_view name) const
{
    // The last one counts: a form's own value follows its ancestor's.
    for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
        if (ascii::equalsIgnoringCase(it->name(), name))
            return it->value();
    }
    return std::nullopt;
}

std::optional<std::int64_t> DrawnObject::integer(std::string_view name) const
{
    const std::optional<FormValue> value = property(name);
    if (!value)
        return std::nullopt;
    if (const std::optional<std::int64_t> stored = value->integer())
        return stored;
    const std::optional<double> rounded = numberOf(*value);
    if (rounded && *rounded > -1e12 && *rounded < 1e12)
        return static_cast<std::int64_t>(std::llround(*rounded));
    return std::nullopt;
}

std::optional<double> DrawnObject::number(std::string_view name) const
{
    const std::optional<FormValue> value = property(name);
    return value ? numberOf(*value) : std::nullopt;
}

std::optional<std::string> DrawnObject::text(std::string_view name) const
{
    const std::optional<FormValue> value = property(name);
    if (!value || !(value->isString() || value->kind() == ValueTag::Identifier))
        return std::nullopt;
    return value->text(page != nullptr ? *page : CodePage::system());
}

bool DrawnObject::boolean(std::string_view name, bool absent) const
{
    const std::optional<FormValue> value = property(name);
    if (value && value->kind() == ValueTag::True)
        return true;
    if (value && value->kind() == ValueTag::False)
        return false;
    return absent;
}

std::optional<bool> DrawnObject::inSet(std::string_view name, std::string_view element) const
{
    const std::optional<FormValue> value = property(name);
    if (!value || value->kind() != ValueTag::Set)
        return std::nullopt;
    const std::vector<std::string_view> elements = value->setElements();
    return std::any_of(elements.begin(), elements.end(),
                       [&](std::string_view stored) { return ascii::equalsIgnoringCase(stored, element); });
}

std::vector<QString> DrawnObject::strings(std::string_view name) const
{
    std::vector<QString> lines;
    const std::optional<FormValue> value = property(name);
    if (!value || value->kind() != ValueTag::List)
        return lines;
    for (const FormValue& element : value->elements()) {
        if (element.isString())
            lines.push_back(QString::fromStdString(element.text(page != nullptr ? *page : CodePage::system())));
    }
    return lines;
}

QString DrawnObject::caption() const
{
    std::optional<std::string> shown = text("Caption");
    if (!shown)
        shown = text("Text");
    return shown ? QString::fromStdString(*shown) : QString();
}

}  // namespace dfm
