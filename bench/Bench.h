#pragma once
// What the benchmark programs share: printing GBK texts, giving up on a
// failed setup, and timing by processor time.
#include <string>

class QString;

// A GBK text as UTF-8, for the terminal.
std::string ToUtf8(const std::string& gbk);

// Prints the program's name and what failed (GBK) to standard error and
// ends the program with status 1.
[[noreturn]] void Fail(const std::string& what);

// Offscreen windows, unless QT_QPA_PLATFORM chose a platform; before the
// application object is made.
void UseOffscreenPlatformByDefault();

// The files the product ships put into a host folder, as a new user has
// them: the interface profile, the pictures, the forms and the column widths.
void InstallShippedFiles(const QString& hostFolder);
// Without its widths file a list shows every column only as wide as its
// caption.
void RemoveColumnWidths(const QString& hostFolder);

// The processor time of the process, in milliseconds. Benchmarks time by it,
// not by the clock on the wall: the machine they run on is shared, and a run
// that waits for the processor is not slower.
double ProcessMs();

template <typename Run> double Milliseconds(Run&& run) {
    const double start = ProcessMs();
    run();
    return ProcessMs() - start;
}
