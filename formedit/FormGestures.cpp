// Gestures of the form view turned into edits of the form text.
#include "FormGestures.h"

#include "ControlClasses.h"
#include "FormEditError.h"
#include "FormLayout.h"
#include "ValueText.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace dfm {

namespace {

using Change = FormEditPlan::PropertyChange;
using Align = FormLayout::Align;

QString nameOf(const DrawnObject& object)
{
    return QString::fromStdString(object.name.empty() ? object.className : object.name);
}

// Keeps a new place from leaving the range, unless the old one was already outside it: a
// control may come back in, never go further out.
int bounded(int old, int wanted, int low, int high, bool& clamped)
{
    const int lowest = std::min(old, low);
    const int highest = std::max(old, high);
    const int kept = std::clamp(wanted, lowest, std::max(lowest, highest));
    clamped = clamped || kept != wanted;
    return kept;
}

void addChange(std::vector<Change>& changes, const char* name, int value, int old, bool floats = false)
{
    if (value == old)
        return;
    // The cross-platform library stores places as extended floats, written as its designer does.
    changes.push_back({name, floats ? QStringList{QStringLiteral("%1.000000000000000000").arg(value)}
                                    : ValueText::integerValue(value)});
}

QString joined(const QStringList& notes)
{
    QStringList unique;
    for (const QString& note : notes) {
        if (!unique.contains(note))
            unique.append(note);
    }
    return unique.join(u' ');
}

// The captioned controls the palette names after themselves, as the designer does.
bool takesCaption(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::BitButton:
    case ControlKind::Label:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup:
    case ControlKind::Panel:
        return true;
    default:
        return false;
    }
}

}  // namespace

FormGestures::FormGestures(const FormDrawing& drawing, FormEditPlan& plan) : drawing_(drawing), plan_(plan)
{
    const auto& objects = drawing.objects();
    const bool crossPlatform = std::any_of(objects.begin(), objects.end(), [](const DrawnObject& object) {
        return object.property("Position.X") || object.property("Position.Y") || object.property("Size.Width")
            || object.property("Size.Height");
    });
    if (crossPlatform)
        names_ = {"Position.X", "Position.Y", "Size.Width", "Size.Height", true};
}

void FormGestures::addPlace(std::vector<FormEditPlan::PropertyChange>& changes, const QRect& place, const QRect& old) const
{
    addChange(changes, names_.left, place.left(), old.left(), names_.floats);
    addChange(changes, names_.top, place.top(), old.top(), names_.floats);
    addChange(changes, names_.width, place.width(), old.width(), names_.floats);
    addChange(changes, names_.height, place.height(), old.height(), names_.floats);
}

const DrawnObject& FormGestures::object(int index) const
{
    if (index < 0 || index >= static_cast<int>(drawing_.objects().size()))
        throw FormEditError("The object is no longer in the form.");
    return drawing_.objects()[static_cast<std::size_t>(index)];
}

std::vector<int> FormGestures::outermost(const std::vector<int>& objects, QString& note) const
{
    std::vector<int> kept;
    QStringList notes;
    for (const int index : objects) {
        const DrawnObject& drawn = object(index);
        bool insideSelected = false;
        for (int p = drawn.parent; p >= 0; p = object(p).parent)
            insideSelected = insideSelected || std::find(objects.begin(), objects.end(), p) != objects.end();
        if (insideSelected || std::find(kept.begin(), kept.end(), index) != kept.end())
            continue;
        if (drawn.node == DrawnObject::NoNode) {
            notes << QStringLiteral("%1 is held by an ancestor form and is changed there.").arg(nameOf(drawn));
            continue;
        }
        kept.push_back(index);
    }
    note = joined(notes);
    return kept;
}

bool FormGestures::isInherited(int index) const
{
    const DrawnObject& drawn = object(index);
    return drawn.node != DrawnObject::NoNode && FormNode::at(plan_.model(), drawn.node).isInherited();
}

QRect FormGestures::storedPlace(int index) const
{
    const DrawnObject& drawn = object(index);
    QPoint origin;
    if (drawn.parent >= 0)
        origin = object(drawn.parent).client.topLeft();
    const QRect laidOut = drawn.frame.translated(-origin);
    const auto value = [&](const char* name, int fallback) {
        const auto stored = drawn.integer(name);
        return stored ? static_cast<int>(std::clamp<std::int64_t>(*stored, -(1 << 20), 1 << 20)) : fallback;
    };
    return {value(names_.left, laidOut.left()), value(names_.top, laidOut.top()), value(names_.width, laidOut.width()),
            value(names_.height, laidOut.height())};
}

