#include "library/text/conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/text/native_wide_order.h"
#include "library/text/raw_string.h"
#include "library/text/raw_string_body.h"
#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawRange;
using RawLayer::RawStorageKind;
using RawLayer::RawString;
using RawLayer::Os::Boundary;
using namespace RawLayer::Testing;
using Calls = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

std::string Text(const char* bytes, std::size_t length) {
    return std::string(bytes, length);
}

// A converted text is Owned, exactly as long as its room, with a terminator of its width.
void ExpectExactConversion(const RawString& text, RawEncoding encoding) {
    EXPECT_EQ(text.Encoding(), encoding);
    EXPECT_EQ(text.Body().storage, RawStorageKind::Owned);
    EXPECT_EQ(text.Capacity(), text.Length());
    EXPECT_EQ(UnitBehind(text), 0);
    EXPECT_EQ(Holders(text), 0);
}

TEST(conversion_test, native_wide_characters_are_little_endian) {
    EXPECT_EQ(RawLayer::NativeWideOrder(), RawEncoding::Utf16LittleEndian);
}

struct Utf16ToWideRow {
    RawEncoding source;
    std::string bytes;
    std::u16string units;
};

TEST(conversion_test, utf16_bytes_become_wide_units_and_an_odd_last_byte_is_dropped) {
    const Utf16ToWideRow rows[] = {
        {RawEncoding::Utf16LittleEndian, Text("A\0B\0", 4), u"AB"},
        {RawEncoding::Utf16BigEndian, Text("\0A\0B", 4), u"AB"},
        {RawEncoding::Utf16LittleEndian, Text("A\0B\0C", 5), u"AB"},
        {RawEncoding::Utf16BigEndian, Text("\0A\0B\0", 5), u"AB"},
        {RawEncoding::Utf16LittleEndian, Text("\x3D\xD8\x00\xDE", 4), u"\xD83D\xDE00"},
        {RawEncoding::Utf16BigEndian, Text("\xD8\x3D\xDE\x00", 4), u"\xD83D\xDE00"},
        {RawEncoding::Utf16BigEndian, Text("\x30\x42", 2), u"\x3042"},
        {RawEncoding::Utf16LittleEndian, Text("A", 1), u""},
        {RawEncoding::Utf16BigEndian, "", u""},
    };
    for (const Utf16ToWideRow& row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.source)) + ", " +
                     std::to_string(row.bytes.size()) + " bytes");
        // Borrowed over a buffer of exactly the text's size: a read past it is caught.
        std::vector<char> exact(row.bytes.begin(), row.bytes.end());
        RawString source =
            RawString::Borrow(exact.data(), static_cast<std::int32_t>(exact.size()), row.source);
        RawString wide(source, RawEncoding::Wide);
        EXPECT_EQ(UnitsOf(wide), row.units);
        ExpectExactConversion(wide, RawEncoding::Wide);
    }
}

TEST(conversion_test, wide_units_become_utf16_bytes_in_either_order) {
    const struct {
        std::u16string units;
        RawEncoding target;
        std::string bytes;
    } rows[] = {
        {u"\x0041", RawEncoding::Utf16BigEndian, Text("\0A", 2)},
        {u"\x0041", RawEncoding::Utf16LittleEndian, Text("A\0", 2)},
        {u"\xD83D\xDE00", RawEncoding::Utf16BigEndian, Text("\xD8\x3D\xDE\x00", 4)},
        {u"\xD83D\xDE00", RawEncoding::Utf16LittleEndian, Text("\x3D\xD8\x00\xDE", 4)},
        {u"", RawEncoding::Utf16BigEndian, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.target)) + ", " +
                     std::to_string(row.units.size()) + " units");
        RawString bytes(WideOf(row.units), row.target);
        EXPECT_EQ(BytesOf(bytes), row.bytes);
        ExpectExactConversion(bytes, row.target);
    }
}

TEST(conversion_test, one_utf16_byte_order_becomes_the_other_through_wide) {
    RawString bigEndian = TextOf(Text("\0A\0B\0", 5), RawEncoding::Utf16BigEndian);
    RawString littleEndian(bigEndian, RawEncoding::Utf16LittleEndian);
    EXPECT_EQ(BytesOf(littleEndian), Text("A\0B\0", 4));
    ExpectExactConversion(littleEndian, RawEncoding::Utf16LittleEndian);
}

