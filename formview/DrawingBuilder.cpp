#include "DrawingBuilder.h"

#include "AsciiText.h"
#include "FormColors.h"
#include "FormLayout.h"
#include "PictureDecoder.h"

#include <algorithm>
#include <utility>

namespace dfm {

namespace {

// Deeper chains of ancestors and frames are cycles or mistakes; they are cut with a warning.
constexpr int DeepestChain = 16;
// Frames held many times over could make a drawing of millions of objects.
constexpr std::size_t MostObjects = 200000;

// The standard frame of a window, taken off its Width and Height where no client size is stored.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 39;
constexpr int MenuBarHeight = 20;

// Windows fonts that are seldom installed here, drawn with the metric-compatible free ones.
QStringList fontFamilies(const QString& name)
{
    static const QStringList mono{"Courier New", "Courier", "Fixedsys", "Terminal", "Lucida Console", "Consolas"};
    static const QStringList serif{"Times New Roman", "Times", "MS Serif", "Georgia"};
    const auto among = [&](const QStringList& names) { return names.contains(name, Qt::CaseInsensitive); };
    if (among(mono))
        return {name, "Liberation Mono", "DejaVu Sans Mono"};
    if (among(serif))
        return {name, "Liberation Serif", "DejaVu Serif"};
    // Any other name, the usual dialog fonts among them, falls back on a sans-serif face.
    return {name, "Liberation Sans", "DejaVu Sans"};
}

QFont defaultFont()
{
    QFont font;
    font.setFamilies(fontFamilies("MS Sans Serif"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The background a kind has of its own; none for the kinds that take their parent's.
std::optional<QColor> ownColour(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::Memo:
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
    case ControlKind::ListView:
    case ControlKind::TreeView:
    case ControlKind::Grid:
    case ControlKind::DateTimePicker: return FormColors::window();
    case ControlKind::Form:
    case ControlKind::Panel:
    case ControlKind::Button:
    case ControlKind::BitButton:
    case ControlKind::ScrollBox:
    case ControlKind::StatusBar:
    case ControlKind::ToolBar:
    case ControlKind::PageControl:
    case ControlKind::TabControl:
    case ControlKind::UpDown:
    case ControlKind::ScrollBar:
    case ControlKind::ProgressBar: return FormColors::buttonFace();
    default: return std::nullopt;
    }
}

bool hasAny(const DrawnObject& object, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return object.property(name).has_value(); });
}

}  // namespace

DrawingBuilder::DrawingBuilder(FormDrawing& drawing, const CodePage& page, AncestorSource* ancestors)
    : drawing_(drawing), objects_(drawing.objects_), page_(page), ancestors_(ancestors)
{
}

void DrawingBuilder::build(std::shared_ptr<const FormModel> model)
{
    objects_.push_back({});
    framed_.push_back(false);
    applyWithAncestors(model, 0, true, 0);
    // Fonts given in points are sized in pixels of the form's own resolution.
    drawing_.pixelsPerInch_ = FormDrawing::pixelsPerInchOf(objects_.front().integer("PixelsPerInch"));
    classify();
    decodePictures();
    sizeForm();
    findMenu();
    FormLayout::layOut(objects_, drawing_.clientSize_);
    orderPainting();
}

void DrawingBuilder::missing(std::string_view className, const char* what)
{
    const QString name = QString::fromStdString(std::string(className));
    if (drawing_.missingAncestors_.contains(name))
        return;
    drawing_.missingAncestors_.append(name);
    drawing_.missingNotes_.append(QString::fromLatin1(what).arg(name));
    drawing_.warnings_.append(drawing_.missingNotes_.back());
}

void DrawingBuilder::applyWithAncestors(const std::shared_ptr<const FormModel>& model, int target, bool own, int depth)
{
    const FormNode root = model->root();
    const std::string key = ascii::upperCased(root.className());
    if (depth > DeepestChain || chain_.count(key) != 0) {
        drawing_.warnings_.append(QString("The ancestors of %1 go round in a circle or too deep; they are cut off")
                                      .arg(QString::fromStdString(std::string(root.className()))));
        return;
    }
    chain_.insert(key);
    drawing_.models_.push_back(model);
    if (root.isInherited()) {
        const std::optional<std::string> ancestorClass =
            ancestors_ != nullptr ? ancestors_->ancestorClassOf(root.className()) : std::nullopt;
        std::shared_ptr<const FormModel> ancestor;
        if (ancestorClass)
            ancestor = ancestors_->formOfClass(*ancestorClass);
        if (ancestor)
            applyWithAncestors(ancestor, target, false, depth + 1);
        else
            missing(ancestorClass ? *ancestorClass : root.className(),
                    ancestorClass ? "The ancestor form %1 is not found" : "The ancestor of %1 is not found");
    }
    apply(*model, target, own, depth);
    chain_.erase(key);
}

void DrawingBuilder::apply(const FormModel& model, int target, bool own, int depth)
{
    std::vector<int> objectOfNode(model.nodeCount(), -1);
    for (const FormNode& node : model.nodes()) {
        if (objects_.size() >= MostObjects) {
            drawing_.warnings_.append("The form holds too many objects; the rest are not drawn");
            return;
        }
        int object = target;
        if (node.index() != 0) {
            const int parent = objectOfNode[node.parent()->index()];
            if (parent < 0)
                continue;
            object = node.isInherited() || node.isInline() ? findByName(parent, node.name()) : -1;
            if (object < 0) {
                object = addObject(parent, node);
                if (node.isInline())
                    graftFrame(object, node.className(), depth + 1);
            }
        }
        DrawnObject& drawn = objects_[static_cast<std::size_t>(object)];
        if (!node.name().empty() || drawn.name.empty())
            drawn.name = std::string(node.name());
        if (node.index() != 0 || own || drawn.className.empty())
            drawn.className = std::string(node.className());
        for (const FormProperty& property : node.properties()) {
            auto same = std::find_if(drawn.properties.begin(), drawn.properties.end(), [&](const FormProperty& known) {
                return ascii::equalsIgnoringCase(known.name(), property.name());
            });
            if (same != drawn.properties.end())
                drawn.properties.erase(same);
            drawn.properties.push_back(property);
        }
        if (own)
            drawn.node = node.index();
        objectOfNode[node.index()] = object;
    }
}

void DrawingBuilder::graftFrame(int target, std::string_view className, int depth)
{
    framed_[static_cast<std::size_t>(target)] = true;
    std::shared_ptr<const FormModel> frame = ancestors_ != nullptr ? ancestors_->formOfClass(className) : nullptr;
    if (!frame) {
        missing(className, "The frame %1 is not found");
        return;
    }
    applyWithAncestors(frame, target, false, depth);
}

int DrawingBuilder::addObject(int parent, const FormNode& node)
{
    const int index = static_cast<int>(objects_.size());
    DrawnObject object;
    object.parent = parent;
    object.name = std::string(node.name());
    object.className = std::string(node.className());
    objects_.push_back(std::move(object));
    framed_.push_back(false);
    objects_[static_cast<std::size_t>(parent)].children.push_back(index);
    return index;
}

int DrawingBuilder::findByName(int within, std::string_view name) const
{
    if (name.empty())
        return -1;
    std::vector<int> level{within};
    while (!level.empty()) {
        std::vector<int> next;
        for (const int object : level) {
            for (const int child : objects_[static_cast<std::size_t>(object)].children) {
                if (ascii::equalsIgnoringCase(objects_[static_cast<std::size_t>(child)].name, name))
                    return child;
                next.push_back(child);
            }
        }
        level = std::move(next);
    }
    return -1;
}

void DrawingBuilder::classify()
{
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        DrawnObject& object = objects_[i];
        object.page = &page_;
        const ControlKind byName = ControlClasses::kindOf(object.className);
        if (i == 0) {
            object.kind = byName == ControlKind::Frame || byName == ControlKind::DataModule ? byName : ControlKind::Form;
            colourAndFont(object, nullptr);
            continue;
        }
        const DrawnObject& parent = objects_[static_cast<std::size_t>(object.parent)];
        const bool parentPlaces = parent.drawn && (ControlClasses::isControl(parent.kind) || parent.kind == ControlKind::DataModule);
        const bool sized = hasAny(object, {"Width", "Height", "Size.Width", "Size.Height"});
        object.kind = framed_[i] ? ControlKind::Frame : byName;
        if (!parentPlaces || object.kind == ControlKind::MenuItem) {
            object.drawn = false;
        } else if (parent.kind == ControlKind::DataModule || object.kind == ControlKind::NonVisual
                   || object.kind == ControlKind::MainMenu || object.property("DesignInfo")
                   || (object.kind == ControlKind::Other && !sized)) {
            if (object.kind != ControlKind::MainMenu)
                object.kind = ControlKind::NonVisual;
        }
        colourAndFont(object, &parent);
        object.visible = object.boolean("Visible", true);
        object.enabled = object.boolean("Enabled", true);
    }
}

