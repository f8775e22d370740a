#include "platform/linux/desktop/wayland_outputs.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace RawLayer::Os::Linux {
namespace {

// libwayland-client's stable ABI, declared here as the X11 calls are: the program has no
// build-time dependency on Wayland.
struct WlProxy;
struct WlInterface;
struct WlMessage {
    const char* name;
    const char* signature;
    const WlInterface** types;
};
struct WlInterface {
    const char* name;
    int version;
    int methodCount;
    const WlMessage* methods;
    int eventCount;
    const WlMessage* events;
};
union WlArgument {
    std::int32_t i;
    std::uint32_t u;
    const char* s;
    WlProxy* o;
    std::uint32_t n;
};
using WlHandler = void (*)();

struct WaylandCalls {
    WlProxy* (*connect)(const char* name);
    void (*disconnect)(WlProxy* display);
    int (*roundtrip)(WlProxy* display);
    WlProxy* (*marshalConstructor)(WlProxy* proxy, std::uint32_t opcode, WlArgument* arguments,
                                   const WlInterface* interface, std::uint32_t version);
    void (*marshal)(WlProxy* proxy, std::uint32_t opcode, WlArgument* arguments);
    int (*addListener)(WlProxy* proxy, const WlHandler* handlers, void* data);
    void (*destroy)(WlProxy* proxy);
    const WlInterface* registryInterface;
    const WlInterface* outputInterface;
};

// The library, loaded for the life of the object; calls are all set or none is.
class WaylandLibrary {
  public:
    WaylandLibrary() : library(dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL)) {
        if (library == nullptr) {
            return;
        }
        Load("wl_display_connect", calls.connect);
        Load("wl_display_disconnect", calls.disconnect);
        Load("wl_display_roundtrip", calls.roundtrip);
        Load("wl_proxy_marshal_array_constructor_versioned", calls.marshalConstructor);
        Load("wl_proxy_marshal_array", calls.marshal);
        Load("wl_proxy_add_listener", calls.addListener);
        Load("wl_proxy_destroy", calls.destroy);
        Load("wl_registry_interface", calls.registryInterface);
        Load("wl_output_interface", calls.outputInterface);
        if (!complete) {
            calls = WaylandCalls{};
        }
    }
    ~WaylandLibrary() {
        if (library != nullptr) {
            dlclose(library);
        }
    }
    WaylandLibrary(const WaylandLibrary&) = delete;
    WaylandLibrary& operator=(const WaylandLibrary&) = delete;

    WaylandCalls calls{};

  private:
    template <typename Symbol>
    void Load(const char* name, Symbol& symbol) {
        symbol = reinterpret_cast<Symbol>(dlsym(library, name));
        complete = complete && symbol != nullptr;
    }

    void* library;
    bool complete = true;
};

// The protocol's two interfaces, as its XML defines them. Their message types name wl_output,
// which only the loaded library has, so they are filled in at run time.
constexpr std::uint32_t GetOutputPower = 0;
constexpr std::uint32_t ManagerDestroy = 1;
constexpr std::uint32_t SetMode = 0;
constexpr std::uint32_t PowerDestroy = 1;
constexpr std::uint32_t ModeOff = 0;

struct PowerProtocol {
    explicit PowerProtocol(const WlInterface* output) {
        getOutputPowerTypes[0] = &power;
        getOutputPowerTypes[1] = output;
    }
    PowerProtocol(const PowerProtocol&) = delete;
    PowerProtocol& operator=(const PowerProtocol&) = delete;

    const WlInterface* getOutputPowerTypes[2] = {};
    const WlInterface* noTypes[1] = {};
    const WlMessage managerRequests[2] = {{"get_output_power", "no", getOutputPowerTypes},
                                          {"destroy", "", noTypes}};
    const WlMessage powerRequests[2] = {{"set_mode", "u", noTypes}, {"destroy", "", noTypes}};
    const WlMessage powerEvents[2] = {{"mode", "u", noTypes}, {"failed", "", noTypes}};
    const WlInterface manager = {"zwlr_output_power_manager_v1", 1, 2, managerRequests, 0, nullptr};
    const WlInterface power = {"zwlr_output_power_v1", 1, 2, powerRequests, 2, powerEvents};
};

// One output, with what the compositor said of it.
struct Output {
    std::uint32_t global = 0;
    std::uint32_t version = 0;
    WlProxy* proxy = nullptr;
    WlProxy* power = nullptr;
    std::string name;
    bool reported = false;
    std::uint32_t mode = 1;
    bool failed = false;
};