TEST(conversion_test, converting_a_body_replaces_its_text_without_touching_lock_or_count) {
    static const char literal[] = "A\0B\0";
    RawString text = RawString::Borrow(literal, 4, RawEncoding::Utf16LittleEndian);
    text.MakeWritable();
    Calls calls;
    {
        RecordingBoundary os;
        BodyOf(text).ConvertToWide();
        BodyOf(text).ConvertToNarrow(RawEncoding::Utf16BigEndian);
        calls = os.CallsWithLocks();
    }
    EXPECT_EQ(calls, Calls{}) << "UTF-16 bytes never go through the system";
    EXPECT_EQ(BytesOf(text), Text("\0A\0B", 4));
    ExpectExactConversion(text, RawEncoding::Utf16BigEndian);
}

TEST(conversion_test, converting_a_literal_or_borrowed_body_leaves_its_text_in_place) {
    char borrowed[] = {'\0', 'x'};
    RawString view = RawString::Borrow(borrowed, 2, RawEncoding::Utf16BigEndian);
    BodyOf(view).ConvertToWide();
    EXPECT_EQ(UnitsOf(view), u"x");
    ExpectExactConversion(view, RawEncoding::Wide);
    EXPECT_EQ(borrowed[1], 'x');
}

TEST(conversion_test, an_empty_text_of_any_encoding_converts_to_an_empty_text) {
    for (RawEncoding encoding : allEncodings) {
        if (encoding == RawEncoding::Wide) {
            continue;
        }
        SCOPED_TRACE(EncodingName(encoding));
        Calls calls;
        {
            RecordingBoundary os;
            RawString empty(encoding, 0);
            RawString wide(empty, RawEncoding::Wide);
            EXPECT_EQ(wide.Length(), 0);
            ExpectExactConversion(wide, RawEncoding::Wide);

            RawString back(wide, encoding);
            EXPECT_EQ(back.Length(), 0);
            ExpectExactConversion(back, encoding);
            calls = os.Calls();
        }
        EXPECT_EQ(calls, Calls{}) << "an empty text needs no system conversion";
    }
}

struct NarrowFromWideRow {
    RawEncoding target;
    std::int32_t capacity;
    std::string bytes;
};

TEST(conversion_test, narrow_from_wide_fills_at_most_the_capacity_and_terminates) {
    const std::u16string source = u"\x4142\x4344";
    const NarrowFromWideRow rows[] = {
        {RawEncoding::Utf16BigEndian, 4, "ABCD"},   {RawEncoding::Utf16BigEndian, 9, "ABCD"},
        {RawEncoding::Utf16BigEndian, 3, "ABC"},    {RawEncoding::Utf16BigEndian, 1, "A"},
        {RawEncoding::Utf16BigEndian, 0, ""},       {RawEncoding::Utf16LittleEndian, 4, "BADC"},
        {RawEncoding::Utf16LittleEndian, 3, "BAD"}, {RawEncoding::Utf16LittleEndian, 0, ""},
    };
    for (const NarrowFromWideRow& row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.target)) + ", capacity " +
                     std::to_string(row.capacity));
        // Exactly capacity + 1 bytes, so that a write past them is caught.
        std::vector<char> target(static_cast<std::size_t>(row.capacity) + 1, '?');
        std::int32_t written =
            RawLayer::NarrowFromWide(row.target, target.data(), row.capacity, source.data(), 2);
        EXPECT_EQ(written, static_cast<std::int32_t>(row.bytes.size()));
        EXPECT_EQ(std::string(target.data(), row.bytes.size()), row.bytes);
        EXPECT_EQ(target[row.bytes.size()], '\0');
    }
}

struct WideFromNarrowRow {
    RawEncoding source;
    std::string bytes;
    std::int32_t capacity;
    std::u16string units;
};

