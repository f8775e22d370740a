#include "library/system/shell_launch.h"

#include "library/system/call_text.h"
#include "library/text/call_width.h"
#include "library/text/raw_encoding.h"
#include "platform/boundary.h"

namespace RawLayer {
namespace {

#ifdef _WIN32
// The record the system reads: 60 bytes on 32-bit Windows, 112 with 64-bit pointers and their
// padding.
constexpr std::size_t ExecutionRecordSize = sizeof(void*) == 4 ? 60 : 112;
static_assert(sizeof(Os::ShellExecuteInfoA) == ExecutionRecordSize &&
                  sizeof(Os::ShellExecuteInfoW) == ExecutionRecordSize,
              "the system's execution record");
#endif

template <typename CallText, typename Info>
Os::Handle Launch(Os::Bool(RAWLAYER_SYSTEM_CALL* shellExecute)(Info*), const RawString& verb,
                  const RawString& file, const RawString& first, const RawString& directory,
                  std::uint8_t showCommand, std::uint32_t mask) {
    bool fileGiven = file.Length() > 0;
    CallText verbText(verb);
    CallText target(fileGiven ? file : first);
    CallText arguments(fileGiven ? first : EmptyText());
    CallText directoryText(directory);

    Info record{};
    record.cbSize = sizeof record;
    record.fMask = mask;
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
                       const RawString& directory, std::uint8_t showCommand, std::uint32_t mask) {
    // The verb takes no part in the choice: it is brought to whichever width the texts need.
    if (ChooseCallWidth(file, first, directory) == RawCallWidth::NarrowCall) {
        return ShellLaunchNarrow(RawString(verb, RawEncoding::ShiftJis), file, first, directory,
                                 showCommand, mask);
    }
    // Both wide forms: Wide texts are passed as they are, the others converted.
    return ShellLaunchWide(RawString(verb, RawEncoding::Wide), file, first, directory, showCommand,
                           mask);
}

Os::Handle ShellLaunchNarrow(const RawString& verb, const RawString& file, const RawString& first,
                             const RawString& directory, std::uint8_t showCommand,
                             std::uint32_t mask) {
    return Launch<NarrowCallText>(Os::Os().ShellExecuteExA, verb, file, first, directory,
                                  showCommand, mask);
}

Os::Handle ShellLaunchWide(const RawString& verb, const RawString& file, const RawString& first,
                           const RawString& directory, std::uint8_t showCommand,
                           std::uint32_t mask) {
    return Launch<WideCallText>(Os::Os().ShellExecuteExW, verb, file, first, directory, showCommand,
                                mask);
}

}  // namespace RawLayer
