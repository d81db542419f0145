// The ancestors and frames of a form found beside it, as the designer finds them in a project:
// a class is declared in exactly one unit of the form's folder, and its form is the form file
// beside that unit.
#pragma once

#include "AncestorSource.h"
#include "SiblingUnits.h"

#include <filesystem>
#include <map>

namespace dfm {

class AncestorForms : public AncestorSource {
public:
    // folder: the form's folder. codePage: what narrow strings and names are read in.
    AncestorForms(std::filesystem::path folder, int codePage);

    std::optional<std::string> ancestorClassOf(std::string_view className) override;
    std::shared_ptr<const FormModel> formOfClass(std::string_view className) override;

private:
    SiblingUnits units_;
    int codePage_;
    std::map<std::string, std::shared_ptr<const FormModel>> forms_;  // by upper-cased class name
};

}  // namespace dfm
