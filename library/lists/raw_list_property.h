#pragma once
// The root of the list family. Its nested Allocator is the interface through which a list
// frees the units it owns; it carries the only virtual table of a list object.

namespace RawLayer {

class RawListProperty {
  public:
    class Allocator {
      public:
        virtual ~Allocator() = default;
        // Frees one unit; null does nothing.
        virtual void FreeUnit(void* unit) = 0;

      protected:
        Allocator() = default;
        Allocator(const Allocator&) = default;
        Allocator& operator=(const Allocator&) = default;
    };
};

}  // namespace RawLayer
