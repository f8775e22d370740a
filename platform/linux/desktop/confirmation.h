#pragma once
// The wait for a desktop to show that it did what it was asked: screen savers and lockers start
// after the request has been answered, and the program reports them only once they are there.

#include <chrono>
#include <thread>

namespace RawLayer::Os::Linux {

inline constexpr std::chrono::milliseconds ConfirmationLimit{2000};

// Asks confirmed() until it is true or the limit has passed; true when it was.
template <typename Confirmed>
bool WaitForConfirmation(Confirmed confirmed) {
    auto until = std::chrono::steady_clock::now() + ConfirmationLimit;
    while (!confirmed()) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace RawLayer::Os::Linux
