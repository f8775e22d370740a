// The native build's shell, message-box and file-attribute stand-ins, against real files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/desktop/x11_display.h"
#include "platform/linux/stand_ins.h"
#include "tests/support/temporary_folder.h"

namespace {

namespace Linux = RawLayer::Os::Linux;
using RawLayer::Os::FileAttributeDirectory;
using RawLayer::Os::Handle;
using RawLayer::Os::InvalidFileAttributes;
using RawLayer::Os::ShellExecuteInfoA;
using RawLayer::Os::ShellExecuteInfoW;
using RawLayer::Testing::TemporaryFolder;

std::string ReadAll(const std::string& file) {
    std::ifstream stream(file);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string Backslashed(std::string path) {
    for (char& unit : path) {
        unit = unit == '/' ? '\\' : unit;
    }
    return path;
}

std::u16string WideOf(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

struct AttributeRow {
    std::string name;
    std::string path;
    bool exists;
    bool directory;
};

std::vector<AttributeRow> AttributeRows(const TemporaryFolder& folder) {
    std::string file = folder.File("file.txt");
    std::filesystem::create_directory(folder.path + "/sub");
    return {
        {"a directory", folder.path, true, true},
        {"a directory with a final separator", folder.path + "/", true, true},
        {"a file", file, true, false},
        {"a file with backslashes", Backslashed(file), true, false},
        {"a directory with backslashes", Backslashed(folder.path + "/sub"), true, true},
        {"a file read as a directory", file + "/", false, false},
        {"a missing path", folder.path + "/missing.txt", false, false},
        {"a missing path with backslashes", Backslashed(folder.path + "/missing"), false, false},
        {"an empty path", "", false, false},
    };
}

void CheckAttributes(const AttributeRow& row, std::uint32_t attributes) {
    SCOPED_TRACE(row.name);
    if (!row.exists) {
        EXPECT_EQ(attributes, InvalidFileAttributes);
        return;
    }
    EXPECT_NE(attributes, InvalidFileAttributes);
    EXPECT_EQ((attributes & FileAttributeDirectory) != 0, row.directory);
}

TEST(linux_file_attributes_test, narrow_paths_give_the_directory_bit_or_all_ones) {
    TemporaryFolder folder;
    for (const AttributeRow& row : AttributeRows(folder)) {
        CheckAttributes(row, Linux::GetFileAttributesA(row.path.c_str()));
    }
    EXPECT_EQ(Linux::GetFileAttributesA(nullptr), InvalidFileAttributes);
}

TEST(linux_file_attributes_test, wide_paths_give_the_directory_bit_or_all_ones) {
    TemporaryFolder folder;
    for (const AttributeRow& row : AttributeRows(folder)) {
        CheckAttributes(row, Linux::GetFileAttributesW(WideOf(row.path).c_str()));
    }
    folder.File("\xE6\x97\xA5\xE6\x9C\xAC.txt");  // 日本.txt, as Linux names it
    std::u16string japanese = WideOf(folder.path) + u"/\u65E5\u672C.txt";
    EXPECT_NE(Linux::GetFileAttributesW(japanese.c_str()), InvalidFileAttributes);
    EXPECT_EQ(Linux::GetFileAttributesW(nullptr), InvalidFileAttributes);
}

// Sets or clears an environment variable for one test, and restores it afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name(name) {
        const char* saved = std::getenv(name);
        had = saved != nullptr;
        previous = had ? saved : "";
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (had) {
            setenv(name, previous.c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name;
    std::string previous;
    bool had = false;
};

// No desktop: the box goes to standard error.
struct NoDesktop {
    ScopedVariable display{"DISPLAY", nullptr};
    ScopedVariable wayland{"WAYLAND_DISPLAY", nullptr};
};

TEST(linux_message_box_test, caption_and_text_go_to_standard_error_and_count_as_ok) {
    NoDesktop noDesktop;
    struct Row {
        const char* text;
        const char* caption;
        std::string shown;
    };
    const Row rows[] = {
        {"Usage", "Velmoran", "Velmoran\nUsage\n"},
        {"Line\r\n", "Velmoran", "Velmoran\nLine\r\n"},
        {"", "", "\n\n"},
        {nullptr, nullptr, "Error\n\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        testing::internal::CaptureStderr();
        std::int32_t result = Linux::MessageBoxA(nullptr, row.text, row.caption, 0x40);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.shown);
        EXPECT_EQ(result, 1);
    }
}

TEST(linux_message_box_test, wide_texts_are_shown_as_utf8) {
    NoDesktop noDesktop;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Linux::MessageBoxW(nullptr, u"\u3042", u"Velmoran", 0x40), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Velmoran\n\xE3\x81\x82\n");
}

TEST(linux_message_box_test, on_a_desktop_the_first_dialog_tool_that_runs_shows_the_box) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, int>> tools;  // name and exit code
        const char* display;
        const char* wayland;
        std::string logged;
    };
    const std::string text = "Line one\nLine two\n";
    const std::string zenity = "zenity\n--info\n--no-markup\n--title=Velmoran\n--text=" + text;
    const std::string kdialog = "kdialog\n--title\nVelmoran\n--msgbox\n" + text;
    const std::string xmessage = "xmessage\n-title\nVelmoran\n-center\n-buttons\nOK:0\n" + text;
    const Row rows[] = {
        {"zenity first", {{"zenity", 0}, {"kdialog", 0}, {"xmessage", 0}}, ":5", nullptr, zenity},
        {"closed by its window", {{"zenity", 1}, {"kdialog", 0}}, ":5", nullptr, zenity},
        {"kdialog next", {{"kdialog", 0}, {"xmessage", 0}}, ":5", nullptr, kdialog},
        {"a failing tool gives way",
         {{"zenity", 5}, {"xmessage", 0}},
         ":5",
         nullptr,
         zenity + xmessage},
        {"Wayland", {{"zenity", 0}}, nullptr, "wayland-0", zenity},
        {"no desktop", {{"zenity", 0}}, nullptr, nullptr, ""},
        {"no tool", {}, ":5", nullptr, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder tools;
        std::string log = tools.path + "/dialogs.log";
        for (const auto& [name, code] : row.tools) {
            std::string script =
                tools.File(name, "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" >> \"" + log +
                                     "\"\nexit " + std::to_string(code) + "\n");
            chmod(script.c_str(), 0755);
        }
        ScopedVariable path("PATH", tools.path.c_str());
        ScopedVariable display("DISPLAY", row.display);
        ScopedVariable wayland("WAYLAND_DISPLAY", row.wayland);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Linux::MessageBoxA(nullptr, "Line one\r\nLine two\r\n", "Velmoran", 0x40), 1);
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ReadAll(log), row.logged);
        EXPECT_EQ(shown, row.logged.empty() ? "Velmoran\nLine one\r\nLine two\r\n" : "");
    }
}

// A stand-in opener first in PATH that writes its working directory and arguments to a log.
class FakeOpener {
  public:
    FakeOpener() : log(folder.path + "/opener.log") {
        std::string script = folder.File("xdg-open",
                                         "#!/bin/sh\n"
                                         "printf '%s\\n' \"$PWD\" \"$@\" > \"" +
                                             log + "\"\n");
        chmod(script.c_str(), 0755);
        const char* path = std::getenv("PATH");
        savedPath = path != nullptr ? path : "";
        setenv("PATH", folder.path.c_str(), 1);
    }
    ~FakeOpener() { setenv("PATH", savedPath.c_str(), 1); }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // Waits for the opener to end without reaping it, so that closing its handle can.
    static void AwaitEnd(Handle process) {
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(reinterpret_cast<std::intptr_t>(process)), &info,
               WEXITED | WNOWAIT);
    }

