#pragma once
// A document or program to open through the shell, and the process the shell started for it.
// The object owns that process handle and closes it.

#include <cstdint>

#include "library/text/raw_string.h"
#include "platform/os_types.h"

namespace RawLayer {

class RawShell {
  public:
    // Show code of a normal window.
    static constexpr std::uint8_t ShowNormal = 1;

    explicit RawShell(const RawString& file);
    // Not virtual: nothing is destroyed through a base pointer.
    ~RawShell();
    RawShell(const RawShell&) = delete;
    RawShell& operator=(const RawShell&) = delete;

    // Launches with file, directory, showCommand and mask. first holds the parameters when file is
    // given and names what to open when it is empty; an empty verb is the shell's default.
    // A handle held from an earlier launch is closed first, whatever happens next. True when
    // a process handle came back; processId then names that process, and otherwise keeps
    // naming the last one started.
    virtual bool Execute(const RawString& first, const RawString& verb);

    // Closes the process handle when one is held.
    void CloseProcess();

    Os::Handle process;
    std::uint32_t processId;
    RawString file;
    RawString parameters;
    RawString directory;
    std::uint8_t showCommand;
    // The shell's execution flags: ExpandingLaunch, or LiteralLaunch for a path that must be
    // opened exactly as written.
    std::uint32_t mask;
};

}  // namespace RawLayer
