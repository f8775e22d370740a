#include "library/text/raw_string.h"

#include <cstring>

#include "library/text/literal_encoding.h"
#include "library/text/raw_pending.h"
#include "library/text/text_compare.h"
#include "platform/section_guard.h"

namespace RawLayer {

RawString::RawString() : body(RawStringBody::NewEmpty(RawEncoding::ShiftJis)) {}

RawString::RawString(RawEncoding encoding, std::int32_t capacity)
    : body(RawStringBody::NewEmpty(encoding)) {
    // A constructor that fails runs no destructor. The body is fresh and unshared, so
    // MakeWritable keeps it.
    RawPending fresh(body, &RawStringBody::Release);
    MakeWritable();
    if (capacity > 0) {
        body->Reserve(capacity);
    }
    fresh.Commit();
}

RawString::RawString(const RawString& other) : body(other.body->Acquire(other.body->encoding)) {}

RawString::RawString(const RawString& other, RawEncoding encoding)
    : body(other.body->Acquire(encoding)) {}

RawString::RawString(RawEncoding encoding, const RawString& other, RawRange range)
    : body(RawStringBody::NewEmpty(encoding)) {
    if (range.start >= range.end) {
        return;
    }
    RawPending fresh(body, &RawStringBody::Destroy);
    body->MakeView(*other.body, range);
    if (other.body->encoding == encoding) {
        body->Reserve(body->capacity);
    } else {
        body->ConvertTo(encoding);
    }
    fresh.Commit();
}

RawString::~RawString() {
    body->Release();
}

RawString RawString::FromLiteral(const char* literal) {
    auto length = static_cast<std::int32_t>(std::strlen(literal));
    return RawString(
        RawStringBody::NewOver(RawStorageKind::Literal, literal, length, RawEncoding::ShiftJis));
}

RawString RawString::Constant(const char* literal) {
    RawString constant = FromLiteral(literal);
    constant.NormalizeLiteral();
    return constant;
}

RawString RawString::Borrow(const void* text, std::int32_t length, RawEncoding encoding) {
    return RawString(RawStringBody::NewOver(RawStorageKind::Borrowed, text, length, encoding));
}

void RawString::Assign(const RawString& other) {
    AssignAs(other.body->encoding, other);
}

void RawString::AssignAs(RawEncoding encoding, const RawString& other) {
    // A handle asked for its own text in another encoding is still converted: a caller that
    // hands the result to a wide call must not get narrow bytes.
    if (&other == this && encoding == body->encoding) {
        return;
    }
    // Acquire first: if it fails, this handle keeps its old body (and a handle converted
    // from itself still holds the body it converts).
    RawStringBody* acquired = other.body->Acquire(encoding);
    body->Release();
    body = acquired;
}

void RawString::MakeWritable() {
    RawStringBody* old = body;
    bool oldIsOrphaned = false;
    {
        SectionGuard guard(old->lock);
        bool shared = old->extraHolders > 0;
        bool notOwnText =
            old->storage == RawStorageKind::Literal || old->storage == RawStorageKind::Borrowed;
        if (!shared && !notOwnText) {
            return;
        }
        RawPending fresh(RawStringBody::NewEmpty(old->encoding), &RawStringBody::Destroy);
        fresh->AssignFrom(*old);
        body = fresh.Commit();
        if (shared) {
            --old->extraHolders;
        } else {
            oldIsOrphaned = true;
        }
    }
    // Its text is not its own, so only the record goes; nobody else can enter its lock.
    if (oldIsOrphaned) {
        old->Destroy();
    }
}

RawStringBody& RawString::EnsureRoom(std::int32_t needed) {
    MakeWritable();
    if (body->capacity < needed) {
        body->Reserve(GrowthCapacity(needed));
    }
    return *body;
}

void RawString::SetUnit(std::int32_t position, std::uint16_t unit) {
    MakeWritable();
    body->StoreUnit(position, unit);
}

void RawString::SetLength(std::int32_t length) {
    MakeWritable();
    body->length = length;
    // The shared empty buffer already holds its zero and is never written.
    if (body->storage != RawStorageKind::SharedEmpty) {
        body->StoreUnit(length, 0);
    }
}

RawStringBody& RawString::WritableBody(std::int32_t room) {
    MakeWritable();
    if (body->capacity < room) {
        body->Reserve(room);
    }
    return *body;
}

void RawString::AppendIndent() {
    std::int32_t needed = Length() + 3;
    EnsureRoom(needed);
    std::int32_t start = Length();
    for (std::int32_t i = 0; i < 3; ++i) {
        SetUnit(start + i, ' ');
    }
    SetLength(needed);
}

bool RawString::Equals(const RawString& other) const {
    return RangeEquals(*this, {0, Length()}, other, {0, other.Length()});
}

void RawString::NormalizeLiteral() {
    // The temporary carries the detected encoding, so a literal written in UTF-8 reaches
    // this handle converted into the handle's own encoding; a Shift-JIS or ASCII literal is
    // simply shared, in place.
    RawEncoding detected =
        DetectLiteralEncoding(body->Bytes(), static_cast<std::uint32_t>(body->length));
    RawString temporary(
        RawStringBody::NewOver(RawStorageKind::Literal, body->text, body->length, detected));
    AssignAs(body->encoding, temporary);
}

const RawString& EmptyText() {
    static const RawString text;
    return text;
}

const RawString& LineBreakText() {
    static const RawString text = RawString::Constant("\r\n");
    return text;
}

const RawString& ProgramNameText() {
    static const RawString text = RawString::Constant("Velmoran");
    return text;
}

}  // namespace RawLayer