QString FormGestures::move(const std::vector<int>& objects, QPoint delta)
{
    QString note;
    QStringList notes;
    for (const int index : outermost(objects, note)) {
        const DrawnObject& drawn = object(index);
        if (drawn.parent < 0) {
            notes << QStringLiteral("The form itself is not moved in its view.");
            continue;
        }
        bool clamped = false;
        if (ControlClasses::isIcon(drawn.kind)) {
            const QPoint place = FormLayout::iconPlace(drawn);
            const int left = bounded(place.x(), place.x() + delta.x(), 0, 0x7FFF, clamped);
            const int top = bounded(place.y(), place.y() + delta.y(), 0, 0x7FFF, clamped);
            std::vector<Change> changes;
            if (drawn.property("DesignInfo") || !drawn.property("Left")) {
                if (QPoint(left, top) != place)
                    changes.push_back({"DesignInfo", ValueText::integerValue((std::int64_t{top} << 16) | left)});
            } else {
                addChange(changes, "Left", left, place.x());
                addChange(changes, "Top", top, place.y());
            }
            plan_.changeProperties(drawn.node, changes);
        } else {
            const Align align = FormLayout::alignOf(drawn);
            if (align != Align::None) {
                notes << QStringLiteral("%1 is aligned to its parent and moves with its alignment only.").arg(nameOf(drawn));
                continue;
            }
            const QRect place = storedPlace(index);
            const QSize room = object(drawn.parent).client.size();
            const int left = bounded(place.left(), place.left() + delta.x(), 0, room.width() - place.width(), clamped);
            const int top = bounded(place.top(), place.top() + delta.y(), 0, room.height() - place.height(), clamped);
            std::vector<Change> changes;
            addPlace(changes, QRect(QPoint(left, top), place.size()), place);
            plan_.changeProperties(drawn.node, changes);
        }
        if (clamped)
            notes << QStringLiteral("%1 was kept within %2.").arg(nameOf(drawn), nameOf(object(std::max(drawn.parent, 0))));
    }
    return joined(QStringList{note} + notes).trimmed();
}

QString FormGestures::resize(const std::vector<int>& objects, QMargins edges)
{
    QString note;
    QStringList notes;
    for (const int index : outermost(objects, note)) {
        const DrawnObject& drawn = object(index);
        if (ControlClasses::isIcon(drawn.kind)) {
            notes << QStringLiteral("%1 is not resized in the view.").arg(nameOf(drawn));
            continue;
        }
        const QRect place = storedPlace(index);
        QMargins allowed = edges;
        switch (drawn.parent < 0 ? Align::None : FormLayout::alignOf(drawn)) {
        case Align::Top:
        case Align::Bottom:
            allowed = {0, 0, 0, edges.bottom() - edges.top()};
            break;
        case Align::Left:
        case Align::Right:
            allowed = {0, 0, edges.right() - edges.left(), 0};
            break;
        case Align::Client:
            notes << QStringLiteral("%1 fills its parent and takes its size from it.").arg(nameOf(drawn));
            continue;
        case Align::None:
            break;
        }
        if (allowed != edges)
            notes << QStringLiteral("%1 is aligned to its parent: only its free side changes.").arg(nameOf(drawn));
        // The form's own place on the screen is not the view's to change.
        if (drawn.parent < 0)
            allowed = {0, 0, edges.right() - edges.left(), edges.bottom() - edges.top()};
        bool clamped = false;
        const int width = bounded(place.width(), place.width() + allowed.right() - allowed.left(), 0, LargestSize, clamped);
        const int height = bounded(place.height(), place.height() + allowed.bottom() - allowed.top(), 0, LargestSize, clamped);
        // A left or top handle moves that side: the opposite side stays where it was.
        const int left = allowed.left() != 0 ? place.right() + 1 - width : place.left();
        const int top = allowed.top() != 0 ? place.bottom() + 1 - height : place.top();
        if (clamped)
            notes << QStringLiteral("A size is at least 0 and at most %1.").arg(LargestSize);
        std::vector<Change> changes;
        if (drawn.parent >= 0) {
            addPlace(changes, QRect(left, top, width, height), place);
            // A size the platform would choose stands until the form says it chose its own.
            if (names_.floats && (width != place.width() || height != place.height())
                && drawn.boolean("Size.PlatformDefault", true))
                changes.push_back({"Size.PlatformDefault", QStringList{QStringLiteral("False")}});
        } else {
            // A form's outer size, or its client size when that is what it stores.
            const bool client = drawn.property("ClientWidth").has_value();
            addChange(changes, client ? "ClientWidth" : names_.width,
                      client ? drawing_.clientSize().width() + width - place.width() : width,
                      client ? drawing_.clientSize().width() : place.width(), !client && names_.floats);
            const bool clientHeight = drawn.property("ClientHeight").has_value();
            addChange(changes, clientHeight ? "ClientHeight" : names_.height,
                      clientHeight ? drawing_.clientSize().height() + height - place.height() : height,
                      clientHeight ? drawing_.clientSize().height() : place.height(), !clientHeight && names_.floats);
        }
        plan_.changeProperties(drawn.node, changes);
    }
    return joined(QStringList{note} + notes).trimmed();
}

