// bench_convert: measures memcpy bandwidth, then the speed and peak memory of both form conversions, file to file.
#include "BinaryToText.h"
#include "Errors.h"
#include "FileStream.h"
#include "ProcessMeasures.h"
#include "TextToBinary.h"
#include "ViewStream.h"

#include <malloc.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr double MB = 1e6;

// Targets of the conversions (MB = 10^6 bytes); TextToResource may hold its output in memory.
constexpr double ToTextTargetMBs = 1000.0;
constexpr double ToTextMemoryTargetMiB = 8.0;
constexpr double ToBinaryTargetMBs = 1000.0;

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point start, Clock::time_point stop)
{
    return std::chrono::duration<double>(stop - start).count();
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw dfm::FileOpenError(path);
    return static_cast<std::uint64_t>(info.st_size);
}

double measureMemcpyGBs()
{
    constexpr std::size_t size = 256u << 20;
    // Not value-initialised: the memsets below touch every page before the timing.
    std::unique_ptr<unsigned char[]> source(new unsigned char[size]);
    std::unique_ptr<unsigned char[]> target(new unsigned char[size]);
    std::memset(source.get(), 0x5A, size);
    std::memset(target.get(), 0xA5, size);
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        std::memcpy(target.get(), source.get(), size);
        // Keep the copy from being dropped as dead.
        asm volatile("" : : "r"(target.get()) : "memory");
        best = std::min(best, secondsBetween(start, Clock::now()));
    }
    if (target[size / 2] != 0x5A)
        std::fprintf(stderr, "memcpy check failed\n");
    return static_cast<double>(size) / best / 1e9;
}

struct Result {
    double bestSeconds = 1e30;
    double bestCpuSeconds = 1e30;
    double peakMiB = -1;  // largest over the runs, above the baseline
    std::vector<double> runSeconds;
};

// output is removed before each run, outside the timing: truncating the last run's output
// would time the file system freeing it (and its pending write-back) as well. The disk is then
// brought up to date, so that no run shares the core with writing back an earlier one.
Result measure(const std::function<void()>& convert, const std::string& output, bool peakWorks)
{
    Result result;
    for (int run = 0; run < Runs; ++run) {
        std::remove(output.c_str());
        ::sync();
        // Hand back what earlier runs freed, so that their heap does not hide this run's growth.
        ::malloc_trim(0);
        long baseline = -1;
        if (peakWorks && resetPeak())
            baseline = statusKiB("VmRSS:");
        const double cpuStart = cpuSeconds();
        const auto start = Clock::now();
        convert();
        const double seconds = secondsBetween(start, Clock::now());
        result.bestCpuSeconds = std::min(result.bestCpuSeconds, cpuSeconds() - cpuStart);
        const long peak = statusKiB("VmHWM:");
        if (baseline >= 0 && peak >= 0)
            result.peakMiB = std::max(result.peakMiB, static_cast<double>(peak - baseline) / 1024.0);
        result.runSeconds.push_back(seconds);
        result.bestSeconds = std::min(result.bestSeconds, seconds);
    }
    return result;
}

// Reading the input and writing as many bytes as the conversion writes, in 64 KiB pieces:
// what the file system alone costs, the ceiling for a conversion on the same files.
Result ioAlone(const std::string& input, std::uint64_t outputBytes, const std::string& output)
{
    std::vector<unsigned char> chunk(64 * 1024, 'x');
    return measure(
        [&] {
            dfm::FileStream in(input, dfm::FileStream::Mode::OpenRead);
            dfm::FileStream out(output, dfm::FileStream::Mode::Create);
            while (in.read(chunk.data(), chunk.size()) > 0) {
            }
            for (std::uint64_t left = outputBytes; left > 0;) {
                const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
                out.writeBuffer(chunk.data(), n);
                left -= n;
            }
        },
        output, false);
}

// Takes what is written and keeps none of it, as a file would take it (it can be sought and cut),
// so that a conversion from memory into it is the converter's own work: no file system, no
// kernel copies, no fresh memory to fill.
class SinkStream : public dfm::ByteStream {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void*, std::size_t count) override
    {
        position_ += static_cast<std::int64_t>(count);
        size_ = std::max(size_, position_);
        return count;
    }
    std::int64_t seek(std::int64_t offset, dfm::SeekOrigin origin) override
    {
        const std::int64_t base = origin == dfm::SeekOrigin::Beginning ? 0
            : origin == dfm::SeekOrigin::Current                      ? position_
                                                                      : size_;
        position_ = std::max<std::int64_t>(0, base + offset);
        return position_;
    }
    bool isRewritable() override { return true; }
    void truncate(std::int64_t length) override { size_ = std::min(size_, length); }

