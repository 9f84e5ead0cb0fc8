#include "tests/support/process.h"

#include <ctime>
#include <filesystem>

namespace testsupport {

std::size_t OpenDescriptors()
{
    // The iterator's own descriptor is open both times it is counted.
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

std::chrono::nanoseconds ThreadCpuTime()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

} // namespace testsupport
