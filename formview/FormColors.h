// Colours as forms store them: a number $00BBGGRR, a system colour (the high byte set, the low
// byte its index), or a name ("clRed", "clBtnFace"). System colours come from one palette, the
// classic desktop's, so a form draws the same on every machine.
#pragma once

#include <QColor>

#include <optional>
#include <string_view>
#include <vector>

namespace dfm {

class FormValue;

class FormColors {
public:
    // The colour of a value: an integer or an identifier; nothing for any other value, an
    // unknown name or an index beyond the palette.
    static std::optional<QColor> fromValue(const FormValue& value);
    static std::optional<QColor> fromNumber(std::int64_t number);
    static std::optional<QColor> fromName(std::string_view name);
    // Every name a form may write for a colour, in the table's order.
    static std::vector<std::string_view> names();
    // The name that stands for exactly this colour: the fixed colours only, since a system
    // colour follows the desktop; the first of two names of one colour (clGray, not clDkGray).
    static std::optional<std::string_view> nameOf(const QColor& color);

    // The system colours the drawing uses by name.
    static QColor buttonFace();
    static QColor buttonHighlight();
    static QColor buttonShadow();
    static QColor darkShadow();
    static QColor window();
    static QColor windowText();
    static QColor highlight();
    static QColor grayText();
};

}  // namespace dfm
