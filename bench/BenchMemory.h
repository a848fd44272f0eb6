// The process's own memory as Linux reports it, for the benchmarks that measure peaks.
#pragma once

#include <string>

// A field of /proc/self/status in MiB, such as VmRSS or VmHWM; -1 when it cannot be read.
double StatusMiB(const std::string& field);
// Lets VmHWM start again from the present resident memory.
bool ResetPeakMemory();
