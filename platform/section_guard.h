#pragma once
// Holds a critical section for the life of a scope, so that every way out of the scope, an
// allocation failure included, leaves it.

#include "platform/boundary.h"

namespace RawLayer {

class SectionGuard {
  public:
    explicit SectionGuard(Os::CriticalSection& section) : section(section) {
        Os::Os().EnterCriticalSection(&section);
    }
    ~SectionGuard() { Os::Os().LeaveCriticalSection(&section); }
    SectionGuard(const SectionGuard&) = delete;
    SectionGuard& operator=(const SectionGuard&) = delete;

  private:
    Os::CriticalSection& section;
};

}  // namespace RawLayer
