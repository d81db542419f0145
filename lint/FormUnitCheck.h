// The check of a form against its unit: every place where loading the form would fail because
// the unit's class of the form lacks a field or a method the form names, or declares it where the
// form's reader cannot see it, or has a component field the form lacks, and every handler method
// without a body.
#pragma once

#include "CodePage.h"
#include "FormParser.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

struct LintProblem {
    enum class File { Form, Unit };
    File file = File::Form;
    int line = 0;
    std::string message;

    friend bool operator==(const LintProblem&, const LintProblem&) = default;
};

// The text of a unit other than the form's that declares the class named, if one is known.
using AncestorUnits = std::function<std::optional<std::string>(std::string_view className)>;
// The text of the file that an "{$I name}" of the form's unit names (name as written there), if
// it can be had.
using IncludeFiles = std::function<std::optional<std::string>(std::string_view name)>;

class FormUnitCheck {
public:
    // ignoredClasses: components and fields of these classes are left out, and a form whose
    // root is of one of them is not checked. Names compare as characters without regard to case.
    // codePage: what names that are not UTF-8 are read in, in every file the check reads.
    explicit FormUnitCheck(std::vector<std::string> ignoredClasses = {}, int codePage = CodePage::DefaultNumber);

    // The problems in the order of their files (form first) and lines. formText and unitText are
    // the files' bytes; a unit that cannot be read gives one problem, and so does a form.
    // ancestors: where the ancestors of the form's class that its unit does not declare are
    // looked for; without them, an inherited form's handlers that its own class lacks may be
    // its ancestor's and are not reported. includes: where the files the unit includes are read,
    // whose method bodies are the unit's.
    std::vector<LintProblem> run(std::string_view formText, TextEncoding formEncoding, std::string_view unitText,
                                 const AncestorUnits& ancestors = {}, const IncludeFiles& includes = {}) const;

private:
    bool ignored(std::string_view className) const;

    std::vector<std::string> ignoredClasses_;
    const CodePage& page_;
};

// Class names one a line, as an ignore file and the editor's stored list hold them: blanks
// around a name and lines that are empty or start with "#" are skipped.
std::vector<std::string> parseClassList(std::string_view text);

}  // namespace dfm
