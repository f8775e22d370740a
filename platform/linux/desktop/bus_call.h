#pragma once
// Blocking D-Bus method calls over sd-bus, for the stand-ins that hand an action to a system
// or desktop service: a connection that closes itself, and a call with a time-out of its own.

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>
#include <utility>

namespace RawLayer::Os::Linux {

enum class BusKind { System, Session };

// How a call waits: a look-up answers at once, while a power or log-off call allows
// interactive authorisation and may wait for a password dialog.
enum class BusWait { LookUp, Interactive };

// One connection to the system or the session bus, opened on construction.
class BusConnection {
  public:
    explicit BusConnection(BusKind kind);
    ~BusConnection();
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    // Null when there is no such bus; failure then says why.
    sd_bus* bus = nullptr;
    std::string failure;
};

// One message (a call or a reply) and its release with sd_bus_message_unref; empty for none.
class BusMessage {
  public:
    BusMessage() = default;
    explicit BusMessage(sd_bus_message* owned) : message(owned) {}
    ~BusMessage() { sd_bus_message_unref(message); }
    BusMessage(BusMessage&& other) noexcept : message(std::exchange(other.message, nullptr)) {}
    BusMessage& operator=(BusMessage&& other) noexcept {
        std::swap(message, other.message);
        return *this;
    }
    BusMessage(const BusMessage&) = delete;
    BusMessage& operator=(const BusMessage&) = delete;

    sd_bus_message* Get() const { return message; }

  private:
    sd_bus_message* message = nullptr;
};

// The object and member a call addresses.
struct BusMethod {
    const char* service;
    const char* path;
    const char* interface;
    const char* member;
};

// What became of a call: done, or the error the bus or the service answered with.
struct BusOutcome {
    bool done = false;
    std::string errorName;
    std::string errorMessage;

    // The service is not on the bus: another way may be tried without anything refused.
    bool NotThere() const;
    bool Is(const char* name) const { return errorName == name; }
};

// A new method call that never starts a service that is not running. Empty when it cannot be
// built; the caller appends the arguments and hands it to Call.
BusMessage NewCall(const BusConnection& connection, const BusMethod& method, BusWait wait);
// Sends the call and waits for the answer as long as wait allows. The reply goes to reply when
// one is asked for, else it is dropped.
BusOutcome Call(const BusConnection& connection, BusMessage call, BusWait wait,
                BusMessage* reply = nullptr);

// A look-up without arguments whose answer is one text ("s") or one number ("t").
BusOutcome AskText(const BusConnection& connection, const BusMethod& method, std::string& answer);
BusOutcome AskNumber(const BusConnection& connection, const BusMethod& method,
                     std::uint64_t& answer);
// A look-up without arguments whose answer is a flag ("b").
BusOutcome AskFlag(const BusConnection& connection, const BusMethod& method, bool& answer);
// A look-up of one text argument whose answer is an object path ("o").
BusOutcome AskPath(const BusConnection& connection, const BusMethod& method, const char* argument,
                   std::string& path);
// A flag property, read through getter, the standard Properties.Get of its object.
BusOutcome AskFlagProperty(const BusConnection& connection, const BusMethod& getter,
                           const char* interface, const char* property, bool& answer);

// A call with arguments in sd-bus's notation, for instance "b" and 1; a null signature for
// none.
template <typename... Arguments>
BusOutcome CallMethod(const BusConnection& connection, const BusMethod& method, BusWait wait,
                      const char* signature, Arguments... arguments) {
    BusMessage call = NewCall(connection, method, wait);
    if (call.Get() != nullptr && signature != nullptr &&
        sd_bus_message_append(call.Get(), signature, arguments...) < 0) {
        call = BusMessage();
    }
    return Call(connection, std::move(call), wait);
}

}  // namespace RawLayer::Os::Linux