void DrawingBuilder::colourAndFont(DrawnObject& object, const DrawnObject* parent) const
{
    const std::optional<FormValue> colour = object.property("Color");
    const std::optional<QColor> stored = colour ? FormColors::fromValue(*colour) : std::nullopt;
    const std::optional<QColor> own = ownColour(object.kind);
    if (stored)
        object.color = *stored;
    else if (parent != nullptr && object.boolean("ParentColor", !own))
        object.color = parent->color;
    else
        object.color = own.value_or(FormColors::buttonFace());

    const bool ownFont = parent == nullptr || !object.boolean("ParentFont", true);
    object.font = ownFont ? defaultFont() : parent->font;
    object.fontColor = ownFont ? FormColors::windowText() : parent->fontColor;
    if (const std::optional<std::string> name = object.text("Font.Name"))
        object.font.setFamilies(fontFamilies(QString::fromStdString(*name)));
    const int pixelsPerInch = drawing_.pixelsPerInch_;
    if (const std::optional<std::int64_t> height = object.integer("Font.Height"); height && *height != 0) {
        // A positive height is the cell's, of which the characters take about four fifths.
        const std::int64_t pixels = *height < 0 ? -*height : *height * 4 / 5;
        object.font.setPixelSize(static_cast<int>(std::clamp<std::int64_t>(pixels, 1, 1000)));
    } else if (const std::optional<std::int64_t> size = object.integer("Font.Size"); size && *size != 0) {
        const std::int64_t points = *size < 0 ? -*size : *size;
        object.font.setPixelSize(static_cast<int>(std::clamp<std::int64_t>(points * pixelsPerInch / 72, 1, 1000)));
    }
    if (const std::optional<bool> bold = object.inSet("Font.Style", "fsBold")) {
        object.font.setBold(*bold);
        object.font.setItalic(*object.inSet("Font.Style", "fsItalic"));
        object.font.setUnderline(*object.inSet("Font.Style", "fsUnderline"));
        object.font.setStrikeOut(*object.inSet("Font.Style", "fsStrikeOut"));
    }
    if (const std::optional<FormValue> colourOfFont = object.property("Font.Color"))
        object.fontColor = FormColors::fromValue(*colourOfFont).value_or(object.fontColor);
}

