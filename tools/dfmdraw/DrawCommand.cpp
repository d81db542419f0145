// The dfmdraw command line: reads the options, draws each form offscreen and writes its picture.
#include "DrawCommand.h"

#include "AncestorForms.h"
#include "CheckedOutput.h"
#include "CodePage.h"
#include "Errors.h"
#include "FormDrawing.h"
#include "FormPage.h"
#include "FormSource.h"
#include "SaveTransaction.h"
#include "Version.h"

#include <QBuffer>

#include <charconv>
#include <filesystem>
#include <new>
#include <ostream>

namespace fs = std::filesystem;

namespace dfm {

namespace {

constexpr const char* UsageText =
    "Usage: dfmdraw [OPTIONS] [--] FORM OUT.png\n"
    "       dfmdraw [OPTIONS] -o DIR [--] FORM...\n"
    "\n"
    "Draws each form file as the designer shows it, as a PNG picture, without a display: the\n"
    "form's client area (its menu bar above it), every control at its place, non-visual\n"
    "components as icons.\n"
    "\n"
    "  FORM                a binary or text form file (.dfm, .lfm, .fmx, .xfm), in any encoding\n"
    "  OUT.png             the picture to write; \"-\" writes it to standard output\n"
    "\n"
    "  -o DIR              write each FORM's picture into DIR as NAME.png, NAME being the form\n"
    "                      file's name without its extension (DIR is made when missing)\n"
    "  --scale N           pixels per form unit, from 0.1 to 16 (default 1); a picture beyond\n"
    "                      16384 pixels a side or 67108864 pixels in all is drawn smaller, with\n"
    "                      a warning\n"
    "  --no-components     leave out the icons of non-visual components\n"
    "  --codepage N        the code page of narrow strings and of text forms that are not UTF-8\n"
    "                      (874, 1250 to 1258, 932, 936, 949, 950); default: the form's own, as\n"
    "                      its character sets and strings tell it, else QUENDFMED_CODEPAGE, else\n"
    "                      1252\n"
    "                      (the options with a value also as --option=VALUE)\n"
    "  --                  ends the options, so that a FORM may start with \"-\"\n"
    "  -h, --help          this text\n"
    "  --version           the program's name, version and licence\n"
    "\n"
    "The ancestors of an inherited form and the frames a form holds are looked for beside it: the\n"
    "unit of the folder that declares the class, and the form file beside that unit. One that is\n"
    "not found is named on standard error and the form is drawn with what it holds; so are\n"
    "pictures that cannot be decoded, drawn as placeholders. A picture is written whole or not\n"
    "at all.\n"
    "Exit status: 0 every form drawn (warnings included), 1 a form could not be read or its\n"
    "picture not written, 2 wrong usage.\n";

struct Refusal {
    std::string message;
};

bool parseScale(const std::string& text, double& scale)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
    return error == std::errc() && end == text.data() + text.size() && scale >= FormPainter::SmallestScale
        && scale <= FormPainter::LargestScale;
}

}  // namespace

int DrawCommand::wrongUsage(const std::string& message)
{
    err_ << "dfmdraw: " << message << "\nTry 'dfmdraw --help' for more information.\n";
    return WrongUsage;
}

int DrawCommand::print(const std::string& text)
{
    return CheckedOutput::writeWhole(out_, err_, "dfmdraw", text) ? Drawn : Failed;
}

