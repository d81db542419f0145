// The grep search: checks the inputs, walks a directory (and, if asked, its subdirectories)
// depth first, and lists every file of the mask's extensions that holds the key.
#pragma once

#include "FormStringSearch.h"
#include "KeyEncodings.h"

#include <compare>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

class CodePage;
class GrepHost;

struct GrepRequest {
    std::string directory;  // as typed; "/" is added when missing
    std::string mask;       // extensions separated by ";", such as pas;dfm
    std::string key;        // bytes of the code page; with anyEncoding, empty when the page lacks a character
    bool subdirectories = false;
    bool caseSensitive = true;
    int codePage = 0;       // the page of the key's bytes and of its case folding; 0: the system page
    // Also the key as UTF-16LE (the wide strings of binary forms) and as UTF-8, made from keyText.
    bool anyEncoding = false;
    std::u16string keyText;
    // Instead of bytes, keyText in the strings of forms as a user reads them (other files are
    // passed over); codePage, when not 0, then overrides each form's own page.
    bool formStrings = false;
};

class GrepEngine {
public:
    enum class Outcome { Refused, Stopped, Completed };

    explicit GrepEngine(GrepHost& host) : host_(host) {}
    Outcome search(const GrepRequest& request);

    static std::string foundText(std::size_t count);
    // Whether name matches "*." + piece the way form-file masks always have: "*" and "?" as
    // wildcards, letters without regard to case, and a final "." or ".*" also matching the
    // end of a name without an extension.
    static bool matchesPiece(std::string_view name, std::string_view piece);

private:
    struct DirectoryId {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        auto operator<=>(const DirectoryId&) const = default;
    };
    struct Entry;

    static std::vector<Entry> readDirectory(const std::string& dir, std::optional<DirectoryId>& id);
    bool checkDirectory(const std::string& text);
    bool checkMask(const std::string& text);
    bool checkKey();
    // Each returns false when Stop ended the search.
    bool searchDirectory(const std::string& dir);
    bool checkFile(const std::string& path, bool& found);

    GrepHost& host_;
    GrepRequest request_;
    const CodePage* page_ = nullptr;
    // With anyEncoding, or a folded key with the page's letters.
    std::optional<KeyEncodings> encodings_;
    std::optional<FormStringSearch> formSearch_;
    std::string root_;
    // Every directory walked so far in this search, by device and inode.
    std::set<DirectoryId> walked_;
};

}  // namespace dfm
