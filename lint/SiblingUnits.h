// The units beside a form, where the ancestors of an inherited form's class are looked for, as
// the designer finds them in the project: a class declared in exactly one of them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

class SiblingUnits {
public:
    // folder: where the units are; they are read when a class is first looked for.
    explicit SiblingUnits(std::filesystem::path folder);

    // The text of the one unit of the folder that declares className; nothing when none does,
    // or more than one (two projects in one folder: which is meant cannot be told).
    std::optional<std::string> declaring(std::string_view className);

private:
    void load();

    std::filesystem::path folder_;
    bool loaded_ = false;
    std::vector<std::string> texts_;
};

}  // namespace dfm
