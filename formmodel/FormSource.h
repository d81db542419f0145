// The one way every program reads a form file of any kind: the first bytes that tell its kind
// (never its name), a binary form held in memory, form text with the encoding it is in, and the
// form's text as the editor shows it.
#pragma once

#include "ByteStream.h"
#include "CodePage.h"
#include "FormFileKind.h"
#include "FormModel.h"
#include "FormParser.h"
#include "MemoryStream.h"
#include "PosixFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace dfm {

inline constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// The size of a file that can be had by seeking to its end, else 0. Pipes, terminals and devices
// have none, and files under /proc report 0: those are read to their end like a stream.
std::size_t fileSizeOf(const PosixFile& file);

// The file named, opened to be read; a folder cannot be opened. FileOpenError names why not.
PosixFile openFile(const std::string& path);
// The same, or standard input for "-".
PosixFile openInput(const std::string& path);

// The first bytes of file, which tell its kind: FormKindProbeSize of them, or all it has.
std::string readProbe(PosixFile& file);

// The bytes of a form file opened by the caller, for a search of its strings: the first bytes,
// and the rest only when they tell a form (kind is then not Unknown). False, with errno, when the
// file cannot be read.
bool readFormBytes(PosixFile& file, std::string& bytes, FormFileKind& kind);

// A binary form file read whole into memory, or of a stream as much as its header says the form
// has and one byte more (to tell that something follows). probe holds the first bytes, already
// read. A start that cannot be a resource header is refused before more is read, so that
// /dev/zero or a huge file of anything else costs nothing.
std::unique_ptr<MemoryStream> readBinaryForm(PosixFile& file, std::string_view probe);

// A binary form file ready to be read from its start: a file straight from the disk, a pipe or
// device read into memory first (the binary readers move back over what they read ahead).
// probe holds the first bytes, already read.
std::unique_ptr<ByteStream> openBinaryForm(PosixFile& file, std::string_view probe);

// Form text ready to be read, and how.
struct TextInput {
    std::unique_ptr<ByteStream> stream;
    TextEncoding encoding = TextEncoding::CodePage;
    bool seekable = false;  // stream can go back to the start; else held has the text read
    std::string held;
};

// Opens form text whose first bytes probe holds. It is UTF-8 when forced, after a byte order
// mark, or when it is valid UTF-8 with bytes beyond ASCII, which takes all of it to tell: a file
// is scanned first and read again, a pipe held in memory (up to a NUL byte or the first byte that
// is no UTF-8, after which it is the code page's, unless holdWhole asks for everything up to a
// NUL byte all the same).
TextInput openText(PosixFile file, std::string probe, bool forceUtf8, bool holdWhole);

// A form file read as form text: a binary form converted, form text as its bytes.
struct FormText {
    std::string bytes;
    // What the file is; a file of no known kind is read as a binary form file, whose reader names
    // what is wrong with it, and reported as Resource.
    FormFileKind kind = FormFileKind::Resource;
    TextEncoding encoding = TextEncoding::CodePage;  // of a text form's bytes, as openText tells it
};

// How much text a reader holds: more throws Overflow, which each program names in its own words.
struct FormTextLimits {
    std::size_t textFormBytes;   // the bytes of a text form
    std::size_t convertedBytes;  // the text a binary form converts to (a small one can stand for
                                 // gigabytes of text)
    struct Overflow {};
};

// The form file at path (a file, a pipe or a device; "-" is a file of that name) as form text, a
// binary form's narrow strings decoded with page. Throws the form errors of the file layer and of
// the conversion, and FormTextLimits::Overflow.
FormText readFormText(const std::string& path, const CodePage& page, const FormTextLimits& limits);

// The form file at path read into a model: a binary form as it is, form text in the encoding it
// is in, with page for narrow strings and text that is not UTF-8. Throws what the conversion of
// the file would.
FormModel readFormModel(const std::string& path, const CodePage& page);

}  // namespace dfm
