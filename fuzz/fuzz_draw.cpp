// Draws arbitrary bytes that read as a form, binary (first byte 1, with or without its resource
// header) or text (any other): laying the form out, painting it and finding an object under a
// point must never crash or hang, whatever sizes, values, classes and nesting it holds.
#include "Errors.h"
#include "FormDrawing.h"
#include "FormModel.h"
#include "FormPainter.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

// Painting measures fonts, which needs the application; it is made once, offscreen.
void startApplication()
{
    static char name[] = "fuzz_draw";
    static char* arguments[] = {name, nullptr};
    static int count = 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(count, arguments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = (startApplication(), true);
    (void)started;
    if (size == 0)
        return 0;
    const bool binary = data[0] == 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::shared_ptr<const dfm::FormModel> model;
    try {
        dfm::MemoryStream in(bytes);
        if (binary && !bytes.empty() && static_cast<unsigned char>(bytes.front()) == 0xFF)
            dfm::skipResourceHeader(in);
        model = std::make_shared<const dfm::FormModel>(binary ? dfm::FormModel::readBinary(in) : dfm::FormModel::readText(in));
    } catch (const dfm::FormError&) {
        return 0;
    }
    const dfm::FormDrawing drawing = dfm::FormDrawing::build(model, dfm::CodePage::forNumber(1252));
    // The smallest scale keeps the largest picture allowed small enough to fuzz quickly.
    dfm::PaintOptions options;
    options.scale = dfm::FormPainter::SmallestScale;
    const QImage image = dfm::FormPainter::render(drawing, options);
    if (image.isNull())
        __builtin_trap();
    drawing.objectAt(QPoint(drawing.size().width() / 2, drawing.size().height() / 2));
    return 0;
}