TEST(conversion_test, wide_from_narrow_fills_at_most_the_capacity_and_terminates) {
    const WideFromNarrowRow rows[] = {
        {RawEncoding::Utf16LittleEndian, Text("A\0B\0", 4), 2, u"AB"},
        {RawEncoding::Utf16LittleEndian, Text("A\0B\0", 4), 1, u"A"},
        {RawEncoding::Utf16LittleEndian, Text("A\0B\0", 4), 0, u""},
        {RawEncoding::Utf16LittleEndian, Text("A\0B", 3), 5, u"A"},
        {RawEncoding::Utf16BigEndian, Text("\0A\0B", 4), 2, u"AB"},
        {RawEncoding::Utf16BigEndian, Text("\0A\0B", 4), 1, u"A"},
        {RawEncoding::Utf16BigEndian, Text("\0A\0", 3), 2, u"A"},
        {RawEncoding::Utf16BigEndian, Text("\0", 1), 4, u""},
        {RawEncoding::Utf16BigEndian, "", 4, u""},
    };
    for (const WideFromNarrowRow& row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.source)) + ", " +
                     std::to_string(row.bytes.size()) + " bytes, capacity " +
                     std::to_string(row.capacity));
        std::vector<char> source(row.bytes.begin(), row.bytes.end());
        std::vector<char16_t> target(static_cast<std::size_t>(row.capacity) + 1, u'?');
        std::int32_t written =
            RawLayer::WideFromNarrow(row.source, target.data(), row.capacity, source.data(),
                                     static_cast<std::int32_t>(source.size()));
        EXPECT_EQ(written, static_cast<std::int32_t>(row.units.size()));
        EXPECT_EQ(std::u16string(target.data(), row.units.size()), row.units);
        EXPECT_EQ(target[row.units.size()], u'\0');
    }
}

// With a capacity of 0 the system call would be a size query: its answer is no count of
// written units, and writing a terminator behind it would run past the buffer.
TEST(conversion_test, code_page_conversions_into_no_room_make_no_system_call) {
    const std::u16string wide = u"abc";
    const std::string narrow = "abc";
    RecordingBoundary os;
    os.Program(&Boundary::WideCharToMultiByte, 3);
    os.Program(&Boundary::MultiByteToWideChar, 3);
    for (RawEncoding encoding : {RawEncoding::AnsiCodePage, RawEncoding::ShiftJis,
                                 RawEncoding::Utf8, RawEncoding::Utf7, RawEncoding::EucJp}) {
        SCOPED_TRACE(EncodingName(encoding));
        char narrowTarget[1] = {'?'};
        EXPECT_EQ(RawLayer::NarrowFromWide(encoding, narrowTarget, 0, wide.data(), 3), 0);
        EXPECT_EQ(narrowTarget[0], '\0');
        char16_t wideTarget[1] = {u'?'};
        EXPECT_EQ(RawLayer::WideFromNarrow(encoding, wideTarget, 0, narrow.data(), 3), 0);
        EXPECT_EQ(wideTarget[0], u'\0');
    }
    EXPECT_EQ(os.Calls(), Calls{});
}

