// Edits of the form text computed from the spans of the model read from it.
#include "FormEditPlan.h"

#include "AsciiText.h"
#include "FormEditError.h"
#include "ValueText.h"

#include <algorithm>
#include <array>
#include <set>

namespace dfm {

namespace {

using ValueText::nameText;

// Absent, these are inserted first among the properties, in this order: the desktop library's
// names, and the cross-platform library's.
constexpr std::array<std::array<std::string_view, 4>, 2> PlaceProperties = {{
    {"Left", "Top", "Width", "Height"},
    {"Position.X", "Position.Y", "Size.Width", "Size.Height"},
}};

int leadingBlanks(const QString& line)
{
    int n = 0;
    while (n < line.size() && (line[n] == u' ' || line[n] == u'\t'))
        ++n;
    return n;
}

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r'; });
}

// Moves every line by shift columns: blanks added, or up to -shift leading spaces taken off.
QStringList shifted(const QStringList& lines, int shift)
{
    QStringList result;
    result.reserve(lines.size());
    for (const QString& line : lines) {
        if (shift >= 0) {
            result.append(line.isEmpty() ? line : QString(shift, u' ') + line);
        } else {
            int cut = 0;
            while (cut < -shift && cut < line.size() && line[cut] == u' ')
                ++cut;
            result.append(line.mid(cut));
        }
    }
    return result;
}

// The property's text: its value's lines after the first indented under it.
QString propertyText(std::string_view name, const QStringList& value, const QString& indent)
{
    QString text = nameText(name) + QStringLiteral(" =");
    if (!value.isEmpty() && !value.front().isEmpty())
        text += u' ' + value.front();
    for (qsizetype i = 1; i < value.size(); ++i)
        text += u'\n' + indent + QStringLiteral("  ") + value[i];
    return text;
}

}  // namespace

FormEditPlan::FormEditPlan(const FormModel& model, LineText line) : model_(model), line_(std::move(line))
{
    if (!model.hasSpans())
        throw FormEditError("The form has no text to edit.");
}

FormNode FormEditPlan::nodeAt(std::uint32_t node) const
{
    if (node >= model_.nodeCount())
        throw FormEditError("The object is no longer in the form.");
    return FormNode::at(model_, node);
}

void FormEditPlan::changeProperties(std::uint32_t node, const std::vector<PropertyChange>& changes)
{
    nodeAt(node);
    std::vector<PropertyChange>& pending = changes_[node];
    for (const PropertyChange& change : changes) {
        auto same = std::find_if(pending.begin(), pending.end(),
                                 [&](const PropertyChange& p) { return ascii::equalsIgnoringCase(p.name, change.name); });
        if (same != pending.end())
            *same = change;
        else
            pending.push_back(change);
    }
}

void FormEditPlan::removeObject(std::uint32_t node)
{
    if (!nodeAt(node).parent())
        throw FormEditError("The form itself cannot be deleted.");
    removals_.push_back(node);
}

void FormEditPlan::moveObject(std::uint32_t node, std::uint32_t newParent)
{
    if (!nodeAt(node).parent())
        throw FormEditError("The form itself cannot be moved to another parent.");
    nodeAt(newParent);
    if (isWithin(newParent, node))
        throw FormEditError("An object cannot be put inside itself.");
    moves_.push_back({node, newParent});
}

void FormEditPlan::addObjects(std::uint32_t parent, const QStringList& lines)
{
    nodeAt(parent);
    additions_.push_back({parent, lines});
}

int FormEditPlan::depthOf(std::uint32_t node) const
{
    int depth = 0;
    for (auto n = nodeAt(node).parent(); n; n = n->parent())
        ++depth;
    return depth;
}

bool FormEditPlan::isWithin(std::uint32_t node, std::uint32_t ancestor) const
{
    for (std::optional<FormNode> n = nodeAt(node); n; n = n->parent()) {
        if (n->index() == ancestor)
            return true;
    }
    return false;
}

bool FormEditPlan::isCarried(std::uint32_t node, const Move* besides) const
{
    return std::any_of(removals_.begin(), removals_.end(), [&](std::uint32_t r) { return isWithin(node, r); })
        || std::any_of(moves_.begin(), moves_.end(),
                       [&](const Move& m) { return &m != besides && isWithin(node, m.node); });
}

