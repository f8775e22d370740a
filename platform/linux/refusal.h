#pragma once
// The one line a stand-in leaves on standard error when its action was refused or found no
// service: Linux users start the program from a terminal or a hot key and expect a reason.
// Nothing is printed for an action that was done.

#include <string>
#include <utility>

#include "platform/linux/bus_call.h"

namespace RawLayer::Os::Linux {

// The ways tried for one action, in turn, and why each did not do it.
class Attempts {
  public:
    explicit Attempts(std::string action) : action(std::move(action)) {}

    // A service that refused outranks one that is not there; the first refusal is reported.
    void Note(const char* service, const BusOutcome& outcome);
    void NoteMissing(const std::string& why);
    // Writes the line; always false, so that a stand-in can return it as its failure.
    bool Refuse() const;

  private:
    std::string action;
    std::string refusal;
    std::string missing;
};

}  // namespace RawLayer::Os::Linux
