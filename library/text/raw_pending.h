#pragma once
// RawPending: something built aside and not yet handed over. Unless Commit hands it on, leaving
// the scope (by an allocation failure, say) frees it, so that an operation that fails halfway
// leaves nothing behind and changes nothing.

#include <functional>

namespace RawLayer {

template <typename T, typename Free>
class RawPending {
  public:
    // free is called with the held pointer, as a function or as a member function.
    RawPending(T* held, Free free) : held(held), free(free) {}
    ~RawPending() {
        if (held != nullptr) {
            std::invoke(free, held);
        }
    }
    RawPending(const RawPending&) = delete;
    RawPending& operator=(const RawPending&) = delete;

    T* Get() const { return held; }
    T* operator->() const { return held; }
    // Hands the held thing on; from here on nothing is freed.
    T* Commit() {
        T* committed = held;
        held = nullptr;
        return committed;
    }

  private:
    T* held;
    Free free;
};

}  // namespace RawLayer