QStringList FormEditPlan::blockLines(std::uint32_t node) const
{
    const TextSpan span = nodeAt(node).span();
    QStringList lines;
    for (auto line = span.firstLine; line <= span.lastLine; ++line)
        lines.append(line_(static_cast<int>(line) - 1));
    const QString name = nameText(nodeAt(node).name());
    if (lines.isEmpty() || !isBlank(QStringView(lines.front()).left(span.firstColumn - 1))
        || !isBlank(QStringView(lines.back()).mid(span.lastColumn)))
        throw FormEditError(QStringLiteral("The text of %1 shares its lines with other text.").arg(name).toStdString());
    return lines;
}

TextReplacement FormEditPlan::blockRemoval(std::uint32_t node) const
{
    blockLines(node);
    const TextSpan span = nodeAt(node).span();
    return {{static_cast<int>(span.firstLine) - 1, 0}, {static_cast<int>(span.lastLine), 0}, QString()};
}

QStringList FormEditPlan::objectText(std::uint32_t node) const
{
    const QStringList lines = blockLines(node);
    return shifted(lines, -leadingBlanks(lines.front()));
}

TextPlace FormEditPlan::childPlace(std::uint32_t parent) const
{
    const TextSpan span = nodeAt(parent).span();
    const int endLine = static_cast<int>(span.lastLine) - 1;
    if (span.lastColumn < 3 || !isBlank(QStringView(line_(endLine)).left(span.lastColumn - 3)))
        throw FormEditError(QStringLiteral("The end of %1 shares its line with other text.")
                                .arg(nameText(nodeAt(parent).name()))
                                .toStdString());
    return {endLine, 0};
}

QString FormEditPlan::childIndent(std::uint32_t parent) const
{
    const QString header = line_(static_cast<int>(nodeAt(parent).span().firstLine) - 1);
    return header.left(leadingBlanks(header)) + QStringLiteral("  ");
}

void FormEditPlan::addPropertyEdits(std::uint32_t node, TextReplacements& out) const
{
    const auto found = changes_.find(node);
    if (found == changes_.end())
        return;
    const FormNode object = nodeAt(node);
    const auto properties = object.properties();
    const QString objectName = nameText(object.name());
    const auto alone = [&](const TextSpan& span) {
        return isBlank(QStringView(line_(static_cast<int>(span.firstLine) - 1)).left(span.firstColumn - 1))
            && isBlank(QStringView(line_(static_cast<int>(span.lastLine) - 1)).mid(span.lastColumn));
    };
    QString indent;
    TextPlace first{static_cast<int>(object.span().firstLine), 0};
    TextPlace last = first;
    if (!properties.empty()) {
        const TextSpan firstSpan = (*properties.begin()).span();
        if (!alone(firstSpan))
            throw FormEditError(QStringLiteral("The properties of %1 share their lines with other text.")
                                    .arg(objectName)
                                    .toStdString());
        const QString line = line_(static_cast<int>(firstSpan.firstLine) - 1);
        indent = line.left(leadingBlanks(line));
        first = {static_cast<int>(firstSpan.firstLine) - 1, 0};
        for (FormProperty property : properties)
            last = {static_cast<int>(property.span().lastLine), 0};
    } else {
        indent = childIndent(node);
    }

    std::map<TextPlace, QString> insertions;
    const auto insert = [&](TextPlace place, const PropertyChange& change) {
        insertions[place] += indent + propertyText(change.name, *change.value, indent) + u'\n';
    };
    const auto changeOf = [&](std::string_view name) -> const PropertyChange* {
        for (const PropertyChange& change : found->second) {
            if (ascii::equalsIgnoringCase(change.name, name))
                return &change;
        }
        return nullptr;
    };

    for (const auto& names : PlaceProperties) {
        TextPlace placeAnchor = first;
        for (std::string_view name : names) {
            if (const auto existing = findProperty(properties, name)) {
                placeAnchor = {static_cast<int>(existing->span().lastLine), 0};
                continue;
            }
            if (const PropertyChange* change = changeOf(name); change && change->value)
                insert(placeAnchor, *change);
        }
    }
    for (const PropertyChange& change : found->second) {
        const auto existing = findProperty(properties, change.name);
        if (!existing) {
            const bool placeProperty = std::any_of(PlaceProperties.begin(), PlaceProperties.end(), [&](const auto& names) {
                return std::any_of(names.begin(), names.end(), [&](std::string_view p) { return ascii::equalsIgnoringCase(p, change.name); });
            });
            if (change.value && !placeProperty)
                insert(last, change);
            continue;
        }
        const TextSpan span = existing->span();
        if (!alone(span))
            throw FormEditError(QStringLiteral("The property %1 of %2 shares its lines with other text.")
                                    .arg(nameText(change.name), objectName)
                                    .toStdString());
        if (change.value) {
            out.push_back({{static_cast<int>(span.firstLine) - 1, span.firstColumn - 1},
                           {static_cast<int>(span.lastLine) - 1, span.lastColumn},
                           propertyText(existing->name(), *change.value, indent)});
        } else {
            out.push_back({{static_cast<int>(span.firstLine) - 1, 0}, {static_cast<int>(span.lastLine), 0}, QString()});
        }
    }
    for (auto& [place, text] : insertions)
        out.push_back({place, place, text});
}

