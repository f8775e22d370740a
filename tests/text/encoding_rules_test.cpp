// The rules that read a text by its encoding: which encoding a literal is written in
// (literal_encoding), how many units a character takes (character_width), and which width a
// call over several texts takes (call_width).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/text/call_width.h"
#include "library/text/character_width.h"
#include "library/text/literal_encoding.h"
#include "library/text/raw_string.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::ChooseCallWidth;
using RawLayer::RawCallWidth;
using RawLayer::RawEncoding;
using RawLayer::RawString;
using RawLayer::TrailUnitCount;
using namespace RawLayer::Testing;

RawEncoding Detect(const std::string& bytes) {
    // An exact-size copy, so that a read past the text is caught.
    std::vector<unsigned char> exact(bytes.begin(), bytes.end());
    return RawLayer::DetectLiteralEncoding(exact.data(), static_cast<std::uint32_t>(exact.size()));
}

TEST(encoding_rules_test, literal_bytes_are_classified_as_shift_jis_or_utf8) {
    const struct {
        const char* name;
        std::string bytes;
        RawEncoding encoding;
    } rows[] = {
        {"ASCII", "abc", RawEncoding::ShiftJis},
        {"empty", "", RawEncoding::ShiftJis},
        {"e-acute in UTF-8", "\xC3\xA9", RawEncoding::Utf8},
        {"hiragana a in Shift-JIS", "\x82\xA0", RawEncoding::ShiftJis},
        {"hiragana a in UTF-8, also Shift-JIS", "\xE3\x81\x82", RawEncoding::ShiftJis},
        {"two kanji in UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC", RawEncoding::Utf8},
        {"two kanji in Shift-JIS", "\x93\xFA\x96\x7B", RawEncoding::ShiftJis},
        {"half-width katakana", "\xB1\xB2", RawEncoding::ShiftJis},
        {"the byte 80", "\x80", RawEncoding::Utf8},
        {"a four-byte UTF-8 character", "\xF0\x9F\x98\x80", RawEncoding::Utf8},
        {"a trail byte below 40 after a lead", "\x81\x30", RawEncoding::ShiftJis},
        {"a lead byte left open at the end", "ab\xE3", RawEncoding::ShiftJis},
        {"an open UTF-8 sequence at the end", "\xC3\xA9\xC3", RawEncoding::Utf8},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Detect(row.bytes), row.encoding) << row.name;
    }
}

struct TrailRow {
    RawEncoding encoding;
    std::string bytes;  // for Wide, UTF-16LE bytes
    std::int32_t position;
    std::int32_t trail;
};

std::string Text(const char* bytes, std::size_t length) {
    return std::string(bytes, length);
}

