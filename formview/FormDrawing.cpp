#include "FormDrawing.h"

#include "DrawingBuilder.h"

#include <algorithm>

namespace dfm {

FormDrawing FormDrawing::build(std::shared_ptr<const FormModel> model, const CodePage& page, AncestorSource* ancestors)
{
    FormDrawing drawing;
    DrawingBuilder(drawing, page, ancestors).build(std::move(model));
    return drawing;
}

int FormDrawing::pixelsPerInchOf(std::optional<std::int64_t> stored)
{
    return static_cast<int>(std::clamp<std::int64_t>(stored.value_or(96), 24, 960));
}

int FormDrawing::objectAt(QPoint point, bool withIcons) const
{
    const QPoint inClient = point - QPoint(0, menuBarHeight_);
    for (auto it = paintOrder_.rbegin(); it != paintOrder_.rend(); ++it) {
        const DrawnObject& object = objects_[static_cast<std::size_t>(*it)];
        if (!withIcons && ControlClasses::isIcon(object.kind))
            continue;
        if (object.frame.contains(inClient) && object.clip.contains(inClient))
            return *it;
    }
    return -1;
}

int FormDrawing::objectOfNode(std::uint32_t node) const
{
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (objects_[i].node == node)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace dfm