QString FormGestures::moveInto(const std::vector<int>& objects, int container, QPoint delta)
{
    const DrawnObject& target = object(container);
    if (target.node == DrawnObject::NoNode)
        throw FormEditError(QStringLiteral("%1 is held by an ancestor form: controls are put into it there.")
                                .arg(nameOf(target))
                                .toStdString());
    QString note;
    QStringList notes;
    for (const int index : outermost(objects, note)) {
        const DrawnObject& drawn = object(index);
        if (drawn.parent < 0)
            continue;
        // A component's icon has a place on the form, not in a container.
        if (ControlClasses::isIcon(drawn.kind)) {
            notes << QStringLiteral("%1 is a component: it stays where it is.").arg(nameOf(drawn));
            continue;
        }
        if (isInherited(index))
            throw FormEditError(QStringLiteral("%1 comes from the ancestor form: its parent is changed there.")
                                    .arg(nameOf(drawn))
                                    .toStdString());
        for (int p = container; p >= 0; p = object(p).parent) {
            if (p == index)
                throw FormEditError(QStringLiteral("%1 cannot be put inside itself.").arg(nameOf(drawn)).toStdString());
        }
        const QRect place = storedPlace(index);
        const QPoint wanted = drawn.frame.topLeft() + delta - target.client.topLeft();
        const int left = std::clamp(wanted.x(), 0, std::max(0, target.client.width() - place.width()));
        const int top = std::clamp(wanted.y(), 0, std::max(0, target.client.height() - place.height()));
        std::vector<Change> changes;
        addPlace(changes, QRect(QPoint(left, top), place.size()), place);
        plan_.changeProperties(drawn.node, changes);
        plan_.moveObject(drawn.node, target.node);
    }
    return joined(QStringList{note} + notes).trimmed();
}

QString FormGestures::remove(const std::vector<int>& objects)
{
    QString note;
    QStringList notes;
    for (const int index : outermost(objects, note)) {
        if (object(index).parent < 0) {
            notes << QStringLiteral("The form itself is not deleted.");
            continue;
        }
        // Its ancestor makes it all the same: deleting its block would drop only what this form
        // changes in it.
        if (isInherited(index)) {
            notes << QStringLiteral("%1 comes from the ancestor form and is not deleted here.").arg(nameOf(object(index)));
            continue;
        }
        plan_.removeObject(object(index).node);
    }
    return joined(QStringList{note} + notes).trimmed();
}

int FormGestures::containerAt(QPoint point) const
{
    // The drawing looks points up in its picture, where a main menu's bar stands above the
    // client area.
    int index = drawing_.objectAt(point + QPoint(0, drawing_.menuBarHeight()), false);
    if (index < 0)
        index = 0;
    while (index > 0 && !ControlClasses::isContainer(object(index).kind))
        index = object(index).parent;
    return index;
}

