#pragma once
// The bridge's wait for the next change of second, which a new programme or
// a stop signal cuts short.
#include <cstdint>

namespace qmxmqtt {

class SecondWait {
public:
    SecondWait();
    ~SecondWait();
    SecondWait(const SecondWait &) = delete;
    SecondWait &operator=(const SecondWait &) = delete;

    // Returns right after the next whole second of the system clock, when
    // wake() was called since the last return, or on a signal.
    void wait();
    // From any thread.
    void wake();

private:
    int timer_ = -1;
    int event_ = -1;
};

// The whole second of the system clock now, in seconds since 1970 UTC.
std::int64_t NowSecond();

} // namespace qmxmqtt
