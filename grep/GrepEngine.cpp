#include "GrepEngine.h"

#include "FileScanner.h"
#include "GrepHost.h"

#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dfm {

namespace {

bool isHidden(const char* name)
{
    return name[0] == '.';
}

bool sameLetter(char a, char b)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; };
    return upper(a) == upper(b);
}

}  // namespace

struct GrepEngine::Entry {
    std::string name;
    bool isFile = false;
    bool isDirectory = false;
};

// The visible entries of dir in the order the file system gives them, with its own identity;
// a directory that cannot be read has none.
std::vector<GrepEngine::Entry> GrepEngine::readDirectory(const std::string& dir, std::optional<DirectoryId>& id)
{
    std::vector<Entry> entries;
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr)
        return entries;
    struct stat info {};
    if (::fstat(::dirfd(stream), &info) == 0)
        id = DirectoryId{info.st_dev, info.st_ino};
    while (const dirent* item = ::readdir(stream)) {
        if (isHidden(item->d_name))
            continue;
        Entry entry{item->d_name};
        if (item->d_type == DT_REG) {
            entry.isFile = true;
        } else if (item->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            // A link counts as what it leads to; a dangling one as nothing.
            struct stat target {};
            if (::stat((dir + entry.name).c_str(), &target) == 0) {
                entry.isFile = S_ISREG(target.st_mode);
                entry.isDirectory = S_ISDIR(target.st_mode);
            }
        }
        if (entry.isFile || entry.isDirectory)
            entries.push_back(std::move(entry));
    }
    ::closedir(stream);
    return entries;
}

GrepEngine::Outcome GrepEngine::search(const GrepRequest& request)
{
    request_ = request;
    encodings_.reset();
    formSearch_.reset();
    if (!checkDirectory(request.directory) || !checkMask(request.mask) || !checkKey())
        return Outcome::Refused;
    // The page and the key's encodings are made once, before any file: memory that runs out
    // while a file is in hand then costs that file alone.
    page_ = &KeyEncodings::page(request.codePage);
    if (request.formStrings)
        formSearch_.emplace(request.keyText, request.caseSensitive, request.codePage);
    else if (request.anyEncoding)
        encodings_.emplace(request.keyText, *page_, !request.caseSensitive);
    else if (!request.caseSensitive && FileScanner::hasPageLetters(request.key))
        encodings_.emplace(request.key, std::u16string(), *page_, true);
    host_.searchStarted();
    struct Ending {
        GrepHost& host;
        ~Ending() { host.searchEnded(); }
    } ending{host_};
    walked_.clear();
    if (!searchDirectory(root_))
        return Outcome::Stopped;
    host_.showStatus(foundText(host_.fileCount()), false);
    return Outcome::Completed;
}

std::string GrepEngine::foundText(std::size_t count)
{
    return "Found " + std::to_string(count) + " file(s).";
}

bool GrepEngine::matchesPiece(std::string_view name, std::string_view piece)
{
    const std::string pattern = "*." + std::string(piece);
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    const std::string_view rest = std::string_view(pattern).substr(p);
    return rest.empty() || ((rest == "." || rest == ".*") && name.find('.') == std::string_view::npos);
}

bool GrepEngine::checkDirectory(const std::string& text)
{
    // A relative text is taken from where the search starts, and the list shows full paths.
    std::error_code error;
    std::filesystem::path root(text);
    if (!text.empty() && root.is_relative())
        root = std::filesystem::absolute(root, error).lexically_normal();
    if (text.empty() || error || ::chdir(text.c_str()) != 0) {
        host_.inputRefused(GrepInput::Directory, "Can't find dir : " + text);
        return false;
    }
    root_ = root.string();
    if (root_.empty() || root_.back() != '/')
        root_ += '/';
    return true;
}

bool GrepEngine::checkMask(const std::string& text)
{
    if (!text.empty())
        return true;
    host_.inputRefused(GrepInput::Mask, "You must provide a file mask (Example: pas)");
    return false;
}

bool GrepEngine::checkKey()
{
    // Without the page's bytes the key is as long as its UTF-8 form (or, with a lone surrogate
    // that has none, its UTF-16 form).
    std::size_t size = request_.key.size();
    if ((request_.anyEncoding || request_.formStrings) && size == 0) {
        std::string utf8;
        size = KeyEncodings::toUtf8(request_.keyText, utf8) ? utf8.size() : 2 * request_.keyText.size();
    }
    if (size == 0) {
        host_.inputRefused(GrepInput::Key, "Search Key can't be empty");
        return false;
    }
    if (size > FileScanner::MaxKeyLength) {
        host_.inputRefused(GrepInput::Key, "Search Key can't be longer than " + std::to_string(FileScanner::MaxKeyLength) +
                                               " bytes (this one has " + std::to_string(size) + ")");
        return false;
    }
    return true;
}

bool GrepEngine::searchDirectory(const std::string& dir)
{
    std::optional<DirectoryId> id;
    const std::vector<Entry> entries = readDirectory(dir, id);
    // Each real directory once, however many links lead to it: a link back up would never end,
    // and links that fan out to the same directories would multiply the walk at every level.
    if (id && !walked_.insert(*id).second)
        return true;
    // Every piece of the mask in turn, as typed: "pas;dfm" tests all .pas files, then all .dfm.
    std::string_view rest = request_.mask;
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view piece = rest.substr(0, semicolon);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        for (const Entry& entry : entries) {
            if (!entry.isFile || !matchesPiece(entry.name, piece))
                continue;
            bool found = false;
            const std::string path = dir + entry.name;
            if (!checkFile(path, found))
                return false;
            if (found)
                host_.addFile(path);
        }
    }
    if (!request_.subdirectories)
        return true;
    for (const Entry& entry : entries) {
        if (entry.isDirectory && !searchDirectory(dir + entry.name + '/'))
            return false;
    }
    return true;
}

bool GrepEngine::checkFile(const std::string& path, bool& found)
{
    char count[32];
    std::snprintf(count, sizeof count, "%04zu ", host_.fileCount());
    const std::string status = count + path;
    host_.showStatus(status, false);
    host_.letEventsThrough();
    if (host_.takeStopRequest())
        return false;
    if (formSearch_)
        found = formSearch_->fileHolds(path, host_);
    else
        found = (encodings_ ? FileScanner::scanFile(*encodings_, path, host_)
                        : FileScanner::scanFile(request_.key, path, !request_.caseSensitive, host_, *page_)) != -1;
    if (found)
        host_.showStatus(status, true);
    return true;
}

}  // namespace dfm
