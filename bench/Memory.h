#pragma once
// Memory figures of the running benchmark.
#include <cstddef>
#include <fstream>
#include <malloc.h>
#include <string>

// Bytes the allocator has handed out and not yet taken back.
inline std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A figure of /proc/self/status in kB (VmHWM, VmRSS, ...); -1 when missing.
inline long StatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::stol(line.substr(key.size() + 1));
    return -1;
}
