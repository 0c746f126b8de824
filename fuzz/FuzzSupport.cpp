#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

// Made on first use, removed when the process ends normally.
struct CFuzzFolder {
    std::string path;

    CFuzzFolder() {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp && *tmp ? tmp : "/tmp") + "/nimbrel-fuzz.XXXXXX";
        if (!mkdtemp(path.data()))
            FuzzFailure("mkdtemp", __FILE__, __LINE__);
    }
    ~CFuzzFolder() { std::filesystem::remove_all(path); }
};

const std::string& Folder() {
    static const CFuzzFolder folder;
    return folder.path;
}

} // namespace

void FuzzFailure(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

std::string FuzzPath(const std::string& name) {
    return Folder() + "/" + name;
}

std::string WriteFuzzFile(const std::string& name, std::string_view bytes) {
    const std::string path = FuzzPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    FUZZ_CHECK(out.good());
    return path;
}

std::string ReadFuzzFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    FUZZ_CHECK(in.good());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
