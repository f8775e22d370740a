#pragma once
// COM on the calling thread while the object lives. The handler the shell picks for a file
// may be a COM object, and the shell expects its caller's thread to have COM initialised.

namespace RawLayer {

class RawComApartment {
  public:
    // Joins a single-threaded apartment, without the OLE1 DDE window.
    RawComApartment();
    // Leaves it again when joining succeeded; a thread that was already in one was joined
    // once more and leaves once as well.
    ~RawComApartment();
    RawComApartment(const RawComApartment&) = delete;
    RawComApartment& operator=(const RawComApartment&) = delete;

    bool joined;
};

}  // namespace RawLayer
