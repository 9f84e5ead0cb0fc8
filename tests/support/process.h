#pragma once
// What this process holds and spends, for tests that show nothing leaks or
// spins: open descriptors and the calling thread's CPU time.
#include <chrono>
#include <cstddef>

namespace testsupport {

std::size_t OpenDescriptors();
std::chrono::nanoseconds ThreadCpuTime();

} // namespace testsupport
