// What the form check needs of a Pascal unit: the class declarations with their fields and
// methods, and the method bodies, each with its line. Comments, strings and compiler directives
// are skipped, so that text in them never reads as a declaration.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dfm {

struct PascalField {
    std::string name;
    std::string typeName;  // the last part of a dotted type name; empty when it is no plain name
    int line = 0;
    bool published = false;
};

struct PascalMethod {
    std::string name;
    int line = 0;
    bool published = false;
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
    // Set when the unit could not be read as far as the check needs: what stopped it, and where.
    std::string error;
    int errorLine = 0;

    // Names compare without regard to ASCII case, as Pascal's do.
    const PascalClass* findClass(std::string_view name) const;
    bool hasBody(std::string_view className, std::string_view methodName) const;
};

class PascalUnitScanner {
public:
    // text: the unit's bytes, in a code page or UTF-8; lines end with LF or CR LF.
    static PascalUnit scan(std::string_view text);
};

}  // namespace dfm
