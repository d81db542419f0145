// What the form check needs of a Pascal unit: the class declarations with their fields and
// methods, the method bodies, each with its line, and the files it includes. Comments, strings
// and compiler directives are skipped, so that text in them never reads as a declaration. Names
// are given in UTF-8.
#pragma once

#include "CodePage.h"

#include <string>
#include <string_view>
#include <vector>

namespace dfm {

// The section of the class a member is declared in ("strict" sections as the others).
enum class Visibility { Published, Public, Protected, Private };

struct PascalField {
    std::string name;
    std::string typeName;  // the last part of a dotted type name; empty when it is no plain name
    int line = 0;
    Visibility visibility = Visibility::Published;
};

struct PascalMethod {
    std::string name;
    int line = 0;
    Visibility visibility = Visibility::Published;
};

struct PascalClass {
    std::string name;
    std::string ancestor;  // the first name in the parentheses after "class", last dotted part
    int line = 0;
    std::vector<PascalField> fields;
    std::vector<PascalMethod> methods;

    const PascalField* field(std::string_view name) const;
    const PascalMethod* method(std::string_view name) const;
};

// A method body: "procedure TForm1.Button1Click" outside any class declaration.
struct PascalMethodBody {
    std::string className;
    std::string methodName;
    int line = 0;
};

struct PascalUnit {
    std::vector<PascalClass> classes;
    std::vector<PascalMethodBody> bodies;
    // The names of "{$I name}" and "{$INCLUDE name}", as written, in text order.
    std::vector<std::string> includes;
    // Set when the unit could not be read as far as the check needs: what stopped it, and where.
    std::string error;
    int errorLine = 0;

    // Names compare as characters without regard to case, as Pascal's do.
    const PascalClass* findClass(std::string_view name) const;
    bool hasBody(std::string_view className, std::string_view methodName) const;
};

class PascalUnitScanner {
public:
    // text: the unit's bytes, in a code page or UTF-8; lines end with LF or CR LF. Names that are
    // not UTF-8 are read in page.
    static PascalUnit scan(std::string_view text, const CodePage& page = CodePage::forNumber(CodePage::DefaultNumber));
};

}  // namespace dfm
