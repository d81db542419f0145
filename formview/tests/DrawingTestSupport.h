// Helpers of the drawing tests: forms drawn from their text or from its binary form, ancestors
// held in memory, and pixels probed.
#pragma once

#include "FormDrawing.h"
#include "FormPainter.h"
#include "MemoryStream.h"
#include "ModelTestSupport.h"
#include "TextToBinary.h"

#include <QImage>

#include <map>
#include <memory>
#include <string>

namespace dfm::test {

enum class Notation { Text, Binary };

inline std::shared_ptr<const FormModel> modelOf(const std::string& text, Notation notation)
{
    if (notation == Notation::Text)
        return std::make_shared<const FormModel>(textModel(text));
    MemoryStream in(text);
    MemoryStream out;
    textToBinary(in, out);
    return std::make_shared<const FormModel>(binaryModel(out.view()));
}

// Ancestors and frames given by the test: class name to ancestor class, class name to form text.
class AncestorsInMemory : public AncestorSource {
public:
    std::map<std::string, std::string> ancestorOf;
    std::map<std::string, std::string> formOf;

    std::optional<std::string> ancestorClassOf(std::string_view className) override
    {
        const auto found = ancestorOf.find(std::string(className));
        return found == ancestorOf.end() ? std::nullopt : std::optional(found->second);
    }
    std::shared_ptr<const FormModel> formOfClass(std::string_view className) override
    {
        const auto found = formOf.find(std::string(className));
        return found == formOf.end() ? nullptr : modelOf(found->second, Notation::Text);
    }
};

inline FormDrawing drawingOf(const std::string& text, Notation notation = Notation::Text, AncestorSource* ancestors = nullptr)
{
    return FormDrawing::build(modelOf(text, notation), CodePage::forNumber(1252), ancestors);
}

inline QImage pictureOf(const FormDrawing& drawing, double scale = 1.0)
{
    PaintOptions options;
    options.scale = scale;
    return FormPainter::render(drawing, options);
}

// The colour at a point given in form units, at the picture's scale.
inline QColor colourAt(const QImage& image, int x, int y, double scale = 1.0)
{
    return image.pixelColor(static_cast<int>(x * scale + scale / 2), static_cast<int>(y * scale + scale / 2));
}

}  // namespace dfm::test
