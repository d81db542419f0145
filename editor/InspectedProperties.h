// The stored properties of the objects selected in the form view, as the property inspector
// shows them, and the value lines a user's input writes for them. No widgets, so that what is
// shown and what is written can be checked without a window.
#pragma once

#include "FormEditPlan.h"
#include "FormModel.h"

#include <QColor>
#include <QFont>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

// How a value is shown and edited.
enum class ValueEditor {
    CheckBox,    // False or True
    Color,       // a colour's name or number, with a colour chooser
    Identifier,  // an enumeration's value, with the values it takes offered
    Set,         // a set of identifiers, as a check list
    Number,      // an integer or a float as typed
    Text,        // a string of one short line
    LongText,    // a string of more than 64 characters or of several lines, in a small editor
    StringList,  // strings, one a line, in a small editor
    Typed,       // any value as form text writes it: nil, or values of different kinds
    ReadOnly,    // binary data, a collection, another list
};

struct InspectedProperty {
    std::string name;  // as the first object stores it
    ValueEditor editor = ValueEditor::Typed;
    ValueTag kind = ValueTag::Nil;  // of the first object's value
    // Whether every object stores the same value; text and strings are empty when not.
    bool same = true;
    QString text;         // the value as shown; a long string with "\n" between its lines
    QStringList strings;  // a string list's strings, a set's members
    QStringList choices;  // the identifiers or set members offered, or the colour names
    // A long string's lines were broken by CR LF (or LF alone), written back the same way.
    bool crLf = true;
    // Font.Name, Font.Height or Font.Size of a font (Font, TitleFont...): the font dialog's rows.
    QString fontOwner;
};

// Which characters the form's text can hold: any when it is UTF-8, else its code page's.
struct FormCharacters {
    int codePage = 1252;
    bool utf8 = false;
};

// A font as the font dialog shows it.
struct FontChoice {
    QFont font;
    QColor color;
};

class InspectedProperties {
public:
    // The properties every node stores (names compared without regard to case), in the order of
    // the first node's text.
    InspectedProperties(const FormModel& model, const std::vector<std::uint32_t>& nodes, FormCharacters characters);

    const std::vector<InspectedProperty>& rows() const { return rows_; }
    // "Name: Class" for one object, "N objects" for several, empty for none.
    const QString& heading() const { return heading_; }

    // The value lines for what was typed in a row's editor, checked as its kind asks; throws
    // FormEditError with a message naming the property.
    QStringList typedValue(const InspectedProperty& row, const QString& typed) const;
    // A string; line breaks ("\n") written as CR LF when crLf is set.
    QStringList textValue(std::string_view property, const QString& text, bool crLf = true) const;
    QStringList stringListValue(std::string_view property, const QStringList& strings) const;
    // The value a user typed for a property being added: any one value of form text.
    QStringList addedValue(std::string_view property, const QString& typed) const;
    // A colour as forms store it: its name when one stands for it exactly, else $00BBGGRR.
    static QStringList colorValue(const QColor& color);

    // The font of owner ("Font") a node stores, with the defaults of a control for what it does
    // not store; sizes in points at the form's PixelsPerInch.
    static FontChoice fontOf(const FormModel& model, std::uint32_t node, const QString& owner);
    // The changes that give node the chosen font: Name, Height (Size when the node stores Size
    // and no Height), Style and Color; a part the user left as shown keeps the node's own value.
    // A stored ParentFont = True becomes False, since the font is now the node's own.
    std::vector<FormEditPlan::PropertyChange> fontChanges(const FormModel& model, std::uint32_t node,
                                                           const QString& owner, const FontChoice& shown,
                                                           const FontChoice& chosen) const;

private:
    // Throws when text holds a character the form's text cannot hold.
    void checkCharacters(std::string_view property, const QString& typed, const QString& text) const;

    FormCharacters characters_;
    std::vector<InspectedProperty> rows_;
    QString heading_;
};

}  // namespace dfm
