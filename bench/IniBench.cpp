// Loading an INI document against the plainest way of reading the same file:
// line by line into a vector of strings. The document is expected to cost no
// more than that reference.
#include "platform/CodePage.h"
#include "settings/IniFile.h"

#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSections = 200;
constexpr int kKeys = 50;

std::string g_path; // path bytes of the generated file

// 200 sections of 50 keys, values of Chinese text of varying length, saved
// as the document itself would save them.
std::string GeneratedIni() {
    static const char* const kWords[] = {"北京", "贸易",   "有限公司", "电子产品", "批发",
                                         "零售", "朝阳区", "建国路",   "联系人",   "王先生"};
    std::string text;
    char line[64];
    for (int s = 0; s < kSections; ++s) {
        std::snprintf(line, sizeof line, "\r\n[Section%03d]\r\n", s);
        text += line;
        for (int k = 0; k < kKeys; ++k) {
            std::snprintf(line, sizeof line, "Key%02d=", k);
            text += line;
            for (int w = 0; w < 3 + (s + k) % 8; ++w)
                text += kWords[(s * 7 + k * 3 + w) % 10];
            text += "\r\n";
        }
    }
    return text;
}

void LoadDocument() {
    CIniFile ini;
    if (ini.Load(g_path) != EIniLoad::Loaded)
        std::abort();
    benchmark::DoNotOptimize(ini);
}

void ReadLines() {
    std::ifstream in(g_path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    if (lines.size() < size_t(kSections * kKeys))
        std::abort();
    benchmark::DoNotOptimize(lines);
}

void BM_IniLoad(benchmark::State& state) {
    for (auto _ : state)
        LoadDocument();
}
BENCHMARK(BM_IniLoad)->Unit(benchmark::kMicrosecond);

void BM_IniReadLinesReference(benchmark::State& state) {
    for (auto _ : state)
        ReadLines();
}
BENCHMARK(BM_IniReadLinesReference)->Unit(benchmark::kMicrosecond);

// Best of many runs of each, taken in turns so that both see the same
// machine load.
template <typename Run> double Microseconds(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    g_path = ToPath(dir.filePath(QStringLiteral("bench.ini")));
    {
        const std::string text = GeneratedIni();
        std::ofstream out(g_path, std::ios::binary);
        out.write(text.data(), std::streamsize(text.size()));
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    double load = 1e300, reference = 1e300;
    for (int i = 0; i < 200; ++i) {
        load = std::min(load, Microseconds(LoadDocument));
        reference = std::min(reference, Microseconds(ReadLines));
    }
    std::printf("ini_load ratio=%.2f load_us=%.1f reference_us=%.1f\n", load / reference, load,
                reference);
    return 0;
}
