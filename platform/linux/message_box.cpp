// The message box natively: on a desktop, a dialog of whichever tool is installed (zenity,
// kdialog, xmessage), waited for as Windows waits for its modal box; otherwise, or when no
// tool can show it, the caption and the text on standard error. Either way the box counts as
// acknowledged, as it has only an OK button.

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/stand_ins.h"
#include "platform/linux/wide_text.h"

extern char** environ;

namespace RawLayer::Os::Linux {
namespace {

// The caption Windows shows when none is given.
const char* const DefaultCaption = "Error";

bool OnDesktop() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

// Dialog tools show line feeds, not the carriage returns of Windows text.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string lines;
    for (char unit : text) {
        if (unit != '\r') {
            lines += unit;
        }
    }
    return lines;
}

// Runs the tool and waits for it; true when it ran to its end, the box closed by its button
// (0) or its window (1). A tool that is not installed, or that fails otherwise, shows nothing.
bool RunDialog(std::vector<std::string> arguments) {
    std::vector<char*> vector;
    for (std::string& argument : arguments) {
        vector.push_back(argument.data());
    }
    vector.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, vector[0], nullptr, nullptr, vector.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

bool ShowDialog(const std::string& text, const std::string& caption) {
    std::string lines = WithoutCarriageReturns(text);
    while (!lines.empty() && lines.back() == '\n') {
        lines.pop_back();
    }
    return RunDialog(
               {"zenity", "--info", "--no-markup", "--title=" + caption, "--text=" + lines}) ||
           RunDialog({"kdialog", "--title", caption, "--msgbox", lines}) ||
           RunDialog({"xmessage", "-title", caption, "-center", "-buttons", "OK:0", lines});
}

std::int32_t Show(const std::string& text, const std::string& caption) {
    if (OnDesktop() && ShowDialog(text, caption)) {
        return IdOk;
    }
    bool endsLine = !text.empty() && text.back() == '\n';
    std::fprintf(stderr, "%s\n%s%s", caption.c_str(), text.c_str(), endsLine ? "" : "\n");
    std::fflush(stderr);
    return IdOk;
}

}  // namespace

std::int32_t MessageBoxA(Handle, const char* text, const char* caption, std::uint32_t) {
    return Show(text != nullptr ? text : "", caption != nullptr ? caption : DefaultCaption);
}

std::int32_t MessageBoxW(Handle, const WideUnit* text, const WideUnit* caption, std::uint32_t) {
    return Show(text != nullptr ? NarrowNative(text) : "",
                caption != nullptr ? NarrowNative(caption) : DefaultCaption);
}

}  // namespace RawLayer::Os::Linux
