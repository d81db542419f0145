// The file names dfmconv gives the pictures of a form: OBJECT.PROPERTY.EXT, made from the form's
// names so that none leaves its folder, each given once.
#pragma once

#include "FormPicture.h"

#include <set>
#include <string>
#include <string_view>

class PictureFileNames {
public:
    // The next picture's name: owner is its object's name, or the object's class when it has none.
    // An unknown picture's class goes before ".bin"; a name given before gets "-2", then "-3", ...
    // before its extension.
    std::string next(std::string_view owner, const dfm::FormPicture& picture);

private:
    std::set<std::string> given_;  // in lower case: Image1 and IMAGE1 are one file where case is ignored
};
