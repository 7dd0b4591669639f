#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

// The millisecond tick counter that timed protocols measure against. It wraps
// at 2^32 like the system counter; callers only ever take differences.
class ITickSource
{
public:
    virtual ~ITickSource() = default;
    virtual uint32_t TickMs() = 0;
    // Called between two readings of a busy wait. The real clock lets other
    // threads run; a fake clock moves its time on, so a wait never hangs a test.
    virtual void SpinOnce() {}
};

// The product's clock: milliseconds of the steady clock.
class CSteadyTickSource : public ITickSource
{
public:
    uint32_t TickMs() override
    {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    void SpinOnce() override { std::this_thread::yield(); }
};

// A clock that only moves when told: tests advance it in simulated milliseconds.
class CFakeTickSource : public ITickSource
{
public:
    explicit CFakeTickSource(uint32_t start = 0) : now_(start) {}

    uint32_t TickMs() override { return now_; }
    void SpinOnce() override
    {
        now_ += 1;
        spun_ += 1;
    }

    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ms) { now_ = ms; }
    // Milliseconds that busy waits have consumed so far.
    uint64_t SpunMs() const { return spun_; }

private:
    uint32_t now_;
    uint64_t spun_ = 0;
};

// A busy wait of n milliseconds on the tick source. Forward steps are summed and
// a step backwards only moves the reference, so a counter that wraps or is set
// back cannot stretch the wait.
inline void DelayMs(ITickSource& clock, uint32_t ms)
{
    uint32_t last = clock.TickMs();
    uint32_t elapsed = 0;
    while (elapsed < ms) {
        clock.SpinOnce();
        uint32_t now = clock.TickMs();
        int32_t step = static_cast<int32_t>(now - last);
        if (step > 0) {
            elapsed += static_cast<uint32_t>(step);
        }
        last = now;
    }
}
