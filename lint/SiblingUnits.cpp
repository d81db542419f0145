#include "SiblingUnits.h"

#include "AsciiText.h"
#include "FormFileNames.h"
#include "PascalUnitScanner.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace dfm {

namespace {

// A unit beyond this is no source file worth reading for a class declaration.
constexpr std::uintmax_t MostUnitBytes = std::uintmax_t{8} << 20;

// Whether the text may declare the name: most units can be passed over without being scanned
// when an ASCII name is nowhere in them, in any case. Other names may be in another encoding.
bool mayMention(std::string_view text, std::string_view name)
{
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return true;
    const auto same = [](char a, char b) { return ascii::toUpper(a) == ascii::toUpper(b); };
    return !name.empty() && std::search(text.begin(), text.end(), name.begin(), name.end(), same) != text.end();
}

// The whole of a file that is no larger than a unit worth reading.
std::optional<std::string> readSource(const fs::path& path)
{
    std::error_code error;
    if (fs::file_size(path, error) > MostUnitBytes || error)
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    if (!file || !(bytes << file.rdbuf()))
        return std::nullopt;
    return bytes.str();
}

}  // namespace

SiblingUnits::SiblingUnits(fs::path folder, int codePage)
    : folder_(std::move(folder)), page_(CodePage::forNumber(codePage))
{
}

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
        if (std::optional<std::string> text = readSource(path)) {
            paths_.push_back(path);
            texts_.push_back(std::move(*text));
        }
    }
}

std::optional<std::size_t> SiblingUnits::find(std::string_view className)
{
    if (!loaded_)
        load();
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        const std::string& text = texts_[i];
        if (!mayMention(text, className) || PascalUnitScanner::scan(text, page_).findClass(className) == nullptr)
            continue;
        if (found)
            return std::nullopt;
        found = i;
    }
    return found;
}

std::optional<std::string> SiblingUnits::declaring(std::string_view className)
{
    const std::optional<std::size_t> found = find(className);
    return found ? std::optional(texts_[*found]) : std::nullopt;
}

std::optional<fs::path> SiblingUnits::pathDeclaring(std::string_view className)
{
    const std::optional<std::size_t> found = find(className);
    return found ? std::optional(paths_[*found]) : std::nullopt;
}

std::optional<std::string> readIncludeBeside(const std::string& unitPath, std::string_view name)
{
    const fs::path unit(unitPath);
    std::string relative(name);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (const std::size_t star = relative.find('*'); star != std::string::npos)
        relative.replace(star, 1, unit.stem().string());
    const fs::path wanted = unit.parent_path() / relative;
    std::vector<std::string> names{wanted.filename().string()};
    if (!wanted.has_extension()) {
        for (const char* extension : {".pas", ".inc", ".pp"})
            names.push_back(names.front() + extension);
    }
    for (const std::string& tried : names) {
        if (const std::optional<std::string> path = findFileIgnoringCase(wanted.parent_path().string(), tried))
            return readSource(*path);
    }
    return std::nullopt;
}

}  // namespace dfm
