// What the form check needs of form text: the objects with their names, classes and lines, how
// each came to the form (its own, inherited from an ancestor form, or a frame's), where each one
// sits, and the event properties that name methods. Names are given in UTF-8.
#pragma once

#include "CodePage.h"
#include "FormParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace dfm {

struct FormComponent {
    enum class Kind { Object, Inherited, Inline };
    std::string name;  // empty for an object without a name
    std::string className;
    int line = 0;
    Kind kind = Kind::Object;
    // Inside a frame (an inline object): it belongs to the frame's class, not the form's.
    bool inFrame = false;
    std::size_t parent = 0;  // index of the object it is in; the root's is 0
    // It has a size or an alignment of its own (Width, Height, Size, Position, Align...), as a
    // control has and a component that is not drawn on the form has not.
    bool sized = false;
    // It has a place of its own (Left, Top, Width, Height, Position, Size).
    bool placed = false;
};

// "OnClick = Button1Click", in an object or in an item of one of its collections.
struct FormEvent {
    std::string property;
    std::string method;
    int line = 0;
    std::size_t component = 0;  // index into FormComponentList::components
};

struct FormComponentList {
    std::vector<FormComponent> components;  // the root first, then every object in text order
    std::vector<FormEvent> events;
    // Set when the text does not read as a form: the reader's message and its line.
    std::string error;
    int errorLine = 0;

    // Names that are not UTF-8 are read in page.
    static FormComponentList read(std::string_view text, TextEncoding encoding,
                                  const CodePage& page = CodePage::forNumber(CodePage::DefaultNumber));
};

}  // namespace dfm