    std::string Log() const { return ReadAll(log); }

    TemporaryFolder folder;
    std::string log;
    std::string savedPath;
};

// The flags the library's launches pass: the process handle back, %VARIABLES% expanded, no
// error box.
constexpr std::uint32_t LaunchMask = RawLayer::Os::SeeMaskNoCloseProcess |
                                     RawLayer::Os::SeeMaskDoEnvSubst |
                                     RawLayer::Os::SeeMaskFlagNoUi;

ShellExecuteInfoA NarrowRecord(const char* file, const char* directory) {
    ShellExecuteInfoA info{};
    info.cbSize = sizeof info;
    info.fMask = LaunchMask;
    info.lpFile = file;
    info.lpParameters = "";
    info.lpDirectory = directory;
    info.nShow = 1;
    return info;
}

TEST(linux_shell_launch_test, an_existing_file_is_given_to_the_opener_and_its_pid_comes_back) {
    FakeOpener opener;
    std::string file = opener.folder.File("read me.txt");
    std::string backslashed = Backslashed(file);
    ShellExecuteInfoA info = NarrowRecord(backslashed.c_str(), "");

    ASSERT_EQ(Linux::ShellExecuteExA(&info), 1);
    ASSERT_NE(info.hProcess, nullptr);
    auto pid = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(info.hProcess));
    EXPECT_EQ(Linux::GetProcessId(info.hProcess), static_cast<std::uint32_t>(pid));
    FakeOpener::AwaitEnd(info.hProcess);
    EXPECT_EQ(opener.Log().substr(opener.Log().find('\n') + 1), file + "\n");

    // Closing the handle reaps the ended opener.
    EXPECT_EQ(Linux::CloseHandle(info.hProcess), 1);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(linux_shell_launch_test, a_relative_file_is_found_in_the_directory_the_opener_runs_in) {
    FakeOpener opener;
    std::filesystem::create_directory(opener.folder.path + "/docs");
    opener.folder.File("docs/a.txt");
    std::string directory = Backslashed(opener.folder.path + "/docs");
    ShellExecuteInfoA info = NarrowRecord("a.txt", directory.c_str());

    ASSERT_EQ(Linux::ShellExecuteExA(&info), 1);
    FakeOpener::AwaitEnd(info.hProcess);
    Linux::CloseHandle(info.hProcess);
    std::string docs = opener.folder.path + "/docs";
    EXPECT_EQ(opener.Log(), docs + "\n" + docs + "/a.txt\n");
}

