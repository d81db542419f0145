#include "FileScanner.h"

#include "Bytes16.h"
#include "CodePage.h"
#include "KeyEncodings.h"
#include "PosixFile.h"
#include "ScanMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>

namespace dfm::FileScanner {

namespace {

// Non-blocking, so that a pipe that slips in under a form's name cannot hang the scan.
PosixFile openForScan(const std::string& path)
{
    return PosixFile::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

// The scan itself, a shortage of memory thrown as std::bad_alloc. Each block is read once and
// handed to find (the start of the first occurrence in it, or -1); blocks overlap by the longest
// pattern, so that an occurrence across their border lies whole in the second.
template <typename Find>
std::int64_t scanOrThrow(const std::string& path, std::size_t overlap, ScanMessages& messages, const Find& find)
{
    // A block twice the overlap at least, so that each one moves the scan on.
    const std::size_t blockSize = std::max(ScanBlockSize, 2 * overlap);
    const auto buffer = std::make_unique_for_overwrite<char[]>(blockSize);

    std::int64_t result = -1;
    int error = 0;  // errno of the first failure
    PosixFile file = openForScan(path);
    if (!file.isOpen())
        error = errno;
    std::int64_t position = 0;  // where the block starts
    while (error == 0) {
        const std::int64_t count = file.readFully(buffer.get(), blockSize);
        if (count < 0) {
            error = errno;
            break;
        }
        const auto n = static_cast<std::size_t>(count);
        const std::int64_t start = find(buffer.get(), n);
        if (start != -1) {
            result = position + start;
            break;
        }
        // A short block means the end has been met: there is nothing more to read.
        if (n < blockSize)
            break;
        if (file.seek(-static_cast<std::int64_t>(overlap), SEEK_CUR) < 0)
            error = errno;
        position += count - static_cast<std::int64_t>(overlap);
    }
    if (file.isOpen() && !file.close() && error == 0)
        error = errno;
    if (error != 0) {
        messages.scanError(scanErrorText(path, error));
        return -1;
    }
    return result;
}

// Memory that runs out anywhere in the scan, not only for the block, costs this file alone.
template <typename Scan>
std::int64_t guarded(ScanMessages& messages, const Scan& scan)
{
    try {
        return scan();
    } catch (const std::bad_alloc&) {
        messages.scanWarning("Not enough memory to perform search.");
        return -1;
    }
}

}  // namespace

std::int64_t scanFile(std::string_view key, const std::string& path, bool fold, ScanMessages& messages,
                      const CodePage& page)
{
    if (key.empty() || key.size() > MaxKeyLength)
        return -1;
    if (fold && hasPageLetters(key))
        return guarded(messages, [&] { return scanFile(KeyEncodings(key, {}, page, true), path, messages); });
    return guarded(messages, [&] {
        const std::string wanted = fold ? page.upperCase(key) : std::string(key);
        const SkipTable skip = buildSkipTable(wanted);
        return scanOrThrow(path, wanted.size(), messages, [&](char* block, std::size_t n) -> std::int64_t {
            if (fold)
                upperCaseBuffer(block, n);
            const std::int64_t distance = findInBuffer(wanted, skip, std::string_view(block, n));
            return distance == -1 ? -1 : static_cast<std::int64_t>(n) - distance;
        });
    });
}

std::int64_t scanFile(const KeyEncodings& key, const std::string& path, ScanMessages& messages)
{
    if (key.count() == 0)
        return -1;
    return guarded(messages, [&] {
        return scanOrThrow(path, key.longest(), messages,
                           [&](const char* block, std::size_t n) { return key.find(std::string_view(block, n)); });
    });
}

bool hasPageLetters(std::string_view key)
{
    return std::any_of(key.begin(), key.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

SkipTable buildSkipTable(std::string_view key)
{
    SkipTable skip;
    const std::size_t m = key.size();
    skip.fill(static_cast<std::uint16_t>(m));
    for (std::size_t j = 0; j + 1 < m; ++j)
        skip[static_cast<unsigned char>(key[j])] = static_cast<std::uint16_t>(m - 1 - j);
    return skip;
}

std::int64_t findInBuffer(std::string_view key, const SkipTable& skip, std::string_view text)
{
    const std::size_t m = key.size();
    const std::size_t n = text.size();
    if (m == 0 || m > n)
        return -1;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto* k = reinterpret_cast<const unsigned char*>(key.data());
    const unsigned char last = k[m - 1];
    // Sixteen starts at a time: only a start under both the key's first and last byte is worth
    // a comparison, which on text and binary data alike leaves few. A Horspool loop waits on
    // each shift's load before taking the next, and took longer than reading the file.
    const Bytes16 firsts = Bytes16{} + k[0];
    const Bytes16 lasts = Bytes16{} + last;
    std::size_t start = 0;
    for (; start + m + 15 <= n; start += 16) {
        const auto hits = (load16(t + start) == firsts) & (load16(t + start + m - 1) == lasts);
        if (!anySet(hits))
            continue;
        for (std::size_t i = 0; i < 16; ++i) {
            if (hits[i] && std::memcmp(t + start + i, k, m) == 0)
                return static_cast<std::int64_t>(n - (start + i));
        }
    }
    // The last starts, too few for sixteen: the shift comes from the text byte under the key's
    // last position.
    for (std::size_t pos = start + m - 1; pos < n; pos += skip[t[pos]]) {
        if (t[pos] == last && std::memcmp(t + pos + 1 - m, k, m - 1) == 0)
            return static_cast<std::int64_t>(n - (pos + 1 - m));
    }
    return -1;
}

void upperCaseBuffer(char* buffer, std::size_t count)
{
    // Eight bytes at a time: the fold of every block sits in the scan's inner loop.
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t x;
        std::memcpy(&x, buffer + i, 8);
        const std::uint64_t low7 = x & (0x7F * ones);
        const std::uint64_t atLeastA = low7 + (0x80 - 'a') * ones;
        const std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * ones;
        const std::uint64_t lower = atLeastA & ~aboveZ & ~x & (0x80 * ones);
        x ^= lower >> 2;
        std::memcpy(buffer + i, &x, 8);
    }
    for (; i < count; ++i) {
        if (buffer[i] >= 'a' && buffer[i] <= 'z')
            buffer[i] = static_cast<char>(buffer[i] - 0x20);
    }
}

std::string scanErrorText(const std::string& path, int error)
{
    return "Cannot scan " + path + ".\r" + ioErrorText(ioErrorCode(error)) + ".";
}

std::string ioErrorText(int code)
{
    switch (code) {
    case 2: return "File not found";
    case 3: return "Path not found";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 6: return "Invalid file handle";
    case 12: return "Invalid file access code";
    case 15: return "Invalid drive";
    case 100: return "Disk read error";
    case 101: return "Disk write error";
    case 102: return "File not assigned";
    case 103: return "File not open";
    default: return {};
    }
}

int ioErrorCode(int error)
{
    switch (error) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM: return 5;
    case EBADF: return 6;
    case EIO: return 100;
    default: return 0;
    }
}

}  // namespace dfm::FileScanner
