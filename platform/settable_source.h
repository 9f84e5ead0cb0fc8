#pragma once
// A value read from the system that tests can read from a source of their own
// instead: the local time.
#include <functional>
#include <mutex>

namespace platform {

template <typename T> class SettableSource {
public:
    explicit SettableSource(T (*system)()) : system_(system) {}

    T operator()() const
    {
        std::function<T()> source;
        {
            std::lock_guard lock(mutex_);
            source = source_;
        }
        return source ? source() : system_();
    }

    // An empty function puts the system's own back.
    void set(std::function<T()> source)
    {
        std::lock_guard lock(mutex_);
        source_ = std::move(source);
    }

private:
    T (*system_)();
    mutable std::mutex mutex_;
    std::function<T()> source_;
};

} // namespace platform
