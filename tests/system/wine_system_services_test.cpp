// The system services with the real Windows calls: attributes of real files and folders with
// ASCII, Shift-JIS and Japanese wide names, and documents opened through the real shell.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "library/system/file_attributes.h"
#include "library/system/raw_shell.h"
#include "library/system/shell_launch.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::EmptyText;
using RawLayer::NoProcess;
using RawLayer::QueryFileAttributes;
using RawLayer::RawEncoding;
using RawLayer::RawShell;
using RawLayer::RawString;
using RawLayer::Os::FileAttributeDirectory;
using RawLayer::Os::InvalidFileAttributes;
using namespace RawLayer::Testing;

const std::string iShiftJis = "\x82\xA2";                     // い, never created
const std::wstring nihongo = L"\u65E5\u672C\u8A9E";           // 日本語
const std::wstring folderName = L"\u30D5\u30A9\u30EB\u30C0";  // フォルダ

std::u16string Units(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring Directory(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

TEST(wine_file_attributes_test, ascii_paths_go_through_the_narrow_call) {
    TemporaryFolder folder;
    folder.File(L"readme.txt");
    folder.Folder(L"sub");
    std::string base = folder.Narrow();

    EXPECT_EQ(QueryFileAttributes(TextOf(base + "\\sub")) & FileAttributeDirectory,
              FileAttributeDirectory);
    std::uint32_t file = QueryFileAttributes(TextOf(base + "\\readme.txt"));
    EXPECT_NE(file, InvalidFileAttributes);
    EXPECT_EQ(file & FileAttributeDirectory, 0u);
    EXPECT_EQ(QueryFileAttributes(TextOf(base + "\\missing.txt")), InvalidFileAttributes);
    EXPECT_EQ(QueryFileAttributes(TextOf(base + "/readme.txt", RawEncoding::Utf8)), file);
    EXPECT_EQ(QueryFileAttributes(EmptyText()), InvalidFileAttributes);
}

// The narrow call reads its bytes in the process's ANSI code page, which Wine takes from the
// locale: 1252 in an English session, 932 in a Japanese one. The Shift-JIS names are created
// through the narrow calls as well, so that they lie where the narrow query looks in either
// session; in a Japanese session they are also the Japanese names.
TEST(wine_file_attributes_test, shift_jis_paths_go_unconverted_through_the_narrow_call) {
    TemporaryFolder folder;
    std::string base = folder.Narrow();
    std::string file = base + "\\" + hiraganaAShiftJis + ".txt";
    std::string directory = base + "\\" + nihonShiftJis;
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));

    std::uint32_t fileAttributes = QueryFileAttributes(TextOf(file));
    EXPECT_NE(fileAttributes, InvalidFileAttributes);
    EXPECT_EQ(fileAttributes & FileAttributeDirectory, 0u);
    EXPECT_EQ(QueryFileAttributes(TextOf(directory)) & FileAttributeDirectory,
              FileAttributeDirectory);
    EXPECT_EQ(QueryFileAttributes(TextOf(base + "\\" + iShiftJis + ".txt")), InvalidFileAttributes);
    if (GetACP() == 932) {
        EXPECT_NE(GetFileAttributesW((folder.path + L"\\\u3042.txt").c_str()),
                  InvalidFileAttributes);
    }
}

TEST(wine_file_attributes_test, japanese_wide_and_converted_paths_go_through_the_wide_call) {
    TemporaryFolder folder;
    std::wstring file = folder.File(nihongo + L".txt");
    std::wstring directory = folder.Folder(folderName);

    std::uint32_t fileAttributes = QueryFileAttributes(WideOf(Units(file)));
    EXPECT_NE(fileAttributes, InvalidFileAttributes);
    EXPECT_EQ(fileAttributes & FileAttributeDirectory, 0u);
    EXPECT_EQ(QueryFileAttributes(WideOf(Units(directory))) & FileAttributeDirectory,
              FileAttributeDirectory);
    EXPECT_EQ(QueryFileAttributes(WideOf(Units(folder.path + L"\\\u3044.txt"))),
              InvalidFileAttributes);
    // 日本語.txt in UTF-8 and in UTF-16 bytes reaches the same file after conversion.
    std::string utf8 = folder.Narrow() + "\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt";
    EXPECT_EQ(QueryFileAttributes(TextOf(utf8, RawEncoding::Utf8)), fileAttributes);
    std::string utf16(reinterpret_cast<const char*>(file.data()), file.size() * 2);
    EXPECT_EQ(QueryFileAttributes(TextOf(utf16, RawEncoding::Utf16LittleEndian)), fileAttributes);
}

