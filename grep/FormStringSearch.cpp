#include "FormStringSearch.h"

#include "CodePage.h"
#include "CodePageGuess.h"
#include "FileScanner.h"
#include "FormFileKind.h"
#include "FormSource.h"
#include "FormStrings.h"
#include "PosixFile.h"
#include "ResourceHeader.h"
#include "ScanMessages.h"
#include "Utf8.h"
#include "ViewStream.h"

#include <array>
#include <cerrno>
#include <cwctype>
#include <exception>
#include <fcntl.h>
#include <locale.h>
#include <memory>
#include <new>
#include <vector>

namespace dfm {

namespace {

// Unicode's simple case folding of the basic plane, as the C library's UTF-8 locale knows it:
// upper case, then lower, so that final and other sigmas, and the Kelvin sign, fold alike.
const std::array<char16_t, 0x10000>& foldTable()
{
    static const std::unique_ptr<std::array<char16_t, 0x10000>> table = [] {
        auto folds = std::make_unique<std::array<char16_t, 0x10000>>();
        const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        for (std::size_t c = 0; c < folds->size(); ++c) {
            char16_t folded = static_cast<char16_t>(c);
            const bool surrogate = c >= 0xD800 && c < 0xE000;
            if (locale != nullptr && !surrogate) {
                const wint_t lower = ::towlower_l(::towupper_l(static_cast<wint_t>(c), locale), locale);
                if (lower < 0x10000)
                    folded = static_cast<char16_t>(lower);
            } else if (c >= 'A' && c <= 'Z') {
                folded = static_cast<char16_t>(c + 0x20);
            }
            (*folds)[c] = folded;
        }
        if (locale != nullptr)
            ::freelocale(locale);
        return folds;
    }();
    return *table;
}

void foldInPlace(std::u16string& text)
{
    const auto& table = foldTable();
    for (char16_t& c : text)
        c = table[c];
}

// Keeps a binary form's narrow strings until its page is known, and searches its wide strings
// at once.
class BinaryStrings : public FormStringSink {
public:
    explicit BinaryStrings(const FormStringSearch& search) : search_(search) {}

    void narrowString(std::string_view bytes) override
    {
        evidence.addString(bytes);
        narrowStarts.push_back(narrow.size());
        narrow.append(bytes);
    }
    void wideString(std::u16string_view text) override { found = found || search_.stringHolds(text); }
    void charset(std::string_view value) override { evidence.addCharset(value); }

    PageEvidence evidence;
    std::string narrow;
    std::vector<std::size_t> narrowStarts;  // where each narrow string starts in narrow
    bool found = false;

private:
    const FormStringSearch& search_;
};

}  // namespace

FormStringSearch::FormStringSearch(std::u16string_view key, bool caseSensitive, int codePage)
    : key_(key), fold_(!caseSensitive), codePage_(codePage)
{
    if (fold_)
        foldInPlace(key_);
}

bool FormStringSearch::stringHolds(std::u16string_view text) const
{
    if (text.size() < key_.size())
        return false;
    if (!fold_)
        return text.find(key_) != std::u16string_view::npos;
    std::u16string folded(text);
    foldInPlace(folded);
    return folded.find(key_) != std::u16string::npos;
}

bool FormStringSearch::formHolds(std::string_view form) const
{
    const int defaultPage = CodePage::system().number();
    ViewStream input(form);
    const FormFileKind kind = formFileKindOf(form.substr(0, FormKindProbeSize));
    if (kind == FormFileKind::Text) {
        // Text of plain ASCII reads alike in every page; UTF-8 text needs none.
        const Utf8Check check = checkUtf8(form);
        const bool utf8 = form.starts_with("\xEF\xBB\xBF") || (check.wellFormed && check.beyondAscii);
        const int page = codePage_ != 0 || utf8 || !check.beyondAscii ? codePage_
                                                                       : CodePageGuess::guess(form, {}, defaultPage).number;
        bool found = false;
        try {
            readTextFormStrings(input, utf8 ? TextEncoding::Utf8 : TextEncoding::CodePage,
                                CodePage::forNumber(page != 0 ? page : defaultPage),
                                [&](std::u16string_view text) { found = found || stringHolds(text); });
        } catch (const std::exception&) {
            // A form that breaks off is searched as far as it reads.
        }
        return found;
    }
    if (kind != FormFileKind::Resource && kind != FormFileKind::Stream)
        return false;
    BinaryStrings strings(*this);
    try {
        if (kind == FormFileKind::Resource)
            skipResourceHeader(input);
        readBinaryFormStrings(input, strings);
    } catch (const std::exception&) {
        // As far as it reads, as above.
    }
    if (strings.found)
        return true;
    // Strings of plain ASCII read alike in every page; only others need the form's own.
    const int page = codePage_ != 0 ? codePage_
        : strings.evidence.strings.empty() ? defaultPage
                                          : CodePageGuess::guess(strings.evidence, {}, defaultPage).number;
    const CodePage& codePage = CodePage::forNumber(page);
    const std::vector<std::size_t>& starts = strings.narrowStarts;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : strings.narrow.size();
        if (stringHolds(codePage.decode(std::string_view(strings.narrow).substr(starts[i], end - starts[i]))))
            return true;
    }
    return false;
}

bool FormStringSearch::fileHolds(const std::string& path, ScanMessages& messages) const
{
    try {
        // Non-blocking, so that a pipe under a form's name cannot hang the search.
        PosixFile file = PosixFile::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        std::string bytes;
        FormFileKind kind = FormFileKind::Unknown;
        if (!file.isOpen() || !readFormBytes(file, bytes, kind)) {
            messages.scanError(FileScanner::scanErrorText(path, errno));
            return false;
        }
        if (kind == FormFileKind::Unknown)
            return false;
        return formHolds(bytes);
    } catch (const std::bad_alloc&) {
        messages.scanWarning("Not enough memory to perform search.");
        return false;
    }
}

}  // namespace dfm