// Everything bound on one connection, released in reverse order whatever happens.
struct Session {
    explicit Session(const WaylandCalls& calls) : calls(calls), protocol(calls.outputInterface) {}
    ~Session() {
        for (Output& output : outputs) {
            if (output.power != nullptr) {
                calls.marshal(output.power, PowerDestroy, nullptr);
                calls.destroy(output.power);
            }
            if (output.proxy != nullptr) {
                calls.destroy(output.proxy);
            }
        }
        if (manager != nullptr) {
            calls.marshal(manager, ManagerDestroy, nullptr);
            calls.destroy(manager);
        }
        if (registry != nullptr) {
            calls.destroy(registry);
        }
        if (display != nullptr) {
            calls.disconnect(display);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    WlProxy* Bind(std::uint32_t global, const WlInterface* interface, std::uint32_t version) {
        WlArgument arguments[4] = {};
        arguments[0].u = global;
        arguments[1].s = interface->name;
        arguments[2].u = version;
        return calls.marshalConstructor(registry, 0, arguments, interface, version);
    }

    const WaylandCalls& calls;
    PowerProtocol protocol;
    WlProxy* display = nullptr;
    WlProxy* registry = nullptr;
    WlProxy* manager = nullptr;
    std::uint32_t managerGlobal = 0;
    // Reserved before any listener is added: the listeners keep pointers into it.
    std::vector<Output> outputs;
};

// wl_output's name event is version 4; older compositors name no output.
constexpr std::uint32_t NamedOutputVersion = 4;
constexpr std::size_t MostOutputs = 64;

const WlHandler RegistryHandlers[] = {
    reinterpret_cast<WlHandler>(+[](void* data, WlProxy*, std::uint32_t global,
                                    const char* interface, std::uint32_t version) {
        auto* session = static_cast<Session*>(data);
        std::string name(interface);
        if (name == session->protocol.manager.name) {
            session->managerGlobal = global;
        } else if (name == "wl_output" && session->outputs.size() < MostOutputs) {
            Output output;
            output.global = global;
            output.version = version < NamedOutputVersion ? version : NamedOutputVersion;
            session->outputs.push_back(output);
        }
    }),
    reinterpret_cast<WlHandler>(+[](void*, WlProxy*, std::uint32_t) {}),
};

const WlHandler OutputHandlers[] = {
    reinterpret_cast<WlHandler>(+[](void*, WlProxy*, std::int32_t, std::int32_t, std::int32_t,
                                    std::int32_t, std::int32_t, const char*, const char*,
                                    std::int32_t) {}),
    reinterpret_cast<WlHandler>(
        +[](void*, WlProxy*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}),
    reinterpret_cast<WlHandler>(+[](void*, WlProxy*) {}),
    reinterpret_cast<WlHandler>(+[](void*, WlProxy*, std::int32_t) {}),
    reinterpret_cast<WlHandler>(
        +[](void* data, WlProxy*, const char* name) { static_cast<Output*>(data)->name = name; }),
    reinterpret_cast<WlHandler>(+[](void*, WlProxy*, const char*) {}),
};

const WlHandler PowerHandlers[] = {
    reinterpret_cast<WlHandler>(+[](void* data, WlProxy*, std::uint32_t mode) {
        auto* output = static_cast<Output*>(data);
        output->reported = true;
        output->mode = mode;
    }),
    reinterpret_cast<WlHandler>(
        +[](void* data, WlProxy*) { static_cast<Output*>(data)->failed = true; }),
};

}  // namespace

WaylandOutputsOff TurnWaylandOutputsOff(std::string& reason) {
    const char* socket = std::getenv("WAYLAND_DISPLAY");
    if (socket == nullptr || *socket == '\0') {
        reason.clear();
        return WaylandOutputsOff::Missing;
    }
    WaylandLibrary library;
    if (library.calls.connect == nullptr) {
        reason = "no Wayland library";
        return WaylandOutputsOff::Missing;
    }
    Session session(library.calls);
    const WaylandCalls& calls = library.calls;
    session.outputs.reserve(MostOutputs);
    session.display = calls.connect(nullptr);
    if (session.display == nullptr) {
        reason = "no Wayland display";
        return WaylandOutputsOff::Missing;
    }
    WlArgument newRegistry[1] = {};
    session.registry =
        calls.marshalConstructor(session.display, 1, newRegistry, calls.registryInterface, 1);
    if (session.registry == nullptr ||
        calls.addListener(session.registry, RegistryHandlers, &session) != 0 ||
        calls.roundtrip(session.display) < 0) {
        reason = "the Wayland display did not answer";
        return WaylandOutputsOff::Missing;
    }
    if (session.managerGlobal == 0 || session.outputs.empty()) {
        reason = "the Wayland compositor has no output power control";
        return WaylandOutputsOff::Missing;
    }
    session.manager = session.Bind(session.managerGlobal, &session.protocol.manager, 1);
    for (Output& output : session.outputs) {
        output.proxy = session.Bind(output.global, calls.outputInterface, output.version);
        if (output.proxy != nullptr) {
            calls.addListener(output.proxy, OutputHandlers, &output);
        }
    }
    // The names come with the outputs' first events.
    calls.roundtrip(session.display);
    for (Output& output : session.outputs) {
        if (session.manager == nullptr || output.proxy == nullptr) {
            continue;
        }
        WlArgument request[2] = {};
        request[1].o = output.proxy;
        output.power = calls.marshalConstructor(session.manager, GetOutputPower, request,
                                                &session.protocol.power, 1);
        if (output.power != nullptr) {
            calls.addListener(output.power, PowerHandlers, &output);
            WlArgument mode[1] = {};
            mode[0].u = ModeOff;
            calls.marshal(output.power, SetMode, mode);
        }
    }
    // The first round trip brings each output's present mode, the second its answer to off.
    calls.roundtrip(session.display);
    calls.roundtrip(session.display);
    std::string refused;
    for (std::size_t index = 0; index < session.outputs.size(); ++index) {
        const Output& output = session.outputs[index];
        if (output.failed || !output.reported || output.mode != ModeOff) {
            refused += (refused.empty() ? "" : ", ") +
                       (output.name.empty() ? "output " + std::to_string(index + 1) : output.name);
        }
    }
    if (refused.empty()) {
        return WaylandOutputsOff::Done;
    }
    reason = "the Wayland compositor could not turn off " + refused;
    return WaylandOutputsOff::Refused;
}

}  // namespace RawLayer::Os::Linux
