// bench_join: writes a large binary form made of real forms, their root objects joined as the
// children of one generated root, taken over and over until the stream reaches the size asked.
#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "FormWriter.h"
#include "MemoryStream.h"
#include "ResourceHeader.h"
#include "TextToBinary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The bytes of a file's root object record (its stream without the signature and without what
// follows the record), or nothing when it is no form that converts to text and back unchanged:
// the benchmark checks its round trip byte for byte.
std::string rootObject(const std::filesystem::path& path)
{
    try {
        dfm::FileStream file(path.string(), dfm::FileStream::Mode::OpenRead);
        dfm::skipResourceHeader(file);
        dfm::MemoryStream stream;
        stream.copyFrom(file);
        stream.setPosition(0);
        dfm::MemoryStream text;
        dfm::binaryToText(stream, text);
        // The reader leaves the stream at the end of the root object's record.
        const auto end = static_cast<std::size_t>(stream.position());
        const std::string_view record = stream.view().substr(0, end);
        text.setPosition(0);
        dfm::MemoryStream back;
        dfm::textToBinary(text, back);
        if (back.view() != record)
            return {};
        return std::string(record.substr(4));
    } catch (const std::exception&) {
        return {};
    }
}

int usage()
{
    std::fprintf(stderr, "usage: bench_join OUT.dfm MEGABYTES FOLDER\n"
                         "  writes a form of at least MEGABYTES MiB of binary stream whose root holds the\n"
                         "  root objects of the binary forms in FOLDER (those that convert to text and\n"
                         "  back unchanged), in name order, over and over\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return usage();
    char* end = nullptr;
    const long megabytes = std::strtol(argv[2], &end, 10);
    // The header's stream size is 32 bits.
    if (end == argv[2] || *end != '\0' || megabytes < 1 || megabytes > 4000)
        return usage();
    const std::uint64_t target = static_cast<std::uint64_t>(megabytes) << 20;

    try {
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(argv[3]))
            if (entry.is_regular_file())
                paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        std::vector<std::string> objects;
        std::uint64_t roundBytes = 0;
        for (const auto& path : paths) {
            std::string object = rootObject(path);
            if (object.empty())
                continue;
            roundBytes += object.size();
            objects.push_back(std::move(object));
        }
        if (objects.empty())
            throw dfm::ReadError(std::string("no form in ") + argv[3] + " converts to text and back unchanged");

        const std::string rootClass = "TJoinedForms";
        dfm::MemoryStream stream;
        {
            dfm::FormWriter writer(stream);
            writer.putSignature();
            writer.putName(rootClass);
            writer.putName("JoinedForms");
            writer.putListEnd();  // no properties
            while (stream.byteCount() < target) {
                for (const auto& object : objects)
                    writer.putBytes(object.data(), object.size());
                writer.flush();
            }
            writer.putListEnd();
            writer.flush();
        }
        if (stream.byteCount() > 0xFFFFFFFFull)
            throw dfm::WriteError("stream too large for the resource header");
        dfm::FileStream file(argv[1], dfm::FileStream::Mode::Create);
        const std::string header = dfm::makeResourceHeader(rootClass, static_cast<std::uint32_t>(stream.byteCount()));
        file.writeBuffer(header.data(), header.size());
        file.writeBuffer(stream.memory(), stream.byteCount());
        file.flush();
        std::printf("%s: %zu bytes of form stream (+%zu header), %zu of %zu forms of %s joined, %llu bytes a round\n",
                    argv[1], stream.byteCount(), header.size(), objects.size(), paths.size(), argv[3],
                    static_cast<unsigned long long>(roundBytes));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_join: %s\n", e.what());
        return 1;
    }
    return 0;
}
