#include "FormLayout.h"

#include "AsciiText.h"
#include "FormDrawing.h"

#include <QFontMetrics>

#include <algorithm>

namespace dfm {

namespace {

using Align = FormLayout::Align;

}  // namespace

Align FormLayout::alignOf(const DrawnObject& object)
{
    std::optional<std::string> name = object.text("Align");
    // Forms leave out a value that is the class's default.
    if (!name) {
        switch (object.kind) {
        case ControlKind::StatusBar: return Align::Bottom;
        case ControlKind::ToolBar: return Align::Top;
        case ControlKind::Splitter: return Align::Left;
        default: return Align::None;
        }
    }
    std::string_view value = *name;
    if (value.size() > 2 && ascii::equalsIgnoringCase(value.substr(0, 2), "al"))
        value.remove_prefix(2);
    const auto is = [&](std::string_view word) { return ascii::equalsIgnoringCase(value, word); };
    if (is("Top") || is("MostTop"))
        return Align::Top;
    if (is("Bottom") || is("MostBottom"))
        return Align::Bottom;
    if (is("Left") || is("MostLeft"))
        return Align::Left;
    if (is("Right") || is("MostRight"))
        return Align::Right;
    if (is("Client") || is("Contents"))
        return Align::Client;
    return Align::None;
}

namespace {

struct Anchors {
    bool left = true, top = true, right = false, bottom = false;
};

Anchors anchorsOf(const DrawnObject& object)
{
    const std::optional<bool> left = object.inSet("Anchors", "akLeft");
    if (!left)
        return {};
    return {*left, *object.inSet("Anchors", "akTop"), *object.inSet("Anchors", "akRight"),
            *object.inSet("Anchors", "akBottom")};
}

constexpr std::int64_t Farthest = 1 << 20;
constexpr std::int64_t LargestControl = 1 << 16;

int stored(const DrawnObject& object, std::string_view name, std::string_view fmxName, int absent, std::int64_t low,
           std::int64_t high)
{
    std::optional<std::int64_t> value = object.integer(name);
    if (!value)
        value = object.integer(fmxName);
    return static_cast<int>(std::clamp(value.value_or(absent), low, high));
}

// The place and size the form stores, in its parent's client coordinates.
QRect storedRect(const DrawnObject& object)
{
    const QSize fallback = ControlClasses::defaultSize(object.kind);
    return QRect(stored(object, "Left", "Position.X", 0, -Farthest, Farthest),
                 stored(object, "Top", "Position.Y", 0, -Farthest, Farthest),
                 stored(object, "Width", "Size.Width", fallback.width(), 0, LargestControl),
                 stored(object, "Height", "Size.Height", fallback.height(), 0, LargestControl));
}

bool placed(const DrawnObject& object)
{
    return object.drawn && ControlClasses::isControl(object.kind) && object.kind != ControlKind::TabSheet;
}

// Lays out the aligned children in space (parent client coordinates): tops, bottoms, lefts,
// rights, then what fills the rest, each side in the order of their places (creation order
// breaking ties). Returns them with their new rectangles.
void alignChildren(std::vector<DrawnObject>& objects, const std::vector<int>& children, std::vector<QRect>& rects,
                   QRect space)
{
    const auto pass = [&](Align align, auto before) {
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (placed(objects[static_cast<std::size_t>(children[i])])
                && FormLayout::alignOf(objects[static_cast<std::size_t>(children[i])]) == align)
                members.push_back(i);
        }
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) { return before(rects[a], rects[b]); });
        for (const std::size_t i : members) {
            QRect& rect = rects[i];
            switch (align) {
            case Align::Top:
                rect = QRect(space.left(), space.top(), space.width(), std::min(rect.height(), std::max(space.height(), 0)));
                space.setTop(space.top() + rect.height());
                break;
            case Align::Bottom:
                rect = QRect(space.left(), space.bottom() + 1 - std::min(rect.height(), std::max(space.height(), 0)),
                             space.width(), std::min(rect.height(), std::max(space.height(), 0)));
                space.setBottom(space.bottom() - rect.height());
                break;
            case Align::Left:
                rect = QRect(space.left(), space.top(), std::min(rect.width(), std::max(space.width(), 0)), space.height());
                space.setLeft(space.left() + rect.width());
                break;
            case Align::Right:
                rect = QRect(space.right() + 1 - std::min(rect.width(), std::max(space.width(), 0)), space.top(),
                             std::min(rect.width(), std::max(space.width(), 0)), space.height());
                space.setRight(space.right() - rect.width());
                break;
            case Align::Client:
                rect = QRect(space.topLeft(), QSize(std::max(space.width(), 0), std::max(space.height(), 0)));
                break;
            case Align::None: break;
            }
        }
    };
    pass(Align::Top, [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    pass(Align::Bottom, [](const QRect& a, const QRect& b) { return a.top() > b.top(); });
    pass(Align::Left, [](const QRect& a, const QRect& b) { return a.left() < b.left(); });
    pass(Align::Right, [](const QRect& a, const QRect& b) { return a.left() > b.left(); });
    pass(Align::Client, [](const QRect&, const QRect&) { return false; });
}

int edgeOf(const DrawnObject& object, std::string_view name, int absent)
{
    return static_cast<int>(std::clamp<std::int64_t>(object.integer(name).value_or(absent), 0, 1000));
}

bool bevelled(const DrawnObject& object, std::string_view name, bool absent)
{
    const std::optional<std::string> value = object.text(name);
    return value ? !ascii::equalsIgnoringCase(*value, "bvNone") : absent;
}

}  // namespace