TextReplacements FormEditPlan::replacements() const
{
    TextReplacements out;
    std::map<TextPlace, QString> childInsertions;

    std::set<std::uint32_t> removed;
    for (std::uint32_t node : removals_) {
        const bool withinOther = std::any_of(removals_.begin(), removals_.end(),
                                             [&](std::uint32_t r) { return r != node && isWithin(node, r); });
        if (!withinOther && removed.insert(node).second)
            out.push_back(blockRemoval(node));
    }
    for (const Move& move : moves_) {
        if (isCarried(move.node, &move))
            continue;
        if (isCarried(move.newParent))
            throw FormEditError("An object cannot be put inside an object that moves or is deleted.");

        // The block's own edits are made on its lines before they move.
        const TextSpan span = nodeAt(move.node).span();
        const int firstLine = static_cast<int>(span.firstLine) - 1;
        TextReplacements inside;
        for (const auto& [node, changes] : changes_) {
            if (isWithin(node, move.node))
                addPropertyEdits(node, inside);
        }
        std::sort(inside.begin(), inside.end(),
                  [](const TextReplacement& a, const TextReplacement& b) { return std::tie(a.from, a.to) < std::tie(b.from, b.to); });
        for (TextReplacement& edit : inside) {
            edit.from.line -= firstLine;
            edit.to.line -= firstLine;
        }
        QStringList lines = replaced(blockLines(move.node).join(u'\n'), inside).split(u'\n');
        lines = shifted(lines, 2 * (depthOf(move.newParent) + 1 - depthOf(move.node)));
        out.push_back(blockRemoval(move.node));
        childInsertions[childPlace(move.newParent)] += lines.join(u'\n') + u'\n';
    }
    for (const Addition& addition : additions_) {
        if (isCarried(addition.parent))
            throw FormEditError("An object cannot be added inside an object that moves or is deleted.");
        childInsertions[childPlace(addition.parent)] +=
            shifted(addition.lines, static_cast<int>(childIndent(addition.parent).size())).join(u'\n') + u'\n';
    }
    for (const auto& [node, changes] : changes_) {
        if (!isCarried(node))
            addPropertyEdits(node, out);
    }
    for (auto& [place, text] : childInsertions)
        out.push_back({place, place, text});

    std::stable_sort(out.begin(), out.end(), [](const TextReplacement& a, const TextReplacement& b) {
        return std::tie(a.from, a.to) < std::tie(b.from, b.to);
    });
    // Properties inserted before a parent's end come before the objects added there.
    TextReplacements merged;
    for (TextReplacement& edit : out) {
        if (!merged.empty() && merged.back().from == edit.from && merged.back().to == merged.back().from
            && edit.to == edit.from) {
            merged.back().text += edit.text;
            continue;
        }
        if (!merged.empty() && edit.from < merged.back().to)
            throw FormEditError("The edits of this change overlap.");
        merged.push_back(std::move(edit));
    }
    return merged;
}

std::string FormEditPlan::freeName(const FormModel& model, std::string_view className,
                                   const std::vector<std::string>& alsoTaken)
{
    std::string base(className);
    if (base.size() > 1 && (base[0] == 'T' || base[0] == 't') && base[1] >= 'A' && base[1] <= 'Z')
        base.erase(0, 1);
    while (!base.empty() && base.back() >= '0' && base.back() <= '9')
        base.pop_back();
    if (base.empty())
        base = "Object";
    for (int n = 1;; ++n) {
        std::string name = base + std::to_string(n);
        if (!isNameTaken(model, name, alsoTaken))
            return name;
    }
}

bool FormEditPlan::isNameTaken(const FormModel& model, std::string_view name, const std::vector<std::string>& alsoTaken)
{
    const auto same = [name](std::string_view other) { return ascii::equalsIgnoringCase(other, name); };
    const auto nodes = model.nodes();
    return std::any_of(nodes.begin(), nodes.end(), [&](FormNode node) { return same(node.name()); })
        || std::any_of(alsoTaken.begin(), alsoTaken.end(), same);
}

}  // namespace dfm
