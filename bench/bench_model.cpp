// bench_model: the time and memory of building the form model, from binary and from text, of a
// large form file and of the largest form of the shared corpus.
#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "FormModel.h"
#include "MemoryStream.h"
#include "ProcessMeasures.h"
#include "ResourceHeader.h"
#include "ViewStream.h"

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double MB = 1e6;
constexpr double MiB = 1024.0 * 1024.0;

// Targets: a form of the corpus in under 10 ms; a large form at 200 MB/s of binary form, and
// at most four times the binary form's size in memory.
constexpr double CorpusTargetMs = 10.0;
constexpr double LargeTargetMBs = 200.0;
constexpr double MemoryTargetRatio = 4.0;

struct Measure {
    double bestSeconds = 1e30;
    double bestCpuSeconds = 1e30;
    double peakMiB = -1;
    std::size_t modelBytes = 0;
};

// build returns the model; its memory is counted before it is freed.
Measure measure(int runs, const std::function<dfm::FormModel()>& build)
{
    Measure result;
    for (int run = 0; run < runs; ++run) {
        ::malloc_trim(0);
        const long baseline = resetPeak() ? statusKiB("VmRSS:") : -1;
        const double cpuStart = cpuSeconds();
        const auto start = Clock::now();
        const dfm::FormModel model = build();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        result.bestCpuSeconds = std::min(result.bestCpuSeconds, cpuSeconds() - cpuStart);
        result.bestSeconds = std::min(result.bestSeconds, seconds);
        const long peak = statusKiB("VmHWM:");
        if (baseline >= 0 && peak >= 0)
            result.peakMiB = std::max(result.peakMiB, static_cast<double>(peak - baseline) / 1024.0);
        result.modelBytes = model.memoryBytes();
    }
    return result;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// The form stream of a .DFM file's bytes.
std::string formStream(const std::string& file)
{
    dfm::MemoryStream in(file);
    dfm::skipResourceHeader(in);
    return std::string(file.substr(static_cast<std::size_t>(in.position())));
}

std::string textOf(const std::string& stream)
{
    dfm::MemoryStream in(stream);
    dfm::MemoryStream out;
    dfm::binaryToText(in, out);
    return std::string(out.view());
}

void report(const char* what, double inputBytes, double streamBytes, const Measure& m)
{
    std::printf("%-30s %9.1f %9.2f %9.2f %8.1f %9.1f %9.1f %6.2f\n", what, inputBytes / MB, m.bestSeconds * 1e3,
                m.bestCpuSeconds * 1e3, streamBytes / MB / m.bestSeconds, m.peakMiB,
                static_cast<double>(m.modelBytes) / MiB, m.peakMiB * MiB / streamBytes);
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench_model FILE.dfm [CORPUS_DIR]\n"
                             "  FILE.dfm: a large binary form file (bench_generate makes one);\n"
                             "  CORPUS_DIR: the shared corpus, whose largest binary and text forms are also measured\n");
        return 2;
    }
    try {
        const std::string large = argv[1];
        const std::string corpus = argc == 3 ? argv[2] : "";

        std::printf("%-30s %9s %9s %9s %8s %9s %9s %6s\n", "", "input MB", "wall ms", "cpu ms", "MB/s", "peak MiB",
                    "model MiB", "peak/form");
        bool met = true;
        if (!corpus.empty()) {
            std::filesystem::path largest;
            for (const auto& entry : std::filesystem::directory_iterator(corpus + "/binary")) {
                if (largest.empty() || entry.file_size() > std::filesystem::file_size(largest))
                    largest = entry.path();
            }
            const std::string stream = formStream(readFile(largest.string()));
            const std::string text = textOf(stream);
            const Measure binary = measure(50, [&] {
                dfm::ViewStream in(stream);
                return dfm::FormModel::readBinary(in);
            });
            const Measure fromText = measure(50, [&] {
                dfm::ViewStream in(text);
                return dfm::FormModel::readText(in);
            });
            std::printf("largest corpus form: %s\n", largest.filename().c_str());
            report("  from binary, in memory", static_cast<double>(stream.size()), static_cast<double>(stream.size()), binary);
            report("  from text, in memory", static_cast<double>(text.size()), static_cast<double>(stream.size()), fromText);
            // The largest form of the corpus is a text form, read as the editor reads its page.
            std::filesystem::path largestText;
            for (const auto& entry : std::filesystem::directory_iterator(corpus + "/text")) {
                if (largestText.empty() || entry.file_size() > std::filesystem::file_size(largestText))
                    largestText = entry.path();
            }
            const std::string textForm = readFile(largestText.string());
            const dfm::TextEncoding encoding =
                textForm.starts_with("\xEF\xBB\xBF") ? dfm::TextEncoding::Utf8 : dfm::TextEncoding::CodePage;
            const Measure textFile = measure(50, [&] {
                dfm::ViewStream in(textForm);
                return dfm::FormModel::readText(in, encoding);
            });
            std::printf("largest corpus text form: %s\n", largestText.filename().c_str());
            report("  from text, in memory", static_cast<double>(textForm.size()), static_cast<double>(textForm.size()),
                   textFile);
            const bool corpusMet = binary.bestSeconds * 1e3 < CorpusTargetMs && fromText.bestSeconds * 1e3 < CorpusTargetMs
                && textFile.bestSeconds * 1e3 < CorpusTargetMs;
            std::printf("  target under %.0f ms: %s\n", CorpusTargetMs, verdict(corpusMet));
            met = met && corpusMet;
        }

        // The large form's text goes to a file beside it, so that neither input is held in memory.
        const std::string stream = formStream(readFile(large));
        const std::string textPath = large + ".model-bench.txt";
        {
            dfm::ViewStream in(stream);
            dfm::FileStream out(textPath, dfm::FileStream::Mode::Create);
            dfm::binaryToText(in, out);
        }
        const auto textBytes = static_cast<double>(std::filesystem::file_size(textPath));
        const auto streamBytes = static_cast<double>(stream.size());
        const Measure binary = measure(5, [&] {
            dfm::FileStream in(large, dfm::FileStream::Mode::OpenRead);
            dfm::skipResourceHeader(in);
            return dfm::FormModel::readBinary(in);
        });
        const Measure fromText = measure(5, [&] {
            dfm::FileStream in(textPath, dfm::FileStream::Mode::OpenRead);
            return dfm::FormModel::readText(in);
        });
        std::filesystem::remove(textPath);
        std::printf("large form: %s\n", large.c_str());
        report("  from binary, from the file", streamBytes, streamBytes, binary);
        report("  from text, from the file", textBytes, streamBytes, fromText);
        const auto largeMet = [&](const Measure& m) {
            return streamBytes / MB / m.bestSeconds >= LargeTargetMBs && m.peakMiB * MiB <= MemoryTargetRatio * streamBytes;
        };
        std::printf("  target %.0f MB/s of binary form and peak at most %.0fx its size: binary %s, text %s\n",
                    LargeTargetMBs, MemoryTargetRatio, verdict(largeMet(binary)), verdict(largeMet(fromText)));
        std::printf("(wall, cpu: best of the runs; MB/s: binary form bytes per wall second; peak: VmHWM during a\n"
                    " run minus VmRSS before it; model: what the model holds, arena and records)\n");
        met = met && largeMet(binary) && largeMet(fromText);
        return met ? 0 : 1;
    } catch (const dfm::FormError& error) {
        std::fprintf(stderr, "bench_model: %s\n", error.what());
        return 2;
    }
}