TEST(encoding_rules_test, trail_unit_count_follows_each_encoding) {
    const TrailRow rows[] = {
        {RawEncoding::Wide, Text("\x00\xD8\x00\xDC", 4), 0, 1},
        {RawEncoding::Wide, Text("\x00\xD8", 2), 0, 0},
        {RawEncoding::Wide, Text("\x00\xD8\\\0", 4), 0, 0},
        {RawEncoding::Wide, Text("\xFF\xDB\xFF\xDF", 4), 0, 1},
        {RawEncoding::Wide, Text("\x00\xDC", 2), 0, 0},
        {RawEncoding::Wide, Text("\xFF\xD7", 2), 0, 0},
        {RawEncoding::Wide, Text("A\0", 2), 0, 0},
        {RawEncoding::ShiftJis, "\x81", 0, 1},
        {RawEncoding::ShiftJis, "\x9F", 0, 1},
        {RawEncoding::ShiftJis, "\xA0", 0, 0},
        {RawEncoding::ShiftJis, "\xE0", 0, 1},
        {RawEncoding::ShiftJis, "\xEF", 0, 1},
        {RawEncoding::ShiftJis, "\xF0", 0, 0},
        {RawEncoding::ShiftJis, "\xFC", 0, 0},
        {RawEncoding::ShiftJis, "\x80", 0, 0},
        {RawEncoding::ShiftJis, "\\", 0, 0},
        {RawEncoding::ShiftJis, "\x95\x5C", 1, 0},
        {RawEncoding::Utf8, "A", 0, 0},
        {RawEncoding::Utf8, "\xBF", 0, 0},
        {RawEncoding::Utf8, "\xC0", 0, 0},
        {RawEncoding::Utf8, "\xC1", 0, 0},
        {RawEncoding::Utf8, "\xC2", 0, 1},
        {RawEncoding::Utf8, "\xDF", 0, 1},
        {RawEncoding::Utf8, "\xE0", 0, 2},
        {RawEncoding::Utf8, "\xEF", 0, 2},
        {RawEncoding::Utf8, "\xF0", 0, 3},
        {RawEncoding::Utf8, "\xF7", 0, 3},
        {RawEncoding::Utf8, "\xF8", 0, 4},
        {RawEncoding::Utf8, "\xFB", 0, 4},
        {RawEncoding::Utf8, "\xFC", 0, 5},
        {RawEncoding::Utf8, "\xFD", 0, 5},
        {RawEncoding::Utf8, "\xFE", 0, 0},
        {RawEncoding::Utf8, "\xFF", 0, 0},
        {RawEncoding::Utf16LittleEndian, Text("\x00\xD8\x00\xDC", 4), 0, 3},
        {RawEncoding::Utf16LittleEndian, Text("\x00\xD8\x00\xDC", 4), 1, 0},
        {RawEncoding::Utf16LittleEndian, Text("\x00\xD8\x00\xDC", 4), 2, 1},
        {RawEncoding::Utf16LittleEndian, Text("\xFF\xDB\xFF\xDF", 4), 0, 3},
        {RawEncoding::Utf16LittleEndian, Text("\xFF\xDB", 2), 0, 1},
        {RawEncoding::Utf16LittleEndian, Text("\x00\xD8\\\0", 4), 0, 1},
        {RawEncoding::Utf16LittleEndian, Text("\xD8\x00", 2), 0, 1},
        {RawEncoding::Utf16LittleEndian, Text("A\0B", 3), 2, 1},
        {RawEncoding::Utf16BigEndian, Text("\xD8\x00\xDC\x00", 4), 0, 3},
        {RawEncoding::Utf16BigEndian, Text("\xD8\x00\xDC\x00", 4), 3, 0},
        {RawEncoding::Utf16BigEndian, Text("\x00\xD8", 2), 0, 1},
        {RawEncoding::Utf16BigEndian, Text("\0A\xD8", 3), 2, 1},
        {RawEncoding::Utf16BigEndian, Text("\xD8\x00\0\\", 4), 0, 1},
        {RawEncoding::AnsiCodePage, "\x81", 0, 0},
        {RawEncoding::AnsiCodePage, "\xE3", 0, 0},
        {RawEncoding::Utf7, "\xC2", 0, 0},
        {RawEncoding::EucJp, "\xA4", 0, 0},
        {RawEncoding::EucJp, "\x8E", 0, 0},
        {RawEncoding::EucJp, "\xF0", 0, 0},
    };
    for (const TrailRow& row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.encoding)) + " text of " +
                     std::to_string(row.bytes.size()) + " bytes at " +
                     std::to_string(row.position));
        RawString owned = TextIn(row.encoding, row.bytes);
        // Narrow texts are borrowed over a buffer of exactly their size, so that a read past
        // the end is caught.
        std::vector<char> exact(row.bytes.begin(), row.bytes.end());
        RawString text =
            row.encoding == RawEncoding::Wide
                ? RawString(owned)
                : RawString::Borrow(exact.data(), static_cast<std::int32_t>(exact.size()),
                                    row.encoding);
        EXPECT_EQ(TrailUnitCount(text, row.position), row.trail);
    }
}

enum class Class { Narrow, Wide, Either };

const char* ClassName(Class value) {
    switch (value) {
        case Class::Narrow:
            return "narrow";
        case Class::Wide:
            return "wide";
        case Class::Either:
            return "either";
    }
    return "";
}

// Several texts of each class, so that a class is never decided by one encoding only.
std::vector<RawString> SamplesOf(Class value) {
    std::vector<RawString> samples;
    switch (value) {
        case Class::Narrow:
            samples.push_back(TextOf("a", RawEncoding::ShiftJis));
            samples.push_back(TextOf("a", RawEncoding::AnsiCodePage));
            samples.push_back(TextOf("plain ~", RawEncoding::Utf8));
            samples.push_back(TextOf("\x82\xA0", RawEncoding::ShiftJis));
            break;
        case Class::Wide:
            samples.push_back(WideOf(u"a"));
            samples.push_back(WideOf(u"\x3042"));
            break;
        case Class::Either:
            samples.push_back(RawString());
            samples.push_back(RawString(RawEncoding::Wide, 0));
            samples.push_back(RawString(RawEncoding::EucJp, 0));
            samples.push_back(RawString(RawEncoding::Utf16LittleEndian, 8));
            samples.push_back(RawString(RawEncoding::Utf8, 0));
            break;
    }
    return samples;
}

