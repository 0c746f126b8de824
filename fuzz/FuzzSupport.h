#pragma once
// What the fuzz targets share: a check that ends the run on a finding, and a
// folder of this process's own for the files the code under test reads and
// writes (below $TMPDIR, removed when the run ends normally).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// On failure: prints what did not hold and aborts, so that libFuzzer keeps
// the input as a finding.
#define FUZZ_CHECK(condition) ((condition) ? void(0) : FuzzFailure(#condition, __FILE__, __LINE__))

[[noreturn]] void FuzzFailure(const char* condition, const char* file, int line);

// The path of the file name in the process's folder.
std::string FuzzPath(const std::string& name);
// Writes the bytes into that file; its path.
std::string WriteFuzzFile(const std::string& name, std::string_view bytes);
std::string ReadFuzzFile(const std::string& path);

inline std::string_view FuzzBytes(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}
