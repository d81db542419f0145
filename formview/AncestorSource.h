// Where a drawing finds the forms that a form inherits from and the frames it holds.
#pragma once

#include "FormModel.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dfm {

class AncestorSource {
public:
    virtual ~AncestorSource() = default;
    // The class that className derives from, if its declaration is found.
    virtual std::optional<std::string> ancestorClassOf(std::string_view className) = 0;
    // The form whose root is of class className, if it is found and reads.
    virtual std::shared_ptr<const FormModel> formOfClass(std::string_view className) = 0;
};

}  // namespace dfm