TEST(linux_shell_launch_test, environment_variables_in_the_file_are_expanded) {
    FakeOpener opener;
    std::string file = opener.folder.File("a.txt");
    setenv("VELMORAN_TEST_FOLDER", opener.folder.path.c_str(), 1);
    ShellExecuteInfoA info = NarrowRecord("%VELMORAN_TEST_FOLDER%\\a.txt", "");

    ASSERT_EQ(Linux::ShellExecuteExA(&info), 1);
    FakeOpener::AwaitEnd(info.hProcess);
    Linux::CloseHandle(info.hProcess);
    unsetenv("VELMORAN_TEST_FOLDER");
    EXPECT_EQ(opener.Log().substr(opener.Log().find('\n') + 1), file + "\n");
}

TEST(linux_shell_launch_test, what_cannot_be_opened_fails_and_starts_nothing) {
    FakeOpener opener;
    std::string missing = opener.folder.path + "/missing.txt";
    std::string unknownVariable = "%VELMORAN_UNSET_VARIABLE%/" + opener.folder.File("a.txt");
    const char* const files[] = {missing.c_str(), "", nullptr, unknownVariable.c_str()};
    for (const char* file : files) {
        SCOPED_TRACE(file != nullptr ? file : "null");
        ShellExecuteInfoA info = NarrowRecord(file, "");
        EXPECT_EQ(Linux::ShellExecuteExA(&info), 0);
        EXPECT_EQ(info.hProcess, nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(opener.log));
}

TEST(linux_shell_launch_test, without_an_opener_the_launch_fails) {
    FakeOpener opener;
    std::string file = opener.folder.File("a.txt");
    TemporaryFolder empty;
    setenv("PATH", empty.path.c_str(), 1);
    ShellExecuteInfoA info = NarrowRecord(file.c_str(), "");
    EXPECT_EQ(Linux::ShellExecuteExA(&info), 0);
    EXPECT_EQ(info.hProcess, nullptr);
}

TEST(linux_shell_launch_test, the_wide_call_opens_the_same_file) {
    FakeOpener opener;
    std::string file = opener.folder.File("\xE6\x97\xA5.txt");  // 日.txt
    std::u16string wide = WideOf(opener.folder.path) + u"\\\u65E5.txt";
    ShellExecuteInfoW info{};
    info.cbSize = sizeof info;
    info.fMask = LaunchMask;
    info.lpFile = wide.c_str();
    info.lpParameters = u"";
    info.lpDirectory = u"";
    info.nShow = 1;

    ASSERT_EQ(Linux::ShellExecuteExW(&info), 1);
    FakeOpener::AwaitEnd(info.hProcess);
    Linux::CloseHandle(info.hProcess);
    EXPECT_EQ(opener.Log().substr(opener.Log().find('\n') + 1), file + "\n");
}

// X11 calls that write themselves down, for the branches a virtual X server cannot show:
// it has no DPMS extension. xscreensaver, where it runs, is a window among two children of the
// root, with its status on the root window, as it keeps them.
struct FakeX11 {
    static inline std::vector<std::string> calls;
    static inline bool hasDisplay = true;
    static inline int extension = 1;
    static inline int capable = 1;
    static inline int serverSaver = 0;
    static inline bool xscreensaver = false;
    static inline bool xscreensaverObeys = true;
    static inline long xscreensaverStatus = 0;

    enum Atom : unsigned long { Version = 101, Status, Request, Activate, Blank, Lock };
    static constexpr unsigned long Root = 0x42;
    static constexpr unsigned long SaverWindow = 0x52;

    template <typename Unit>
    static unsigned char* Copy(std::initializer_list<Unit> units) {
        auto* copy = static_cast<Unit*>(std::malloc(units.size() * sizeof(Unit)));
        std::copy(units.begin(), units.end(), copy);
        return reinterpret_cast<unsigned char*>(copy);
    }

    static Linux::X11Display* Display() {
        static int display;
        return reinterpret_cast<Linux::X11Display*>(&display);
    }
    static Linux::X11Calls Calls() {
        return {
            [](const char*) {
                calls.push_back("open");
                return hasDisplay ? Display() : nullptr;
            },
            [](Linux::X11Display* display) {
                calls.push_back(display == Display() ? "close" : "close another");
                return 0;
            },
            [](Linux::X11Display*, int mode) {
                calls.push_back("screen saver " + std::to_string(mode));
                serverSaver = mode;
                return 1;
            },
            [](Linux::X11Display*) {
                calls.push_back("flush");
                return 1;
            },
            [](Linux::X11Display*, int*, int*) {
                calls.push_back("query DPMS");
                return extension;
            },
            [](Linux::X11Display*) {
                calls.push_back("DPMS capable");
                return capable;
            },
            [](Linux::X11Display*, unsigned short level) {
                calls.push_back("DPMS level " + std::to_string(level));
                return 1;
            },
            [](Linux::X11Display*) {
                calls.push_back("root");
                return Root;
            },
            [](Linux::X11Display*, int*, int*) {
                calls.push_back("query screen saver");
                return extension;
            },
            [](Linux::X11Display*, unsigned long drawable, Linux::X11ScreenSaverInfo* info) {
                calls.push_back("idle of " + std::to_string(drawable));
                info->idle = 1234;
                info->state = serverSaver;
                return 1;
            },
            [](Linux::X11Display*, const char* name, int onlyIfExists) {
                const std::string names[] = {"_SCREENSAVER_VERSION",
                                             "_SCREENSAVER_STATUS",
                                             "SCREENSAVER",
                                             "ACTIVATE",
                                             "BLANK",
                                             "LOCK"};
                auto found = std::find(std::begin(names), std::end(names), name);
                if (found == std::end(names) || (onlyIfExists != 0 && !xscreensaver)) {
                    return 0ul;
                }
                return Version + static_cast<unsigned long>(found - std::begin(names));
            },
            [](Linux::X11Display*, unsigned long window, unsigned long*, unsigned long*,
               unsigned long** children, unsigned int* count) {
                *children = reinterpret_cast<unsigned long*>(Copy({0x51ul, SaverWindow}));
                *count = window == Root ? 2 : 0;
                return 1;
            },
            [](Linux::X11Display*, unsigned long window, unsigned long property, long, long, int,
               unsigned long, unsigned long* type, int* format, unsigned long* items,
               unsigned long* after, unsigned char** value) {
                *type = 0;
                *format = 0;
                *items = 0;
                *after = 0;
                *value = nullptr;
                if (xscreensaver && window == SaverWindow && property == Version) {
                    *type = 31;
                    *format = 8;
                    *items = 4;
                    *value = Copy({'6', '.', '0', '6'});
                } else if (xscreensaver && window == Root && property == Status) {
                    *type = 19;
                    *format = 32;
                    *items = 3;
                    *value = Copy({xscreensaverStatus, 0l, 0l});
                }
                return 0;
            },
            [](void* data) {
                std::free(data);
                return 1;
            },
            [](Linux::X11Display*, unsigned long window, int, long,
               Linux::X11ClientMessage* event) {
                calls.push_back("send " + std::to_string(event->messageType) + " " +
                                std::to_string(event->data[0]) + " to " + std::to_string(window));
                if (xscreensaverObeys) {
                    xscreensaverStatus = Blank;
                }
                return 1;
            },
            [](Linux::X11Display*, int) { return 1; },
            [](Linux::X11ErrorHandler handler) {
                static Linux::X11ErrorHandler installed = nullptr;
                return std::exchange(installed, handler);
            },
        };
    }
};

TEST(linux_x11_display_test, displays_go_off_through_dpms_only_where_the_server_has_it) {
    struct Row {
        const char* name;
        bool hasDisplay;
        int extension;
        int capable;
        bool done;
        std::vector<std::string> calls;
        std::string reason;
    };
    const Row rows[] = {
        {"DPMS",
         true,
         1,
         1,
         true,
         {"open", "query DPMS", "DPMS capable", "DPMS level 3", "flush", "close"},
         ""},
        {"no extension",
         true,
         0,
         1,
         false,
         {"open", "query DPMS", "close"},
         "the X display has no DPMS extension"},
        {"not capable",
         true,
         1,
         0,
         false,
         {"open", "query DPMS", "DPMS capable", "close"},
         "the X display has no DPMS extension"},
        {"no display", false, 1, 1, false, {"open"}, "no X display"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeX11::calls.clear();
        FakeX11::hasDisplay = row.hasDisplay;
        FakeX11::extension = row.extension;
        FakeX11::capable = row.capable;
        std::string reason;
        EXPECT_EQ(Linux::ForceDisplaysOff(
                      FakeX11::Calls(), [] { return true; }, reason),
                  row.done);
        EXPECT_EQ(FakeX11::calls, row.calls);
        EXPECT_EQ(reason, row.reason);
    }
}

TEST(linux_x11_display_test, the_screen_saver_counts_as_started_only_once_it_says_so) {
    struct Row {
        const char* name;
        bool xscreensaver;
        bool obeys;
        int extension;
        bool done;
        std::string sent;
        int serverSaver;
        std::string reason;
    };
    const std::string activate = "send " + std::to_string(FakeX11::Request) + " " +
                                 std::to_string(FakeX11::Activate) + " to " +
                                 std::to_string(FakeX11::SaverWindow);
    const Row rows[] = {
        {"the X server's own", false, true, 1, true, "", 1, ""},
        {"xscreensaver, never the server's", true, true, 1, true, activate, 0, ""},
        {"xscreensaver that stays idle", true, false, 1, false, activate, 0,
         "xscreensaver did not report that it started"},
        {"no screen saver extension", false, true, 0, false, "", 0,
         "the X display cannot tell whether its screen saver runs"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeX11::calls.clear();
        FakeX11::hasDisplay = true;
        FakeX11::extension = row.extension;
        FakeX11::serverSaver = 0;
        FakeX11::xscreensaver = row.xscreensaver;
        FakeX11::xscreensaverObeys = row.obeys;
        FakeX11::xscreensaverStatus = 0;
        std::string reason;
        EXPECT_EQ(Linux::ActivateScreenSaver(FakeX11::Calls(), reason), row.done);
        EXPECT_EQ(reason, row.reason);
        EXPECT_EQ(FakeX11::serverSaver, row.serverSaver);
        auto sent = std::find_if(FakeX11::calls.begin(), FakeX11::calls.end(),
                                 [](const std::string& call) { return call.find("send") == 0; });
        EXPECT_EQ(sent == FakeX11::calls.end() ? "" : *sent, row.sent);
        EXPECT_EQ(FakeX11::calls.back(), "close");
    }
    FakeX11::xscreensaver = false;
    FakeX11::extension = 1;
}

TEST(linux_x11_display_test,
     xscreensaver_is_read_from_its_status_and_idle_time_where_there_is_one) {
    FakeX11::calls.clear();
    FakeX11::hasDisplay = true;
    FakeX11::extension = 1;
    const std::pair<long, Linux::XscreensaverState> states[] = {
        {0, Linux::XscreensaverState::Idle},
        {FakeX11::Blank, Linux::XscreensaverState::Blanked},
        {FakeX11::Lock, Linux::XscreensaverState::Locked},
    };
    Linux::X11Calls calls = FakeX11::Calls();
    {
        Linux::X11Connection connection(calls);
        FakeX11::xscreensaver = false;
        EXPECT_EQ(Linux::ReadXscreensaverState(connection), Linux::XscreensaverState::NotRunning);
        FakeX11::xscreensaver = true;
        for (const auto& [status, state] : states) {
            FakeX11::xscreensaverStatus = status;
            EXPECT_EQ(Linux::ReadXscreensaverState(connection), state);
        }
        FakeX11::xscreensaver = false;
    }
    std::string reason;

    std::uint64_t idle = 0;
    FakeX11::calls.clear();
    EXPECT_TRUE(Linux::IdleMilliseconds(calls, idle));
    EXPECT_EQ(idle, 1234u);
    EXPECT_EQ(FakeX11::calls, (std::vector<std::string>{"open", "query screen saver", "root",
                                                        "idle of 66", "close"}));
    FakeX11::calls.clear();
    FakeX11::extension = 0;
    EXPECT_FALSE(Linux::IdleMilliseconds(FakeX11::Calls(), idle));
    EXPECT_EQ(FakeX11::calls, (std::vector<std::string>{"open", "query screen saver", "close"}));

    Linux::X11Calls missing{};
    EXPECT_FALSE(Linux::IdleMilliseconds(missing, idle));
    EXPECT_FALSE(Linux::ActivateScreenSaver(missing, reason));
    EXPECT_EQ(reason, "no X11 library");
    EXPECT_FALSE(Linux::ForceDisplaysOff(
        missing, [] { return true; }, reason));
    EXPECT_EQ(reason, "no X11 library");
}

}  // namespace