TEST(encoding_rules_test, two_texts_choose_the_call_width_by_their_classes) {
    const struct {
        Class first;
        Class second;
        RawCallWidth width;
    } rows[] = {
        {Class::Narrow, Class::Narrow, RawCallWidth::NarrowCall},
        {Class::Narrow, Class::Wide, RawCallWidth::WideAfterConversion},
        {Class::Narrow, Class::Either, RawCallWidth::NarrowCall},
        {Class::Wide, Class::Narrow, RawCallWidth::WideAfterConversion},
        {Class::Wide, Class::Wide, RawCallWidth::WideCall},
        {Class::Wide, Class::Either, RawCallWidth::WideCall},
        {Class::Either, Class::Narrow, RawCallWidth::NarrowCall},
        {Class::Either, Class::Wide, RawCallWidth::WideCall},
        {Class::Either, Class::Either, RawCallWidth::NarrowCall},
    };
    for (const auto& row : rows) {
        std::vector<RawString> firsts = SamplesOf(row.first);
        std::vector<RawString> seconds = SamplesOf(row.second);
        for (std::size_t i = 0; i < firsts.size(); ++i) {
            for (std::size_t j = 0; j < seconds.size(); ++j) {
                EXPECT_EQ(ChooseCallWidth(firsts[i], seconds[j]), row.width)
                    << ClassName(row.first) << " sample " << i << ", " << ClassName(row.second)
                    << " sample " << j;
            }
        }
    }
}

TEST(encoding_rules_test, three_texts_choose_the_call_width_by_the_same_rule) {
    const struct {
        Class first;
        Class second;
        Class third;
        RawCallWidth width;
    } rows[] = {
        {Class::Narrow, Class::Either, Class::Wide, RawCallWidth::WideAfterConversion},
        {Class::Wide, Class::Either, Class::Either, RawCallWidth::WideCall},
        {Class::Either, Class::Either, Class::Either, RawCallWidth::NarrowCall},
        {Class::Either, Class::Either, Class::Wide, RawCallWidth::WideCall},
        {Class::Either, Class::Narrow, Class::Either, RawCallWidth::NarrowCall},
        {Class::Narrow, Class::Narrow, Class::Narrow, RawCallWidth::NarrowCall},
        {Class::Wide, Class::Wide, Class::Wide, RawCallWidth::WideCall},
        {Class::Wide, Class::Wide, Class::Narrow, RawCallWidth::WideAfterConversion},
        {Class::Either, Class::Wide, Class::Narrow, RawCallWidth::WideAfterConversion},
    };
    for (const auto& row : rows) {
        RawString first = SamplesOf(row.first).front();
        RawString second = SamplesOf(row.second).back();
        RawString third = SamplesOf(row.third).front();
        EXPECT_EQ(ChooseCallWidth(first, second, third), row.width)
            << ClassName(row.first) << ", " << ClassName(row.second) << ", "
            << ClassName(row.third);
    }
}

TEST(encoding_rules_test, a_text_that_needs_conversion_decides_in_any_position) {
    const struct {
        const char* name;
        RawString (*make)();
    } forcing[] = {
        {"Utf8 with the byte 7F", [] { return TextOf("ab\x7F", RawEncoding::Utf8); }},
        {"Utf8 with e-acute", [] { return TextOf("\xC3\xA9", RawEncoding::Utf8); }},
        {"EucJp", [] { return TextOf("a", RawEncoding::EucJp); }},
        {"Utf7", [] { return TextOf("a", RawEncoding::Utf7); }},
        {"Utf16BigEndian",
         [] { return TextOf(std::string("\0a", 2), RawEncoding::Utf16BigEndian); }},
        {"Utf16LittleEndian",
         [] { return TextOf(std::string("a\0", 2), RawEncoding::Utf16LittleEndian); }},
    };
    for (const auto& text : forcing) {
        RawString needsConversion = text.make();
        for (Class other : {Class::Narrow, Class::Wide, Class::Either}) {
            SCOPED_TRACE(std::string(text.name) + " with " + ClassName(other) + " texts");
            RawString a = SamplesOf(other).front();
            RawString b = SamplesOf(other).back();
            EXPECT_EQ(ChooseCallWidth(needsConversion, a), RawCallWidth::WideAfterConversion);
            EXPECT_EQ(ChooseCallWidth(a, needsConversion), RawCallWidth::WideAfterConversion);
            EXPECT_EQ(ChooseCallWidth(needsConversion, a, b), RawCallWidth::WideAfterConversion);
            EXPECT_EQ(ChooseCallWidth(a, needsConversion, b), RawCallWidth::WideAfterConversion);
            EXPECT_EQ(ChooseCallWidth(a, b, needsConversion), RawCallWidth::WideAfterConversion);
        }
    }
}

}  // namespace