int DrawCommand::run(const std::vector<std::string>& arguments)
{
    try {
        std::vector<std::string> names;
        std::string folder;
        bool toFolder = false;
        bool options = true;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            const std::size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
            const std::string option = argument.substr(0, equals);
            if (!options || argument.size() < 2 || argument[0] != '-') {
                names.push_back(argument);
            } else if (argument == "--") {
                options = false;
            } else if (argument == "-h" || argument == "--help") {
                return print(UsageText);
            } else if (argument == "--version") {
                return print(versionText("dfmdraw"));
            } else if (argument == "--no-components") {
                options_.showNonVisual = false;
            } else if (option == "--scale" || option == "--codepage" || argument == "-o") {
                if (equals == std::string::npos && i + 1 == arguments.size())
                    return wrongUsage(option + " needs a value");
                const std::string value = equals == std::string::npos ? arguments[++i] : argument.substr(equals + 1);
                if (option == "-o") {
                    folder = value;
                    toFolder = true;
                    if (folder.empty())
                        return wrongUsage("-o needs a folder");
                } else if (option == "--scale") {
                    if (!parseScale(value, options_.scale))
                        return wrongUsage("--scale takes a number from 0.1 to 16, not \"" + value + "\"");
                } else {
                    const int number = CodePage::numberFromText(value);
                    if (number == 0)
                        return wrongUsage("unknown code page \"" + value + "\" (known: 874, 1250 to 1258, 932, 936, 949, 950)");
                    givenPage_ = &CodePage::forNumber(number);
                }
            } else {
                return wrongUsage("unknown option " + argument);
            }
        }
        if (names.empty()) {
            if (!arguments.empty())
                return wrongUsage("needs a FORM");
            err_ << UsageText;
            return WrongUsage;
        }
        if (!toFolder) {
            if (names.size() != 2)
                return wrongUsage(names.size() == 1 ? "needs OUT.png after FORM, or -o DIR" : "draws one FORM to OUT.png; several need -o DIR");
            return draw(names[0], names[1]) ? Drawn : Failed;
        }
        std::error_code error;
        fs::create_directories(folder, error);
        if (error && !fs::is_directory(folder)) {
            err_ << "dfmdraw: " << folder << ": " << error.message() << "\n";
            return Failed;
        }
        bool all = true;
        for (const std::string& name : names)
            all = draw(name, (fs::path(folder) / fs::path(name).stem()).string() + ".png") && all;
        return all ? Drawn : Failed;
    } catch (const std::bad_alloc&) {
        err_ << "dfmdraw: not enough memory to draw the form\n";
        return Failed;
    }
}

bool DrawCommand::draw(const std::string& path, const std::string& out)
{
    try {
        if (path == "-")
            throw Refusal{"-: a form is named by its path; its ancestors are found beside it"};
        std::shared_ptr<const FormModel> model;
        const CodePage* page = nullptr;
        try {
            page = &FormPage::ofFormFile(path, givenPage_);
            model = std::make_shared<const FormModel>(readFormModel(path, *page));
        } catch (const FormError& error) {
            throw Refusal{path + ": " + error.what()};
        }
        AncestorForms ancestors(fs::path(path).parent_path().empty() ? fs::path(".") : fs::path(path).parent_path(),
                                page->number());
        const FormDrawing drawing = FormDrawing::build(model, *page, &ancestors);
        QString note;
        const QImage image = FormPainter::render(drawing, options_, &note);
        for (const QString& warning : drawing.warnings())
            err_ << "dfmdraw: " << path << ": " << warning.toStdString() << "\n";
        if (!note.isEmpty())
            err_ << "dfmdraw: " << path << ": " << note.toStdString() << "\n";
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            throw Refusal{out + ": the picture cannot be encoded"};
        write(out, png.toStdString());
        return true;
    } catch (const Refusal& refusal) {
        err_ << "dfmdraw: " << refusal.message << "\n";
        return false;
    }
}

void DrawCommand::write(const std::string& out, const std::string& bytes)
{
    if (out == "-") {
        if (!CheckedOutput::writeWhole(out_, err_, "dfmdraw", bytes))
            throw Refusal{"standard output: the picture is not written whole"};
        return;
    }
    SaveTransaction::Options options;
    options.tag = "dfmdraw";
    options.tagOnly = true;
    options.followLinks = true;
    options.refuseReadOnly = false;
    options.rewriteWhereNoNewFiles = false;
    options.removeLeftovers = false;
    try {
        SaveTransaction({{out, bytes}}, options).run();
    } catch (const FormError& error) {
        throw Refusal{out + ": " + error.what()};
    }
}

}  // namespace dfm
