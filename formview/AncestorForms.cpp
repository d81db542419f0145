#include "AncestorForms.h"

#include "AsciiText.h"
#include "Errors.h"
#include "FormFileNames.h"
#include "FormSource.h"
#include "PascalUnitScanner.h"

namespace fs = std::filesystem;

namespace dfm {

namespace {

}  // namespace

AncestorForms::AncestorForms(fs::path folder, int codePage) : units_(std::move(folder), codePage), codePage_(codePage) {}

std::optional<std::string> AncestorForms::ancestorClassOf(std::string_view className)
{
    const std::optional<std::string> unit = units_.declaring(className);
    if (!unit)
        return std::nullopt;
    const PascalUnit scanned = PascalUnitScanner::scan(*unit, CodePage::forNumber(codePage_));
    const PascalClass* declared = scanned.findClass(className);
    if (declared == nullptr || declared->ancestor.empty())
        return std::nullopt;
    return declared->ancestor;
}

std::shared_ptr<const FormModel> AncestorForms::formOfClass(std::string_view className)
{
    const std::string key = ascii::upperCased(className);
    if (const auto known = forms_.find(key); known != forms_.end())
        return known->second;
    std::shared_ptr<const FormModel>& form = forms_[key];
    const std::optional<fs::path> unit = units_.pathDeclaring(className);
    if (!unit)
        return form;
    const std::string folder = unit->parent_path().string();
    for (const char* extension : {".dfm", ".lfm", ".fmx", ".xfm"}) {
        const std::optional<std::string> path = findFileIgnoringCase(folder, unit->stem().string() + extension);
        if (!path)
            continue;
        try {
            auto model = std::make_shared<const FormModel>(readFormModel(*path, CodePage::forNumber(codePage_)));
            if (ascii::equalsIgnoringCase(model->root().className(), className))
                form = std::move(model);
        } catch (const FormError&) {
            // A form that does not read is no ancestor: the drawing says it is missing.
        }
        break;
    }
    return form;
}

}  // namespace dfm
