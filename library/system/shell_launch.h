#pragma once
// Opening a document or starting a program through the shell's execution service, with the
// narrow or the wide call chosen from the encodings of the texts.

#include <cstdint>

#include "library/text/raw_string.h"
#include "platform/os_types.h"
#include "platform/os_values.h"

namespace RawLayer {

// What a launch gives back when it started no process, or failed.
inline constexpr Os::Handle NoProcess = nullptr;

// The shell's execution flags: the process handle comes back and the shell shows no error box
// of its own; %VARIABLES% in the texts are expanded unless the caller takes them literally.
inline constexpr std::uint32_t ExpandingLaunch =
    Os::SeeMaskNoCloseProcess | Os::SeeMaskDoEnvSubst | Os::SeeMaskFlagNoUi;
inline constexpr std::uint32_t LiteralLaunch = Os::SeeMaskNoCloseProcess | Os::SeeMaskFlagNoUi;

// Opens file with first as its parameters; when file is empty, opens first with none. An
// empty verb asks for the shell's default verb; an empty directory names none. Returns the
// handle of the started process, which the caller closes, or NoProcess.
Os::Handle ShellLaunch(const RawString& verb, const RawString& file, const RawString& first,
                       const RawString& directory, std::uint8_t showCommand,
                       std::uint32_t mask = ExpandingLaunch);

// The same through the narrow call: the texts' own bytes, unconverted.
Os::Handle ShellLaunchNarrow(const RawString& verb, const RawString& file, const RawString& first,
                             const RawString& directory, std::uint8_t showCommand,
                             std::uint32_t mask = ExpandingLaunch);

// The same through the wide call: every text that is not Wide is converted.
Os::Handle ShellLaunchWide(const RawString& verb, const RawString& file, const RawString& first,
                           const RawString& directory, std::uint8_t showCommand,
                           std::uint32_t mask = ExpandingLaunch);

}  // namespace RawLayer
