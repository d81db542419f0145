// What the benchmarks measure of their own process: peak memory and processor time.
#pragma once

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// A field of /proc/self/status in KiB, or -1.
inline long statusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, keyLength, key) == 0)
            return std::strtol(line.c_str() + keyLength, nullptr, 10);
    return -1;
}

// Writing 5 to clear_refs sets the peak resident size back to the current one.
inline bool resetPeak()
{
    std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (file == nullptr)
        return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

// User plus system time of this process: on a shared machine it says what the conversion
// costs when the wall clock also counts waiting for a core.
inline double cpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

