// The units beside a form, where the ancestors of an inherited form's class are looked for, as
// the designer finds them in the project: a class declared in exactly one of them. And the files
// a unit includes, found beside it as the compiler finds them.
#pragma once

#include "CodePage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

class SiblingUnits {
public:
    // folder: where the units are; they are read when a class is first looked for. codePage: what
    // names that are not UTF-8 are read in.
    explicit SiblingUnits(std::filesystem::path folder, int codePage = CodePage::DefaultNumber);

    // The text of the one unit of the folder that declares className; nothing when none does,
    // or more than one (two projects in one folder: which is meant cannot be told).
    std::optional<std::string> declaring(std::string_view className);
    // The path of that unit.
    std::optional<std::filesystem::path> pathDeclaring(std::string_view className);

private:
    void load();
    // The index of the one unit that declares className.
    std::optional<std::size_t> find(std::string_view className);

    std::filesystem::path folder_;
    const CodePage& page_;
    bool loaded_ = false;
    std::vector<std::filesystem::path> paths_;
    std::vector<std::string> texts_;
};

// The text of the file that an "{$I name}" of the unit at unitPath includes: name relative to the
// unit's folder ("\" read as "/", "*" as the unit's own name), and a name without extension also
// with ".pas", ".inc" and ".pp" added; each found in another case when not in its own. Nothing
// when none is there or it cannot be read.
std::optional<std::string> readIncludeBeside(const std::string& unitPath, std::string_view name);

}  // namespace dfm
