#include "SiblingUnits.h"

#include "AsciiText.h"
#include "PascalUnitScanner.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace dfm {

namespace {

// A unit beyond this is no source file worth reading for a class declaration.
constexpr std::uintmax_t MostUnitBytes = std::uintmax_t{8} << 20;

// Whether the text holds the name anywhere, in any case: most units can be passed over without
// being scanned.
bool mentions(std::string_view text, std::string_view name)
{
    const auto same = [](char a, char b) { return ascii::toUpper(a) == ascii::toUpper(b); };
    return !name.empty() && std::search(text.begin(), text.end(), name.begin(), name.end(), same) != text.end();
}

}  // namespace

SiblingUnits::SiblingUnits(fs::path folder) : folder_(std::move(folder)) {}

void SiblingUnits::load()
{
    loaded_ = true;
    std::error_code error;
    std::vector<fs::path> paths;
    for (fs::directory_iterator item(folder_, error), end; !error && item != end; item.increment(error)) {
        // The form's own unit is among them; it declares no class the check looks for here,
        // since the check looks there first.
        const fs::path& path = item->path();
        std::error_code ignored;
        if (ascii::equalsIgnoringCase(path.extension().string(), ".pas") && item->is_regular_file(ignored)
            && item->file_size(ignored) <= MostUnitBytes)
            paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
        // A unit that cannot be read is one the designer could not have used either.
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        if (file && (bytes << file.rdbuf()))
            texts_.push_back(bytes.str());
    }
}

std::optional<std::string> SiblingUnits::declaring(std::string_view className)
{
    if (!loaded_)
        load();
    std::optional<std::string> found;
    for (const std::string& text : texts_) {
        if (!mentions(text, className) || PascalUnitScanner::scan(text).findClass(className) == nullptr)
            continue;
        if (found)
            return std::nullopt;
        found = text;
    }
    return found;
}

}  // namespace dfm
