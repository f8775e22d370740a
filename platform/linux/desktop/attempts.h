#pragma once
// The ways tried for one action, in turn, and the one line a stand-in leaves on standard error
// when its action was refused or found no service: Linux users start the program from a
// terminal or a hot key and expect a reason. Nothing is printed for an action that was done.

#include <string>
#include <tuple>
#include <utility>

#include "platform/linux/desktop/bus_call.h"

namespace RawLayer::Os::Linux {

// One way of asking a service for an action: a method and its arguments, as CallMethod takes
// them.
template <typename... Arguments>
struct BusRequest {
    BusRequest(BusMethod method, const char* signature, Arguments... arguments)
        : method(method), signature(signature), arguments(arguments...) {}

    BusMethod method;
    const char* signature;
    std::tuple<Arguments...> arguments;
};

// For a sleep word that was refused: where the login manager said, when the launcher read the
// capabilities, that it cannot do the state (hibernate, else suspend), the launcher refused
// without any call that could say why, and this says it as the refusal's line; where it can, the
// stand-in that was refused has said why.
void SayWhySleepWasRefused(bool hibernate);

// The ways tried for one action, in turn, and why each did not do it.
class Attempts {
  public:
    explicit Attempts(std::string action) : action(std::move(action)) {}

    void NoteMissing(const std::string& why);
    // A refusal of the program's own, before any service was asked; it outranks every other.
    void NoteRefused(const std::string& why) { refusal = why; }
    // Notes the outcome of one way; true when it did the action. A service that refused
    // outranks one that is not there; the first refusal is reported.
    bool Tried(const char* service, const BusOutcome& outcome) {
        Note(service, outcome);
        return outcome.done;
    }
    // Asks each in turn until one does the action; the later ones are not asked.
    template <typename... Requests>
    bool AskInTurn(const BusConnection& connection, BusWait wait, const Requests&... requests) {
        return (Ask(connection, wait, requests) || ...);
    }
    // Writes the line; always false, so that a stand-in can return it as its failure.
    bool Refuse() const;

  private:
    void Note(const char* service, const BusOutcome& outcome);
    template <typename... Arguments>
    bool Ask(const BusConnection& connection, BusWait wait,
             const BusRequest<Arguments...>& request) {
        BusOutcome outcome = std::apply(
            [&](Arguments... arguments) {
                return CallMethod(connection, request.method, wait, request.signature,
                                  arguments...);
            },
            request.arguments);
        return Tried(request.method.service, outcome);
    }

    std::string action;
    std::string refusal;
    std::string missing;
};

}  // namespace RawLayer::Os::Linux