// Makes the test viewer the handler of .txt files while it lives, and gives it the log to
// write; the previous handler comes back afterwards.
class TextViewerAssociation {
  public:
    explicit TextViewerAssociation(const std::wstring& log) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        // Where the build put the viewer, from this program's folder.
        std::wstring viewer =
            (std::filesystem::path(Directory(self)) / VELMORAN_TEXT_VIEWER).lexically_normal();
        std::wstring command = L"\"" + viewer + L"\" \"%1\"";
        LONG size = sizeof previous;
        hadPrevious = RegQueryValueW(HKEY_CLASSES_ROOT, L".txt", previous, &size) == ERROR_SUCCESS;
        Set(L".txt", className);
        Set(std::wstring(className) + L"\\shell\\open\\command", command);
        SetEnvironmentVariableW(L"VELMORAN_VIEWER_LOG", log.c_str());
    }
    ~TextViewerAssociation() {
        SetEnvironmentVariableW(L"VELMORAN_VIEWER_LOG", nullptr);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, className);
        if (hadPrevious) {
            Set(L".txt", previous);
        } else {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
        }
    }
    TextViewerAssociation(const TextViewerAssociation&) = delete;
    TextViewerAssociation& operator=(const TextViewerAssociation&) = delete;

  private:
    static void Set(const std::wstring& key, const std::wstring& value) {
        RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                     static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    }

    static constexpr const wchar_t* className = L"Velmoran.TestText";
    wchar_t previous[MAX_PATH] = {};
    bool hadPrevious = false;
};

// The log's lines so far: the paths the viewer was given, in UTF-8.
std::string ReadLog(const std::wstring& log) {
    std::ifstream stream(std::filesystem::path(log), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// A path as the viewer writes it to its log: UTF-8, then a line break.
std::string LogLine(const std::wstring& path) {
    std::u8string utf8 = std::filesystem::path(path).u8string();
    return std::string(utf8.begin(), utf8.end()) + "\n";
}

// Opens the document through a RawShell the way the launcher does, waits for the viewer to
// end, and gives back its log; the handle must be closed with the object.
std::string OpenAndWait(const RawString& document, const std::wstring& log) {
    HANDLE process = nullptr;
    {
        RawShell shell(document);
        EXPECT_TRUE(shell.Execute(shell.parameters, EmptyText()));
        process = shell.process;
        EXPECT_NE(process, NoProcess);
        if (process == NoProcess) {
            return "";
        }
        EXPECT_EQ(shell.processId, GetProcessId(process));
        EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(process, &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(process, &flags)) << "the process handle was left open";
    return ReadLog(log);
}

TEST(wine_shell_test, a_text_file_opens_in_its_viewer_through_either_call) {
    TemporaryFolder folder;
    std::wstring log = folder.path + L"\\viewer.log";
    TextViewerAssociation association(log);
    std::wstring ascii = folder.File(L"read me.txt");
    std::wstring japanese = folder.File(nihongo + L".txt");

    // A path with a blank reaches the viewer whole only when the shell quotes it.
    EXPECT_EQ(OpenAndWait(TextOf(folder.Narrow() + "\\read me.txt"), log), LogLine(ascii));
    EXPECT_EQ(OpenAndWait(WideOf(Units(japanese)), log), LogLine(ascii) + LogLine(japanese));
}

TEST(wine_shell_test, environment_variables_in_the_file_are_expanded) {
    TemporaryFolder folder;
    std::wstring log = folder.path + L"\\viewer.log";
    TextViewerAssociation association(log);
    std::wstring file = folder.File(L"readme.txt");
    SetEnvironmentVariableW(L"VELMORAN_TEST_FOLDER", folder.path.c_str());

    std::string seen = OpenAndWait(TextOf("%VELMORAN_TEST_FOLDER%\\readme.txt"), log);
    SetEnvironmentVariableW(L"VELMORAN_TEST_FOLDER", nullptr);
    EXPECT_EQ(seen, LogLine(file));
}

// Watches for a dialog box of this process while it lives, and closes any it finds so that
// a modal box cannot hold the test up.
class DialogWatch {
  public:
    DialogWatch() : watcher([this] { Watch(); }) {}
    ~DialogWatch() {
        stop = true;
        watcher.join();
    }
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;

    int Seen() const { return seen; }

  private:
    static BOOL CALLBACK CloseDialog(HWND window, LPARAM context) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (owner == GetCurrentProcessId() && std::wstring(className) == L"#32770") {
            ++reinterpret_cast<DialogWatch*>(context)->seen;
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    void Watch() {
        while (!stop) {
            EnumWindows(CloseDialog, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
        EnumWindows(CloseDialog, reinterpret_cast<LPARAM>(this));
    }

    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    std::thread watcher;
};

TEST(wine_shell_test, a_missing_file_fails_without_a_dialog_or_a_handle) {
    TemporaryFolder folder;
    const RawString documents[] = {
        TextOf(folder.Narrow() + "\\missing.txt"),
        WideOf(Units(folder.path + L"\\\u3044.txt")),
    };
    for (const RawString& document : documents) {
        DialogWatch watch;
        RawShell shell(document);
        EXPECT_FALSE(shell.Execute(shell.parameters, EmptyText()));
        EXPECT_EQ(shell.process, NoProcess);
        EXPECT_EQ(shell.processId, 0u);
        Sleep(200);
        EXPECT_EQ(watch.Seen(), 0);
    }
}

}  // namespace
