// Reading the form files dfmconv is given: the first bytes that tell their format, a binary form
// held in memory, form text with the encoding it is in.
#pragma once

#include "ByteStream.h"
#include "FormParser.h"
#include "MemoryStream.h"
#include "PosixFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace dfmconv {

inline constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// The size of a file that can be had by seeking to its end, else 0. Pipes, terminals and devices
// have none, and files under /proc report 0: those are read to their end like a stream.
std::size_t fileSizeOf(const dfm::PosixFile& file);

// The file named, or standard input for "-"; a folder cannot be opened.
dfm::PosixFile openInput(const std::string& path);

// The first bytes of file, which tell its kind: FormKindProbeSize of them, or all it has.
std::string readProbe(dfm::PosixFile& file);

// A binary form file read whole into memory, or of a stream as much as its header says the form
// has and one byte more (to tell that something follows). probe holds the first bytes, already
// read. A start that cannot be a resource header is refused before more is read, so that
// /dev/zero or a huge file of anything else costs nothing.
std::unique_ptr<dfm::MemoryStream> readBinaryForm(dfm::PosixFile& file, std::string_view probe);

// Form text ready to be read, and how.
struct TextInput {
    std::unique_ptr<dfm::ByteStream> stream;
    dfm::TextEncoding encoding = dfm::TextEncoding::CodePage;
    bool seekable = false;  // stream can go back to the start; else held has the text read
    std::string held;
};

// Opens form text whose first bytes probe holds. It is UTF-8 when forced, after a byte order
// mark, or when it is valid UTF-8 with bytes beyond ASCII, which takes all of it to tell: a file
// is scanned first and read again, a pipe held in memory (up to a NUL byte or the first byte that
// is no UTF-8, after which it is the code page's, unless holdWhole asks for everything up to a
// NUL byte all the same).
TextInput openText(dfm::PosixFile file, std::string probe, bool forceUtf8, bool holdWhole);

}  // namespace dfmconv
