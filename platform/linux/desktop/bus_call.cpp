#include "platform/linux/desktop/bus_call.h"

#include <cstring>

namespace RawLayer::Os::Linux {
namespace {

const char* const KindName[] = {"system bus", "session bus"};

// In microseconds, by BusWait: a password dialog is given minutes.
constexpr std::uint64_t Timeout[] = {5'000'000, 300'000'000};

BusOutcome Failed(const char* name, const std::string& message) {
    BusOutcome outcome;
    outcome.errorName = name;
    outcome.errorMessage = message;
    return outcome;
}

}  // namespace

BusConnection::BusConnection(BusKind kind) {
    int result = kind == BusKind::System ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus);
    if (result < 0) {
        bus = nullptr;
        failure = std::string("no ") + KindName[static_cast<int>(kind)] + " (" +
                  std::strerror(-result) + ")";
    }
}

BusConnection::~BusConnection() {
    if (bus != nullptr) {
        sd_bus_flush_close_unref(bus);
    }
}

bool BusOutcome::NotThere() const {
    return Is(SD_BUS_ERROR_SERVICE_UNKNOWN) || Is(SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
           Is(SD_BUS_ERROR_UNKNOWN_OBJECT);
}

BusMessage NewCall(const BusConnection& connection, const BusMethod& method, BusWait wait) {
    if (connection.bus == nullptr) {
        return BusMessage();
    }
    sd_bus_message* built = nullptr;
    int result = sd_bus_message_new_method_call(connection.bus, &built, method.service, method.path,
                                                method.interface, method.member);
    BusMessage call(result < 0 ? nullptr : built);
    // A desktop service that is not running stays so: activating one of another desktop
    // would act on a session that is not there.
    if (call.Get() == nullptr || sd_bus_message_set_auto_start(call.Get(), 0) < 0 ||
        sd_bus_message_set_allow_interactive_authorization(call.Get(),
                                                           wait == BusWait::Interactive) < 0) {
        return BusMessage();
    }
    return call;
}

BusOutcome Call(const BusConnection& connection, BusMessage call, BusWait wait, BusMessage* kept) {
    if (connection.bus == nullptr) {
        return Failed("", connection.failure);
    }
    if (call.Get() == nullptr) {
        return Failed("", "the call could not be built");
    }
    // All null, as SD_BUS_ERROR_NULL, whose compound literal C++ does not have.
    sd_bus_error error{};
    sd_bus_message* answer = nullptr;
    int result =
        sd_bus_call(connection.bus, call.Get(), Timeout[static_cast<int>(wait)], &error, &answer);
    BusMessage reply(answer);
    if (kept != nullptr) {
        *kept = std::move(reply);
    }
    BusOutcome outcome;
    if (result >= 0) {
        outcome.done = true;
    } else if (sd_bus_error_is_set(&error)) {
        outcome = Failed(error.name, error.message != nullptr ? error.message : "");
    } else {
        outcome = Failed("", std::strerror(-result));
    }
    sd_bus_error_free(&error);
    return outcome;
}

namespace {

// A look-up; read takes the answer out of the reply while it lives. An empty call (one that
// could not be built) is reported as such.
template <typename Read>
BusOutcome Ask(const BusConnection& connection, BusMessage call, const char* member, Read read) {
    BusMessage reply;
    BusOutcome outcome = Call(connection, std::move(call), BusWait::LookUp, &reply);
    // Released however the reading ends, a throwing copy of the answer included.
    if (outcome.done && !read(reply.Get())) {
        outcome = Failed("", std::string("no answer of the expected type from ") + member);
    }
    return outcome;
}

template <typename Read>
BusOutcome Ask(const BusConnection& connection, const BusMethod& method, Read read) {
    return Ask(connection, NewCall(connection, method, BusWait::LookUp), method.member, read);
}

// A text or an object path ("s", "o").
bool ReadText(sd_bus_message* reply, char type, std::string& answer) {
    const char* text = nullptr;
    if (sd_bus_message_read_basic(reply, type, &text) <= 0 || text == nullptr) {
        return false;
    }
    answer = text;
    return true;
}

bool ReadFlag(sd_bus_message* reply, bool& answer) {
    int flag = 0;
    if (sd_bus_message_read_basic(reply, 'b', &flag) <= 0) {
        return false;
    }
    answer = flag != 0;
    return true;
}

// The call with its text arguments appended; empty when they cannot be.
template <typename... Texts>
BusMessage NewCallWith(const BusConnection& connection, const BusMethod& method,
                       const char* signature, Texts... texts) {
    BusMessage call = NewCall(connection, method, BusWait::LookUp);
    if (call.Get() != nullptr && sd_bus_message_append(call.Get(), signature, texts...) < 0) {
        return BusMessage();
    }
    return call;
}

}  // namespace

BusOutcome AskText(const BusConnection& connection, const BusMethod& method, std::string& answer) {
    return Ask(connection, method,
               [&answer](sd_bus_message* reply) { return ReadText(reply, 's', answer); });
}

BusOutcome AskNumber(const BusConnection& connection, const BusMethod& method,
                     std::uint64_t& answer) {
    return Ask(connection, method, [&answer](sd_bus_message* reply) {
        return sd_bus_message_read_basic(reply, 't', &answer) > 0;
    });
}

BusOutcome AskFlag(const BusConnection& connection, const BusMethod& method, bool& answer) {
    return Ask(connection, method,
               [&answer](sd_bus_message* reply) { return ReadFlag(reply, answer); });
}

BusOutcome AskPath(const BusConnection& connection, const BusMethod& method, const char* argument,
                   std::string& path) {
    return Ask(connection, NewCallWith(connection, method, "s", argument), method.member,
               [&path](sd_bus_message* reply) { return ReadText(reply, 'o', path); });
}

BusOutcome AskFlagProperty(const BusConnection& connection, const BusMethod& getter,
                           const char* interface, const char* property, bool& answer) {
    return Ask(connection, NewCallWith(connection, getter, "ss", interface, property), property,
               [&answer](sd_bus_message* reply) {
                   return sd_bus_message_enter_container(reply, 'v', "b") > 0 &&
                          ReadFlag(reply, answer);
               });
}

}  // namespace RawLayer::Os::Linux
