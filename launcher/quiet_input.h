#pragma once
// The wait before the displays are turned off or the screen saver is started. The key-up or
// mouse-up that follows the click, double-click or shortcut key that asked for it would end
// either at once; so the request waits until no input has come for a moment, and for no longer
// than a few seconds whatever happens. A script or a scheduled task, with no recent input,
// does not wait at all.

#include <algorithm>
#include <cstdint>

namespace Velmoran {

// How long input must have been quiet, and the longest wait, in milliseconds.
inline constexpr std::uint32_t QuietSpan = 500;
inline constexpr std::uint32_t LongestWait = 3000;

// Waits as described above. The clock gives Now() and LastInput(tick) in the system's 32-bit
// millisecond ticks, which wrap around about every 49.7 days, so only differences of ticks are
// compared; LastInput is false where the time of the last input is not known, and then there
// is no wait. Sleep(milliseconds) waits.
template <typename Clock>
void WaitForQuietInput(Clock& clock) {
    std::uint32_t lastInput = 0;
    if (!clock.LastInput(lastInput)) {
        return;
    }
    const std::uint32_t start = clock.Now();
    std::uint32_t now = start;
    for (;;) {
        const std::uint32_t quiet = static_cast<std::uint32_t>(now - lastInput);
        const std::uint32_t waited = static_cast<std::uint32_t>(now - start);
        if (quiet >= QuietSpan || waited >= LongestWait) {
            return;
        }
        clock.Sleep(std::min(QuietSpan - quiet, LongestWait - waited));
        if (!clock.LastInput(lastInput)) {
            return;
        }
        now = clock.Now();
    }
}

}  // namespace Velmoran
