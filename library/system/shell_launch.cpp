#include "library/system/shell_launch.h"

#include "library/system/call_text.h"
#include "library/text/call_width.h"
#include "library/text/raw_encoding.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

// The process handle comes back to the caller, %VARIABLES% in the texts are expanded, and
// the shell shows no error box of its own: a launch that fails, fails silently.
constexpr std::uint32_t MaskNoCloseProcess = 0x40u;
constexpr std::uint32_t MaskExpandEnvironment = 0x200u;
constexpr std::uint32_t MaskNoUserInterface = 0x400u;
constexpr std::uint32_t LaunchMask =
    MaskNoCloseProcess | MaskExpandEnvironment | MaskNoUserInterface;

#ifdef _WIN32
static_assert(sizeof(Os::ShellExecuteInfoA) == 60 && sizeof(Os::ShellExecuteInfoW) == 60,
              "the 32-bit execution record");
#endif

template <typename CallText, typename Info>
Os::Handle Launch(Os::Bool(RAWLAYER_SYSTEM_CALL* shellExecute)(Info*), const RawString& verb,
                  const RawString& file, const RawString& first, const RawString& directory,
                  std::uint8_t showCommand) {
    bool fileGiven = file.Length() > 0;
    CallText verbText(verb);
    CallText target(fileGiven ? file : first);
    CallText arguments(fileGiven ? first : EmptyText());
    CallText directoryText(directory);

    Info record{};
    record.cbSize = sizeof record;
    record.fMask = LaunchMask;
    record.hwnd = nullptr;
    record.lpVerb = verb.Length() > 0 ? verbText.Get() : nullptr;
    record.lpFile = target.Get();
    record.lpParameters = arguments.Get();
    record.lpDirectory = directoryText.Get();
    record.nShow = showCommand;
    if (!shellExecute(&record)) {
        return NoProcess;
    }
    return record.hProcess;
}

}  // namespace

Os::Handle ShellLaunch(const RawString& verb, const RawString& file, const RawString& first,
                       const RawString& directory, std::uint8_t showCommand) {
    // The verb takes no part in the choice: it is brought to whichever width the texts need.
    if (ChooseCallWidth(file, first, directory) == RawCallWidth::NarrowCall) {
        return ShellLaunchNarrow(RawString(verb, RawEncoding::ShiftJis), file, first, directory,
                                 showCommand);
    }
    // Both wide forms: Wide texts are passed as they are, the others converted.
    return ShellLaunchWide(RawString(verb, RawEncoding::Wide), file, first, directory, showCommand);
}

Os::Handle ShellLaunchNarrow(const RawString& verb, const RawString& file, const RawString& first,
                             const RawString& directory, std::uint8_t showCommand) {
    return Launch<NarrowCallText>(Os::Os().ShellExecuteExA, verb, file, first, directory,
                                  showCommand);
}

Os::Handle ShellLaunchWide(const RawString& verb, const RawString& file, const RawString& first,
                           const RawString& directory, std::uint8_t showCommand) {
    return Launch<WideCallText>(Os::Os().ShellExecuteExW, verb, file, first, directory,
                                showCommand);
}

}  // namespace RawLayer
