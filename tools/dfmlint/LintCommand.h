// The dfmlint command line: forms checked against their units, the problems printed one a line.
#pragma once

#include "FormUnitCheck.h"
#include "SiblingUnits.h"
#include "UnitFile.h"

#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dfm {

class LintCommand {
public:
    enum ExitStatus { Clean = 0, ProblemsFound = 1, WrongUsage = 2, Unreadable = 2 };

    LintCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // arguments: the command line without the program's name.
    int run(const std::vector<std::string>& arguments);

private:
    struct Report {
        std::string path;
        int line;
        std::string message;
    };

    // One line on standard error, and where to read more.
    int wrongUsage(const std::string& message);
    // The text on standard output; a failure to write it is reported and fails the run.
    int print(const std::string& text);
    // The form files named, folders walked when recursive; false after a message when one
    // cannot be had.
    bool collectForms(const std::vector<std::string>& names, bool recursive, std::vector<std::string>& forms);
    // The form's unit, by the rule the editor finds it by.
    std::optional<std::string> unitOf(const std::string& form);
    // False after a message when the form or its unit cannot be read.
    // ignored: the classes the check passes over.
    bool checkForm(const std::string& path, const std::vector<std::string>& ignored, std::vector<Report>& reports);

    std::ostream& out_;
    std::ostream& err_;
    // The file names of each folder with forms, listed once.
    std::map<std::string, FolderListing> listingsByFolder_;
    int codePage_ = 0;
    // The units of each folder, read once when an ancestor class is first looked for there.
    std::map<std::string, std::unique_ptr<SiblingUnits>> siblingsByFolder_;
};

}  // namespace dfm