void DrawingBuilder::decodePictures()
{
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        DrawnObject& object = objects_[i];
        const bool button = object.kind == ControlKind::BitButton || object.kind == ControlKind::SpeedButton;
        const char* name = i == 0 ? "Icon.Data" : button ? "Glyph.Data" : "Picture.Data";
        const std::optional<FormValue> data = object.drawn ? object.property(name) : std::nullopt;
        if (!data || data->kind() != ValueTag::Binary || data->bytes().empty())
            continue;
        const DecodedPicture decoded = decodePicture(pictureFromData(name, data->bytes()));
        if (decoded.image.isNull()) {
            object.pictureProblem = decoded.problem;
            drawing_.warnings_.append(QString("The picture %1.%2 is drawn as a placeholder: %3")
                                          .arg(QString::fromStdString(object.name), name, decoded.problem));
        } else if (button) {
            const auto count = static_cast<int>(std::clamp<std::int64_t>(object.integer("NumGlyphs").value_or(1), 1, 4));
            object.picture = buttonGlyph(decoded.image, count, object.enabled);
        } else {
            object.picture = decoded.image;
        }
    }
}

void DrawingBuilder::sizeForm()
{
    DrawnObject& form = objects_.front();
    const bool window = form.kind == ControlKind::Form;
    const auto side = [&](std::string_view client, std::string_view outer, std::string_view fmx, int frame) -> std::optional<std::int64_t> {
        if (const std::optional<std::int64_t> value = form.integer(client))
            return value;
        if (const std::optional<std::int64_t> value = form.integer(outer))
            return *value - (window ? frame : 0);
        return form.integer(fmx);
    };
    std::optional<std::int64_t> width = side("ClientWidth", "Width", "Size.Width", FrameWidth);
    std::optional<std::int64_t> height = side("ClientHeight", "Height", "Size.Height", FrameHeight);
    if (!width || !height) {
        // A data module: the box of its components' icons, and a margin.
        std::int64_t right = 0, bottom = 0;
        for (const DrawnObject& object : objects_) {
            if (!ControlClasses::isIcon(object.kind))
                continue;
            const QPoint place = FormLayout::iconPlace(object);
            right = std::max<std::int64_t>(right, place.x() + FormDrawing::IconSize + 8);
            bottom = std::max<std::int64_t>(bottom, place.y() + FormDrawing::IconSize + 8);
        }
        width = width.value_or(std::max<std::int64_t>(right, 100));
        height = height.value_or(std::max<std::int64_t>(bottom, 100));
    }
    const auto clampSide = [&](std::int64_t value, const char* which) {
        if (value >= 1 && value <= FormDrawing::LargestSide)
            return static_cast<int>(value);
        drawing_.warnings_.append(QString("The form's %1 of %2 is drawn as %3").arg(which).arg(value)
                                      .arg(value < 1 ? 1 : FormDrawing::LargestSide));
        return value < 1 ? 1 : FormDrawing::LargestSide;
    };
    drawing_.clientSize_ = QSize(clampSide(*width, "width"), clampSide(*height, "height"));
}