QString FormGestures::add(const std::string& className, QPoint point, int grid)
{
    const int container = containerAt(point);
    const DrawnObject& target = object(container);
    if (target.node == DrawnObject::NoNode)
        throw FormEditError(QStringLiteral("%1 is held by an ancestor form: controls are added to it there.")
                                .arg(nameOf(target))
                                .toStdString());
    const ControlKind kind = ControlClasses::kindOf(className);
    QSize size = ControlClasses::defaultSize(kind);
    if (size.isEmpty())
        size = {75, 25};
    QPoint inside = point - target.client.topLeft();
    if (grid > 0)
        inside = {inside.x() / grid * grid, inside.y() / grid * grid};
    const int left = std::clamp(inside.x(), 0, std::max(0, target.client.width() - size.width()));
    const int top = std::clamp(inside.y(), 0, std::max(0, target.client.height() - size.height()));
    const QString name = QString::fromStdString(FormEditPlan::freeName(plan_.model(), className));
    QStringList lines{QStringLiteral("object %1: %2").arg(name, QString::fromStdString(className))};
    std::vector<Change> place;
    addPlace(place, QRect(left, top, size.width(), size.height()), QRect(-1, -1, -1, -1));
    for (const Change& change : place)
        lines << QStringLiteral("  %1 = %2").arg(QString::fromStdString(change.name), change.value->front());
    if (names_.floats)
        lines << QStringLiteral("  Size.PlatformDefault = False");
    // The cross-platform library's controls show their Text.
    if (takesCaption(kind))
        lines << QStringLiteral("  %1 = ").arg(names_.floats ? QStringLiteral("Text") : QStringLiteral("Caption"))
                     + ValueText::stringValue(name).front();
    lines << QStringLiteral("end");
    plan_.addObjects(target.node, lines);
    added_.push_back(name.toStdString());
    return {};
}

QStringList FormGestures::copy(const std::vector<int>& objects) const
{
    QString note;
    QStringList lines;
    for (const int index : outermost(objects, note)) {
        if (object(index).parent >= 0)
            lines << plan_.objectText(object(index).node);
    }
    return lines;
}

QString FormGestures::paste(const QString& text, int container)
{
    const DrawnObject& target = object(container);
    if (target.node == DrawnObject::NoNode)
        throw FormEditError(QStringLiteral("%1 is held by an ancestor form: controls are pasted into it there.")
                                .arg(nameOf(target))
                                .toStdString());
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();
    // The objects are read under a root of their own, which also proves they are form text.
    const auto refuse = [] { throw FormEditError("The clipboard holds no objects of form text to paste."); };
    std::optional<FormModel> pasted;
    try {
        pasted.emplace(ValueText::readFormText(QStringLiteral("object Clipboard: TClipboard\n") + lines.join(u'\n')
                                               + QStringLiteral("\nend\n")));
    } catch (const std::exception&) {
        refuse();
    }
    if (!pasted->root().properties().empty() || pasted->root().children().empty())
        refuse();

    // Every pasted name that is taken gets a free one of its class.
    static const QRegularExpression header(QStringLiteral("^(\\s*(?:object|inherited|inline)\\s+)([A-Za-z_][A-Za-z0-9_]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
    std::vector<std::string> names;
    for (FormNode node : pasted->nodes()) {
        if (node.index() == 0 || node.name().empty())
            continue;
        std::string name(node.name());
        if (FormEditPlan::isNameTaken(plan_.model(), name, names)) {
            name = FormEditPlan::freeName(plan_.model(), node.className(), names);
            QString& line = lines[static_cast<qsizetype>(node.span().firstLine) - 2];
            const QRegularExpressionMatch match = header.match(line);
            if (match.hasMatch())
                line = match.captured(1) + QString::fromStdString(name) + line.mid(match.capturedEnd(2));
        }
        names.push_back(name);
        if (node.parent()->index() == 0)
            added_.push_back(name);
    }
    // The objects keep their own indentation under their new parent, less what they all share.
    const auto blanks = [](const QString& line) {
        int n = 0;
        while (n < line.size() && (line[n] == u' ' || line[n] == u'\t'))
            ++n;
        return n;
    };
    int indent = std::numeric_limits<int>::max();
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            indent = std::min(indent, blanks(line));
    }
    for (QString& line : lines)
        line.remove(0, std::min(indent, blanks(line)));
    plan_.addObjects(target.node, lines);
    return {};
}

}  // namespace dfm