TEST(conversion_test, a_refused_conversion_gives_an_empty_text) {
    const struct {
        const char* name;
        std::vector<std::int64_t> answers;
    } rows[] = {
        {"size query refused", {0}},
        {"conversion refused after the size query", {3, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        os.ProgramSequence(&Boundary::MultiByteToWideChar, row.answers);
        RawString wide(TextOf("abc"), RawEncoding::Wide);
        EXPECT_EQ(wide.Length(), 0) << "no unit that was not written may show";
        ExpectExactConversion(wide, RawEncoding::Wide);
        EXPECT_EQ(os.Calls().size(), row.answers.size());
    }
}

TEST(conversion_test, code_page_conversions_pass_the_code_page_and_no_flags) {
    const struct {
        RawEncoding encoding;
        Calls calls;
    } rows[] = {
        {RawEncoding::AnsiCodePage,
         {"MultiByteToWideChar(0, 0x0, \"A\", 1, 0)",
          "WideCharToMultiByte(0, 0x0, 1, 0, null, null)"}},
        {RawEncoding::ShiftJis,
         {"MultiByteToWideChar(932, 0x0, \"A\", 1, 0)",
          "WideCharToMultiByte(932, 0x0, 1, 0, null, null)"}},
        {RawEncoding::Utf8,
         {"MultiByteToWideChar(65001, 0x0, \"A\", 1, 0)",
          "WideCharToMultiByte(65001, 0x0, 1, 0, null, null)"}},
        {RawEncoding::Utf7,
         {"MultiByteToWideChar(65000, 0x0, \"A\", 1, 0)",
          "WideCharToMultiByte(65000, 0x0, 1, 0, null, null)"}},
        // A refused query for EUC-JP is asked again under the system's table of it.
        {RawEncoding::EucJp,
         {"MultiByteToWideChar(51932, 0x0, \"A\", 1, 0)",
          "MultiByteToWideChar(20932, 0x0, \"A\", 1, 0)",
          "WideCharToMultiByte(51932, 0x0, 1, 0, null, null)",
          "WideCharToMultiByte(20932, 0x0, 1, 0, null, null)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(EncodingName(row.encoding));
        RecordingBoundary os;
        // Every size query answers 0, so only the queries are made.
        os.Program(&Boundary::MultiByteToWideChar, 0);
        os.Program(&Boundary::WideCharToMultiByte, 0);
        RawString wide(TextOf("A", row.encoding), RawEncoding::Wide);
        RawString narrow(WideOf(u"A"), row.encoding);
        EXPECT_EQ(os.Calls(), row.calls);
    }
}

// EUC-JP's own code page 51932 where the system accepts it; where its size query answers 0
// for a text that is not empty, the query and the conversion go through code page 20932.
TEST(conversion_test, euc_jp_converts_under_51932_where_accepted_and_under_20932_where_refused) {
    const std::string eucJp = "\xA4\xA2";
    const struct {
        const char* name;
        std::vector<std::int64_t> toWideAnswers;
        std::vector<std::int64_t> toNarrowAnswers;
        Calls calls;
    } rows[] = {
        {"accepted",
         {1, 1},
         {2, 2},
         {"MultiByteToWideChar(51932, 0x0, " + A(eucJp) + ", 2, 0)",
          "MultiByteToWideChar(51932, 0x0, " + A(eucJp) + ", 2, 1)",
          "WideCharToMultiByte(51932, 0x0, 1, 0, null, null)",
          "WideCharToMultiByte(51932, 0x0, 1, 2, null, null)"}},
        {"refused",
         {0},
         {0},
         {"MultiByteToWideChar(51932, 0x0, " + A(eucJp) + ", 2, 0)",
          "MultiByteToWideChar(20932, 0x0, " + A(eucJp) + ", 2, 0)",
          "MultiByteToWideChar(20932, 0x0, " + A(eucJp) + ", 2, 1)",
          "WideCharToMultiByte(51932, 0x0, 1, 0, null, null)",
          "WideCharToMultiByte(20932, 0x0, 1, 0, null, null)",
          "WideCharToMultiByte(20932, 0x0, 1, 2, null, null)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        // Only the answers given here are programmed; the rest are the system's own.
        os.ProgramSequence(&Boundary::MultiByteToWideChar, row.toWideAnswers);
        os.ProgramSequence(&Boundary::WideCharToMultiByte, row.toNarrowAnswers);
        RawString wide(TextOf(eucJp, RawEncoding::EucJp), RawEncoding::Wide);
        EXPECT_EQ(wide.Length(), 1);
        ExpectExactConversion(wide, RawEncoding::Wide);
        RawString narrow(WideOf(hiraganaA), RawEncoding::EucJp);
        EXPECT_EQ(narrow.Length(), 2);
        ExpectExactConversion(narrow, RawEncoding::EucJp);
        EXPECT_EQ(os.Calls(), row.calls);
    }
    // Refused by this build's converter, as by Wine's: the text itself comes through.
    EXPECT_EQ(UnitsOf(RawString(TextOf(eucJp, RawEncoding::EucJp), RawEncoding::Wide)), hiraganaA);
    EXPECT_EQ(BytesOf(RawString(WideOf(hiraganaA), RawEncoding::EucJp)), eucJp);
}

TEST(conversion_test, euc_jp_into_a_given_target_goes_under_20932_where_51932_is_refused) {
    RecordingBoundary os;
    os.ProgramSequence(&Boundary::MultiByteToWideChar, {0});
    os.ProgramSequence(&Boundary::WideCharToMultiByte, {0});
    char16_t wide[3] = {u'?', u'?', u'?'};
    EXPECT_EQ(RawLayer::WideFromNarrow(RawEncoding::EucJp, wide, 2, "\xA4\xA2\x41", 3), 2);
    EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"\u3042A\0", 3));
    char narrow[4] = {'?', '?', '?', '?'};
    EXPECT_EQ(RawLayer::NarrowFromWide(RawEncoding::EucJp, narrow, 3, u"\u3042A", 2), 3);
    EXPECT_EQ(std::string(narrow, 4), std::string("\xA4\xA2\x41\0", 4));
    EXPECT_EQ(os.Calls(), (Calls{"MultiByteToWideChar(51932, 0x0, " + A("\xA4\xA2\x41") + ", 3, 2)",
                                 "MultiByteToWideChar(20932, 0x0, " + A("\xA4\xA2\x41") + ", 3, 2)",
                                 "WideCharToMultiByte(51932, 0x0, 2, 3, null, null)",
                                 "WideCharToMultiByte(20932, 0x0, 2, 3, null, null)"}));
}

// These go through the system's code-page converters: the Windows build checks them against
// the real ones, the native build against its stand-in.
struct CodePageRow {
    const char* name;
    RawEncoding source;
    std::string sourceBytes;  // for a Wide source, UTF-16LE bytes
    RawEncoding target;
    std::string targetBytes;  // for a Wide target, UTF-16LE bytes
};

std::string BytesIn(const RawString& text) {
    if (text.Encoding() != RawEncoding::Wide) {
        return BytesOf(text);
    }
    return BytesOf(RawString(text, RawEncoding::Utf16LittleEndian));
}

const CodePageRow codePageRows[] = {
    {"UTF-8 kanji to Shift-JIS", RawEncoding::Utf8, "\xE6\x97\xA5\xE6\x9C\xAC",
     RawEncoding::ShiftJis, "\x93\xFA\x96\x7B"},
    {"Shift-JIS kanji to UTF-8", RawEncoding::ShiftJis, "\x93\xFA\x96\x7B", RawEncoding::Utf8,
     "\xE6\x97\xA5\xE6\x9C\xAC"},
    {"Shift-JIS hiragana to Wide", RawEncoding::ShiftJis, "\x82\xA0", RawEncoding::Wide,
     Text("\x42\x30", 2)},
    {"Wide hiragana to Shift-JIS", RawEncoding::Wide, Text("\x42\x30", 2), RawEncoding::ShiftJis,
     "\x82\xA0"},
    {"Shift-JIS half-width katakana to Wide", RawEncoding::ShiftJis, "\xB1", RawEncoding::Wide,
     Text("\x71\xFF", 2)},
    {"Shift-JIS with a separator-like trail byte", RawEncoding::ShiftJis, "\x95\x5C",
     RawEncoding::Wide, Text("\x68\x88", 2)},
    {"Wide e-acute to UTF-8", RawEncoding::Wide, Text("\xE9\0", 2), RawEncoding::Utf8, "\xC3\xA9"},
    {"UTF-8 four-byte character to Wide", RawEncoding::Utf8, "\xF0\x9F\x98\x80", RawEncoding::Wide,
     Text("\x3D\xD8\x00\xDE", 4)},
    {"UTF-8 invalid byte to Wide", RawEncoding::Utf8,
     "a\xFF"
     "b",
     RawEncoding::Wide,
     Text("a\0\xFD\xFF"
          "b\0",
          6)},
    {"UTF-7 to Wide", RawEncoding::Utf7, "+MEI-", RawEncoding::Wide, Text("\x42\x30", 2)},
    {"Wide to UTF-7", RawEncoding::Wide, Text("\x42\x30", 2), RawEncoding::Utf7, "+MEI-"},
    {"Shift-JIS to UTF-16 bytes", RawEncoding::ShiftJis, "\x82\xA0", RawEncoding::Utf16LittleEndian,
     Text("\x42\x30", 2)},
    {"UTF-16 bytes to Shift-JIS", RawEncoding::Utf16BigEndian, Text("\x30\x42", 2),
     RawEncoding::ShiftJis, "\x82\xA0"},
    {"EUC-JP kanji to Shift-JIS", RawEncoding::EucJp, "\xC6\xFC\xCB\xDC", RawEncoding::ShiftJis,
     "\x93\xFA\x96\x7B"},
    {"Shift-JIS half-width katakana to EUC-JP", RawEncoding::ShiftJis, "\xB1", RawEncoding::EucJp,
     "\x8E\xB1"},
    {"Wide unmappable character to EUC-JP", RawEncoding::Wide, Text("\x01\x0E", 2),
     RawEncoding::EucJp, "?"},
};

TEST(conversion_test, code_page_texts_convert_through_the_system_converters) {
    for (const CodePageRow& row : codePageRows) {
        SCOPED_TRACE(row.name);
        RawString source = TextIn(row.source, row.sourceBytes);
        RawString converted(source, row.target);
        EXPECT_EQ(BytesIn(converted), row.targetBytes);
        ExpectExactConversion(converted, row.target);
        EXPECT_EQ(Holders(source), 0);
    }
}

TEST(conversion_test, narrow_to_narrow_goes_through_wide_with_a_size_query_each_way) {
    RawString source = TextOf("\xE6\x97\xA5\xE6\x9C\xAC", RawEncoding::Utf8);
    Calls calls;
    {
        RecordingBoundary os;
        RawString converted(source, RawEncoding::ShiftJis);
        calls = os.Calls();
    }
    const char* bytes = "\"\\xE6\\x97\\xA5\\xE6\\x9C\\xAC\"";
    EXPECT_EQ(calls, (Calls{
                         std::string("MultiByteToWideChar(65001, 0x0, ") + bytes + ", 6, 0)",
                         std::string("MultiByteToWideChar(65001, 0x0, ") + bytes + ", 6, 2)",
                         "WideCharToMultiByte(932, 0x0, 2, 0, null, null)",
                         "WideCharToMultiByte(932, 0x0, 2, 4, null, null)",
                     }));
}

TEST(conversion_test, a_range_converts_through_the_system_converters) {
    RawString source = TextOf("\xE6\x97\xA5\xE6\x9C\xAC", RawEncoding::Utf8);
    RawString second(RawEncoding::ShiftJis, source, RawRange{3, 99});
    EXPECT_EQ(BytesOf(second), "\x96\x7B");
    ExpectExactConversion(second, RawEncoding::ShiftJis);
}

// One check for all eight encodings: text survives the way into each encoding and back, at
// the size each encoding gives it: ASCII everywhere, Japanese where the encoding has it.
class round_trip_test : public testing::TestWithParam<RawEncoding> {};

TEST_P(round_trip_test, text_survives_the_way_into_the_encoding_and_back) {
    RawEncoding encoding = GetParam();
    bool utf16Bytes =
        encoding == RawEncoding::Utf16BigEndian || encoding == RawEncoding::Utf16LittleEndian;
    const struct {
        std::u16string units;
        bool japanese;
    } texts[] = {{u"Velmoran 1.0", false}, {u"\u65E5\u672C\uFF71 a", true}};
    for (const auto& sample : texts) {
        // ANSI text is UTF-8 natively but a Western code page under Wine.
        if (sample.japanese && encoding == RawEncoding::AnsiCodePage) {
            continue;
        }
        SCOPED_TRACE(std::string(EncodingName(encoding)) + (sample.japanese ? ", Japanese" : ""));
        RawString wide = WideOf(sample.units);
        RawString converted(wide, encoding);
        if (utf16Bytes) {
            EXPECT_EQ(converted.Length(), 2 * wide.Length());
        } else if (!sample.japanese) {
            EXPECT_EQ(converted.Length(), wide.Length());
        }
        EXPECT_EQ(converted.Encoding(), encoding);
        EXPECT_EQ(UnitBehind(converted), 0);
        if (encoding == RawEncoding::Wide) {
            EXPECT_EQ(&converted.Body(), &wide.Body());
        } else {
            ExpectExactConversion(converted, encoding);
        }

        RawString back(converted, RawEncoding::Wide);
        EXPECT_EQ(UnitsOf(back), sample.units);
        EXPECT_TRUE(back.Equals(wide));
    }
}

INSTANTIATE_TEST_SUITE_P(conversion_test, round_trip_test, testing::ValuesIn(allEncodings),
                         [](const testing::TestParamInfo<RawEncoding>& info) {
                             return std::string(EncodingName(info.param));
                         });

TEST(conversion_test, copy_bytes_bounded_copies_the_smaller_count_or_nothing) {
    const struct {
        std::int32_t capacity;
        std::int32_t length;
        std::int32_t copied;
    } rows[] = {{5, 3, 3}, {3, 5, 3}, {4, 4, 4}, {0, 5, 0}, {5, 0, 0}, {-1, 5, -1}, {5, -2, -2}};
    const std::string source = "abcde";
    for (const auto& row : rows) {
        SCOPED_TRACE("capacity " + std::to_string(row.capacity) + ", length " +
                     std::to_string(row.length));
        std::string target = "-----";
        EXPECT_EQ(
            RawLayer::CopyBytesBounded(target.data(), row.capacity, source.data(), row.length),
            row.copied);
        std::size_t copied = row.copied > 0 ? static_cast<std::size_t>(row.copied) : 0;
        EXPECT_EQ(target, source.substr(0, copied) + std::string(5 - copied, '-'));
    }
}

}  // namespace
