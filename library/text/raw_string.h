#pragma once
// RawString: the library's one text type. A handle to a shared, counted body; copies share
// the body, and a change through any handle first gives that handle a body of its own.

#include <cstdint>

#include "library/text/raw_encoding.h"
#include "library/text/raw_range.h"
#include "library/text/raw_string_body.h"

namespace RawLayer {

class RawString {
  public:
    // Empty, ShiftJis, on the shared empty buffer.
    RawString();
    // Empty in the given encoding, with room for capacity units when capacity > 0.
    RawString(RawEncoding encoding, std::int32_t capacity);
    RawString(const RawString& other);
    // The other's text, kept in the given encoding (converted when it differs).
    RawString(const RawString& other, RawEncoding encoding);
    // An exact copy of a range of the other's text, in the given encoding.
    RawString(RawEncoding encoding, const RawString& other, RawRange range);
    ~RawString();

    RawString& operator=(const RawString& other) {
        Assign(other);
        return *this;
    }

    // Constant program text ending in a zero byte, used in place.
    static RawString FromLiteral(const char* literal);
    // A literal constant as built on first use: FromLiteral, then NormalizeLiteral.
    static RawString Constant(const char* literal);
    // Someone else's text, used in place until it is kept or changed.
    static RawString Borrow(const void* text, std::int32_t length, RawEncoding encoding);

    void Assign(const RawString& other);
    void AssignAs(RawEncoding encoding, const RawString& other);

    // Afterwards this handle is the only holder of a body whose text it may change.
    void MakeWritable();
    // Room for a text of needed units, grown by the growth rule when short; returns the body to
    // write into, as WritableBody does.
    RawStringBody& EnsureRoom(std::int32_t needed);
    void SetUnit(std::int32_t position, std::uint16_t unit);
    // Sets the length (at most the capacity) and writes a zero unit behind the text.
    void SetLength(std::int32_t length);
    // For the writers that fill a text themselves: MakeWritable, then, when the capacity is
    // below room, Reserve exactly room units. Units go into the body it returns beyond the
    // length (through StoreUnit and CopyUnits, or a system call through its text), and
    // SetLength then commits them. The body stays this handle's until the next change.
    RawStringBody& WritableBody(std::int32_t room);
    // Appends three spaces.
    void AppendIndent();
    // Whole-text, case-sensitive equality of unit values; encodings are not compared.
    bool Equals(const RawString& other) const;
    // The first-use step of a literal constant: classify it and keep it as a Literal.
    void NormalizeLiteral();

    std::uint16_t UnitAt(std::int32_t position) const { return body->UnitAt(position); }
    std::int32_t Length() const { return body->length; }
    std::int32_t Capacity() const { return body->capacity; }
    RawEncoding Encoding() const { return body->encoding; }
    // The text pointer as Windows calls receive it.
    const void* Text() const { return body->text; }
    const char* NarrowText() const { return static_cast<const char*>(body->text); }
    const Os::WideUnit* WideText() const { return body->WideUnits(); }
    const RawStringBody& Body() const { return *body; }

  private:
    explicit RawString(RawStringBody* body) : body(body) {}

    RawStringBody* body;
};

// Process-wide text constants, built on first use and released at exit.
const RawString& EmptyText();
const RawString& LineBreakText();
const RawString& ProgramNameText();

}  // namespace RawLayer