private:
    std::int64_t position_ = 0;
    std::int64_t size_ = 0;
};

std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// First differing offset, or -1 when the files hold the same bytes.
std::int64_t firstDifference(const std::string& a, const std::string& b)
{
    dfm::FileStream left(a, dfm::FileStream::Mode::OpenRead);
    dfm::FileStream right(b, dfm::FileStream::Mode::OpenRead);
    std::vector<unsigned char> x(1 << 20), y(1 << 20);
    std::int64_t offset = 0;
    for (;;) {
        const std::size_t n = left.read(x.data(), x.size());
        std::size_t m = 0;
        while (m < n) {
            const std::size_t got = right.read(y.data() + m, n - m);
            if (got == 0)
                break;
            m += got;
        }
        const std::size_t common = std::min(n, m);
        for (std::size_t i = 0; i < common; ++i)
            if (x[i] != y[i])
                return offset + static_cast<std::int64_t>(i);
        if (n != m)
            return offset + static_cast<std::int64_t>(common);
        if (n == 0)
            return right.read(y.data(), 1) == 0 ? -1 : offset;
        offset += static_cast<std::int64_t>(n);
    }
}

void printRow(const char* name, std::uint64_t inputBytes, const Result& result, double memcpyMBs)
{
    const double mbs = static_cast<double>(inputBytes) / MB / result.bestSeconds;
    const double cpuMBs = static_cast<double>(inputBytes) / MB / result.bestCpuSeconds;
    std::printf("%-22s %9.1f %8.3f %8.1f %8.2f%% %8.3f %8.1f", name, static_cast<double>(inputBytes) / MB,
                result.bestSeconds, mbs, 100.0 * mbs / memcpyMBs, result.bestCpuSeconds, cpuMBs);
    if (result.peakMiB >= 0)
        std::printf(" %11.2f", result.peakMiB);
    else
        std::printf(" %11s", "n/a");
    std::printf("   (runs:");
    for (const double s : result.runSeconds)
        std::printf(" %.3f", s);
    std::printf(" s)\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench_convert FILE.dfm [TEMPDIR]\n"
                             "  times ResourceToText and TextToResource file to file (best of %d);\n"
                             "  temporary files go to TEMPDIR, /tmp by default\n",
                     Runs);
        return 2;
    }
    const std::string input = argv[1];
    const std::string tempDir = argc == 3 ? argv[2] : "/tmp";
    const std::string tempBase = tempDir + "/bench_convert." + std::to_string(::getpid());
    const std::string textFile = tempBase + ".txt";
    const std::string binaryFile = tempBase + ".dfm";
    const std::string ioFile = tempBase + ".io";

    // One core, the one we start on: the conversions are single-threaded, and a process that the
    // scheduler moves between cores mid-run measures the move, not the code.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(static_cast<unsigned>(::sched_getcpu()), &one);
    if (::sched_setaffinity(0, sizeof one, &one) != 0)
        std::perror("sched_setaffinity");

    int status = 0;
    try {
        const std::uint64_t inputBytes = fileSize(input);

        std::printf("memcpy: copying 256 MiB, best of 5 ...\n");
        const double memcpyGBs = measureMemcpyGBs();
        const double memcpyMBs = memcpyGBs * 1000.0;
        std::printf("memcpy bandwidth: %.2f GB/s (bytes copied per second)\n\n", memcpyGBs);

        // The memcpy buffers are gone, so the peak now stands well above the resident size:
        // a reset that works brings it back down.
        ::malloc_trim(0);
        const long peakBefore = statusKiB("VmHWM:");
        const bool resetDone = resetPeak();
        const long peakAfter = statusKiB("VmHWM:");
        const long resident = statusKiB("VmRSS:");
        const bool peakWorks = resetDone && peakAfter >= 0 && resident >= 0 && peakAfter <= resident + 256
            && peakAfter < peakBefore;
        std::printf("peak reset (clear_refs 5): %s (VmHWM %ld KiB -> %ld KiB, VmRSS %ld KiB)\n\n",
                    peakWorks ? "works" : "DOES NOT WORK, peaks not measured", peakBefore, peakAfter, resident);

        const Result toText = measure(
            [&] {
                dfm::FileStream in(input, dfm::FileStream::Mode::OpenRead);
                dfm::FileStream out(textFile, dfm::FileStream::Mode::Create);
                dfm::resourceToText(in, out);
            },
            textFile, peakWorks);
        const std::uint64_t textBytes = fileSize(textFile);

        const Result toBinary = measure(
            [&] {
                dfm::FileStream in(textFile, dfm::FileStream::Mode::OpenRead);
                dfm::FileStream out(binaryFile, dfm::FileStream::Mode::Create);
                dfm::textToResource(in, out);
            },
            binaryFile, peakWorks);

        const std::int64_t difference = firstDifference(input, binaryFile);
        const std::uint64_t binaryBytes = fileSize(binaryFile);

        const Result toTextIo = ioAlone(input, textBytes, ioFile);
        const Result toBinaryIo = ioAlone(textFile, binaryBytes, ioFile);

        // The conversion from the file's bytes held in memory into a stream that keeps nothing.
        const auto conversionAlone = [&](const std::string& path, void (*convert)(dfm::ByteStream&, SinkStream&)) {
            const std::string held = fileBytes(path);
            return measure(
                [&] {
                    dfm::ViewStream in(held);
                    SinkStream out;
                    convert(in, out);
                },
                ioFile, false);
        };
        const Result toTextAlone = conversionAlone(input, [](dfm::ByteStream& in, SinkStream& out) {
            dfm::resourceToText(in, out);
        });
        const Result toBinaryAlone = conversionAlone(textFile, [](dfm::ByteStream& in, SinkStream& out) {
            dfm::textToResource(in, out);
        });

        std::printf("%-22s %9s %8s %8s %9s %8s %8s %11s\n", "", "input MB", "wall s", "MB/s", "of memcpy", "cpu s",
                    "cpu MB/s", "peak MiB");
        printRow("ResourceToText", inputBytes, toText, memcpyMBs);
        printRow("  its file I/O alone", inputBytes, toTextIo, memcpyMBs);
        printRow("  its conversion alone", inputBytes, toTextAlone, memcpyMBs);
        printRow("TextToResource", textBytes, toBinary, memcpyMBs);
        printRow("  its file I/O alone", textBytes, toBinaryIo, memcpyMBs);
        printRow("  its conversion alone", textBytes, toBinaryAlone, memcpyMBs);
        std::printf("(MB = 10^6 bytes. Input: the binary file for ResourceToText, the text for TextToResource.\n"
                    " wall s: best of %d runs; cpu s: least user+system time of the runs; peak: VmHWM during\n"
                    " a run minus VmRSS before it, largest of the runs. File I/O alone: reading the same input\n"
                    " and writing as many bytes as the conversion, in 64 KiB pieces. Conversion alone: from\n"
                    " the input held in memory into a stream that keeps nothing, no file system involved.)\n\n",
                    Runs);

        const double toTextMBs = static_cast<double>(inputBytes) / MB / toText.bestSeconds;
        const double toBinaryMBs = static_cast<double>(textBytes) / MB / toBinary.bestSeconds;
        std::printf("memcpy is %.1fx as fast as ResourceToText and %.1fx as fast as TextToResource\n",
                    memcpyMBs / toTextMBs, memcpyMBs / toBinaryMBs);
        std::printf("round trip: %s\n\n",
                    difference < 0 ? "TextToResource gave back the input byte for byte"
                                   : ("DIFFERS from the input at offset " + std::to_string(difference)).c_str());
        if (difference >= 0)
            status = 1;

        const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
        std::printf("target ResourceToText >= %.0f MB/s:       %s (%.1f)\n", ToTextTargetMBs,
                    verdict(toTextMBs >= ToTextTargetMBs), toTextMBs);
        if (toText.peakMiB >= 0)
            std::printf("target ResourceToText <= %.0f MiB above base:  %s (%.2f)\n", ToTextMemoryTargetMiB,
                        verdict(toText.peakMiB <= ToTextMemoryTargetMiB), toText.peakMiB);
        else
            std::printf("target ResourceToText <= %.0f MiB above base:  not measured\n", ToTextMemoryTargetMiB);
        std::printf("target TextToResource >= %.0f MB/s:       %s (%.1f)\n", ToBinaryTargetMBs,
                    verdict(toBinaryMBs >= ToBinaryTargetMBs), toBinaryMBs);
        const double outputMiB = static_cast<double>(binaryBytes) / (1024.0 * 1024.0);
        if (toBinary.peakMiB >= 0)
            std::printf("target TextToResource <= output (%.2f MiB) above base: %s (%.2f)\n", outputMiB,
                        verdict(toBinary.peakMiB <= outputMiB), toBinary.peakMiB);
        else
            std::printf("target TextToResource <= output (%.2f MiB) above base: not measured\n", outputMiB);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_convert: %s\n", e.what());
        status = 1;
    }
    for (const auto& file : {textFile, binaryFile, ioFile})
        std::remove(file.c_str());
    return status;
}
