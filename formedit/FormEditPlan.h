// The edits of one gesture made in a view of the form (properties set or removed, objects moved
// to another parent, removed or added), computed on the model as the replacement of the touched
// lines of the form text only. Every other character of the text stays as it was.
#pragma once

#include "FormModel.h"
#include "TextReplacement.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dfm {

class FormEditPlan {
public:
    // A value's text as it follows "Name = ": one line, or several whose lines after the first
    // are indented two spaces more than the property. No value: the property is removed.
    struct PropertyChange {
        std::string name;
        std::optional<QStringList> value;
    };

    // line: the text of a 0-based line of the text the model was read from (with spans).
    using LineText = std::function<QString(int line)>;

    FormEditPlan(const FormModel& model, LineText line);

    // Rewrites the lines of the properties that exist; an absent one is inserted, Left, Top,
    // Width and Height (or Position.X, Position.Y, Size.Width and Size.Height) first among the
    // properties in that order, any other after the last.
    void changeProperties(std::uint32_t node, const std::vector<PropertyChange>& changes);
    // Its block with its subtree; its unit field is left alone.
    void removeObject(std::uint32_t node);
    // Its block, with the property changes made in it, goes to the end of newParent's objects,
    // re-indented by two spaces a level.
    void moveObject(std::uint32_t node, std::uint32_t newParent);
    // Adds objects' text, indented from column 0, at the end of parent's objects.
    void addObjects(std::uint32_t parent, const QStringList& lines);

    // The text of an object's block, its lines less the indentation of its first.
    QStringList objectText(std::uint32_t node) const;
    // A name no object of the model has, from the class name less its T: Button1, Button2...
    static std::string freeName(const FormModel& model, std::string_view className,
                                const std::vector<std::string>& alsoTaken = {});
    // Whether an object of the model, or alsoTaken, has the name, compared as forms compare names.
    static bool isNameTaken(const FormModel& model, std::string_view name, const std::vector<std::string>& alsoTaken);

    const FormModel& model() const { return model_; }
    // The text of a 0-based line.
    QString lineText(int line) const { return line_(line); }

    // The replacements, sorted; throws FormEditError for edits that would overlap.
    TextReplacements replacements() const;

private:
    struct Move {
        std::uint32_t node;
        std::uint32_t newParent;
    };
    struct Addition {
        std::uint32_t parent;
        QStringList lines;
    };

    FormNode nodeAt(std::uint32_t node) const;
    int depthOf(std::uint32_t node) const;
    bool isWithin(std::uint32_t node, std::uint32_t ancestor) const;
    // Whether the node or one of its parents is removed or moved (by another move than besides):
    // its own edits go with it.
    bool isCarried(std::uint32_t node, const Move* besides = nullptr) const;
    // The node's property changes as replacements in the whole text.
    void addPropertyEdits(std::uint32_t node, TextReplacements& out) const;
    // The replacement that removes the node's lines, and the lines themselves.
    TextReplacement blockRemoval(std::uint32_t node) const;
    QStringList blockLines(std::uint32_t node) const;
    // Where a new last child of parent goes, and the indentation of its first line.
    TextPlace childPlace(std::uint32_t parent) const;
    QString childIndent(std::uint32_t parent) const;

    const FormModel& model_;
    LineText line_;
    std::map<std::uint32_t, std::vector<PropertyChange>> changes_;
    std::vector<std::uint32_t> removals_;
    std::vector<Move> moves_;
    std::vector<Addition> additions_;
};

}  // namespace dfm