void DrawingBuilder::findMenu()
{
    const std::optional<std::string> menu = objects_.front().text("Menu");
    if (!menu)
        return;
    for (const DrawnObject& object : objects_) {
        if (object.kind != ControlKind::MainMenu || !ascii::equalsIgnoringCase(object.name, *menu))
            continue;
        for (const int child : object.children) {
            const DrawnObject& item = objects_[static_cast<std::size_t>(child)];
            const QString caption = item.caption();
            if (item.visible && caption != "-")
                drawing_.menuCaptions_.append(caption);
        }
        break;
    }
    if (!drawing_.menuCaptions_.isEmpty())
        drawing_.menuBarHeight_ = MenuBarHeight;
}

void DrawingBuilder::orderPainting()
{
    std::vector<int>& order = drawing_.paintOrder_;
    std::vector<int> icons;
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const int index = stack.back();
        stack.pop_back();
        const DrawnObject& object = objects_[static_cast<std::size_t>(index)];
        if (!object.drawn || !object.shown)
            continue;
        if (ControlClasses::isIcon(object.kind)) {
            icons.push_back(index);
            continue;
        }
        order.push_back(index);
        // Popped last to first: controls drawn by the parent, then windows, each in creation order.
        for (auto it = object.children.rbegin(); it != object.children.rend(); ++it) {
            if (!ControlClasses::isGraphic(objects_[static_cast<std::size_t>(*it)].kind))
                stack.push_back(*it);
        }
        for (auto it = object.children.rbegin(); it != object.children.rend(); ++it) {
            if (ControlClasses::isGraphic(objects_[static_cast<std::size_t>(*it)].kind))
                stack.push_back(*it);
        }
    }
    order.insert(order.end(), icons.begin(), icons.end());
}

}  // namespace dfm
