// One object of a form as it is drawn: where it is after layout, what it looks like, and the
// properties it was made from (an ancestor's overridden by the form's own).
#pragma once

#include "ControlClasses.h"
#include "FormProperty.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

struct DrawnObject {
    static constexpr std::uint32_t NoNode = UINT32_MAX;

    int parent = -1;            // index in the drawing; -1 for the form itself
    std::vector<int> children;  // in creation order
    // The node in the drawn form's own model; NoNode for what only an ancestor or frame holds.
    std::uint32_t node = NoNode;
    std::string name;
    std::string className;
    ControlKind kind = ControlKind::Other;
    std::vector<FormProperty> properties;  // in stored order, an ancestor's first
    const CodePage* page = nullptr;        // what its narrow strings are in

    // Laid out, in form units of the form's client area.
    QRect frame;
    QRect client;   // where its children are placed
    QRect clip;     // what of it can show: its parents' client areas
    bool shown = true;  // false under a page that is not the active one, or inside a hidden one
    bool drawn = true;  // false for what has no place of its own (a data set's fields, menu items)

    QColor color;        // its background, parent's where it takes the parent's
    QFont font;          // pixel size in form units
    QColor fontColor;
    bool visible = true;  // as stored: a control hidden at run time is still drawn, marked
    bool enabled = true;
    QImage picture;        // a decoded picture, a button's glyph, the form's icon
    QString pictureProblem;  // why a stored picture is not drawn

    std::optional<FormValue> property(std::string_view name) const;
    // An integer, or a float rounded, as the cross-platform library stores sizes.
    std::optional<std::int64_t> integer(std::string_view name) const;
    // A float's or an integer's value; nothing for a float that is not finite.
    std::optional<double> number(std::string_view name) const;
    // A string or identifier in UTF-8 (a string's characters, narrow ones in the form's page).
    std::optional<std::string> text(std::string_view name) const;
    bool boolean(std::string_view name, bool absent) const;
    // Whether a set ("Anchors", "Font.Style") holds element, its names compared without regard to
    // case; nothing when the property is not a set.
    std::optional<bool> inSet(std::string_view name, std::string_view element) const;
    // The strings of a list ("Lines.Strings", "Items.Strings").
    std::vector<QString> strings(std::string_view name) const;
    // The caption a control shows: Caption, else Text.
    QString caption() const;
};

}  // namespace dfm
