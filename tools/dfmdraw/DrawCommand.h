// The dfmdraw command line: each form drawn as it looks in the designer, written as a PNG picture.
#pragma once

#include "FormPainter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace dfm {

class CodePage;

class DrawCommand {
public:
    enum ExitStatus { Drawn = 0, Failed = 1, WrongUsage = 2 };

    DrawCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // arguments: the command line without the program's name.
    int run(const std::vector<std::string>& arguments);

private:
    int wrongUsage(const std::string& message);
    int print(const std::string& text);
    // Draws the form at path into the picture at out ("-": standard output); false after a
    // message when the form cannot be read or the picture cannot be written.
    bool draw(const std::string& path, const std::string& out);
    void write(const std::string& out, const std::string& bytes);

    std::ostream& out_;
    std::ostream& err_;
    PaintOptions options_;
    const CodePage* givenPage_ = nullptr;  // named by the user; else each form's own
};

}  // namespace dfm