QPoint FormLayout::iconPlace(const DrawnObject& object)
{
    if (const std::optional<std::int64_t> design = object.integer("DesignInfo")) {
        const auto bits = static_cast<std::uint32_t>(*design);
        return {static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>(bits >> 16)};
    }
    return {stored(object, "Left", "Position.X", 0, -Farthest, Farthest),
            stored(object, "Top", "Position.Y", 0, -Farthest, Farthest)};
}

int FormLayout::tabHeight(const DrawnObject& object)
{
    return QFontMetrics(object.font).height() + 8;
}

QMargins FormLayout::clientMargins(const DrawnObject& object)
{
    switch (object.kind) {
    case ControlKind::Panel: {
        const int bevelWidth = edgeOf(object, "BevelWidth", 1);
        const int edge = edgeOf(object, "BorderWidth", 0) + (bevelled(object, "BevelOuter", true) ? bevelWidth : 0)
            + (bevelled(object, "BevelInner", false) ? bevelWidth : 0);
        return {edge, edge, edge, edge};
    }
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup: {
        const int top = QFontMetrics(object.font).height();
        return {2, top, 2, 2};
    }
    case ControlKind::ScrollBox: {
        const std::optional<std::string> border = object.text("BorderStyle");
        const int edge = border && ascii::equalsIgnoringCase(*border, "bsNone") ? 0 : 2;
        return {edge, edge, edge, edge};
    }
    case ControlKind::PageControl:
    case ControlKind::TabControl: return {4, tabHeight(object) + 2, 4, 4};
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::ListBox:
    case ControlKind::ListView:
    case ControlKind::TreeView:
    case ControlKind::Grid: return {2, 2, 2, 2};
    default: return {};
    }
}

void FormLayout::layOut(std::vector<DrawnObject>& objects, QSize clientSize)
{
    if (objects.empty())
        return;
    DrawnObject& form = objects.front();
    form.frame = form.client = form.clip = QRect(QPoint(0, 0), clientSize);
    // How much larger each object is laid out than the form stores it, which moves and stretches
    // its anchored children; an object that stores no size grows as its parent does.
    std::vector<QSize> grownBy(objects.size(), QSize(0, 0));

    for (std::size_t index = 0; index < objects.size(); ++index) {
        DrawnObject& parent = objects[index];
        if (index != 0) {
            parent.client = parent.frame.marginsRemoved(clientMargins(parent));
            if (parent.client.width() < 0 || parent.client.height() < 0)
                parent.client = QRect(parent.frame.topLeft(), QSize(0, 0));
        }
        if (parent.children.empty())
            continue;
        const QRect inside = parent.client;
        const QRect childClip = parent.clip.intersected(inside);
        if (index != 0) {
            const bool sized = (parent.integer("Width") || parent.integer("Size.Width"))
                && (parent.integer("Height") || parent.integer("Size.Height"));
            grownBy[index] = sized ? parent.frame.size() - storedRect(parent).size()
                                   : grownBy[static_cast<std::size_t>(parent.parent)];
        }
        const QSize grown = grownBy[index];

        std::vector<QRect> rects(parent.children.size());
        for (std::size_t i = 0; i < parent.children.size(); ++i) {
            const DrawnObject& child = objects[static_cast<std::size_t>(parent.children[i])];
            rects[i] = storedRect(child);
            // A tool button takes its bar's button size where it stores none.
            if (child.kind == ControlKind::ToolButton && parent.kind == ControlKind::ToolBar) {
                if (!child.integer("Width"))
                    rects[i].setWidth(stored(parent, "ButtonWidth", "ButtonWidth", rects[i].width(), 0, LargestControl));
                if (!child.integer("Height"))
                    rects[i].setHeight(stored(parent, "ButtonHeight", "ButtonHeight", rects[i].height(), 0, LargestControl));
            }
        }
        alignChildren(objects, parent.children, rects, QRect(QPoint(0, 0), inside.size()));

        const std::optional<std::string> activePage = parent.text("ActivePage");
        int firstPage = -1;
        bool activeFound = false;
        for (std::size_t i = 0; i < parent.children.size(); ++i) {
            DrawnObject& child = objects[static_cast<std::size_t>(parent.children[i])];
            child.shown = parent.shown;
            child.clip = childClip;
            if (ControlClasses::isIcon(child.kind)) {
                child.frame = QRect(iconPlace(child), QSize(FormDrawing::IconSize, FormDrawing::IconSize));
                child.clip = form.frame;
                continue;
            }
            if (child.kind == ControlKind::TabSheet && parent.kind == ControlKind::PageControl) {
                child.frame = inside;
                if (firstPage < 0)
                    firstPage = static_cast<int>(i);
                const bool active = activePage && ascii::equalsIgnoringCase(*activePage, child.name);
                activeFound = activeFound || active;
                child.shown = parent.shown && active;
                continue;
            }
            QRect rect = rects[i];
            if (FormLayout::alignOf(child) == Align::None) {
                const Anchors anchors = anchorsOf(child);
                if (anchors.right && anchors.left)
                    rect.setWidth(std::max(0, rect.width() + grown.width()));
                else if (anchors.right)
                    rect.translate(grown.width(), 0);
                else if (!anchors.left)
                    rect.translate(grown.width() / 2, 0);
                if (anchors.bottom && anchors.top)
                    rect.setHeight(std::max(0, rect.height() + grown.height()));
                else if (anchors.bottom)
                    rect.translate(0, grown.height());
                else if (!anchors.top)
                    rect.translate(0, grown.height() / 2);
            }
            child.frame = rect.translated(inside.topLeft());
        }
        // Without an active page stored, the first page shows.
        if (parent.kind == ControlKind::PageControl && !activeFound && firstPage >= 0)
            objects[static_cast<std::size_t>(parent.children[static_cast<std::size_t>(firstPage)])].shown = parent.shown;
    }
}

}  // namespace dfm
