#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "library/lists/command_line_token.h"
#include "library/lists/raw_numbered_tag.h"
#include "library/lists/raw_parameter_list.h"
#include "library/lists/raw_parameter_parser.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawListPosition;
using RawLayer::RawParameterList;
using RawLayer::RawParameterParser;
using RawLayer::RawString;
using RawLayer::Testing::BytesOf;
using RawLayer::Testing::ExactTextOf;
using Units = std::vector<std::pair<std::string, std::string>>;

// The launcher's value-less options.
const RawString& ValueLessOptions() {
    static const RawString flags[] = {RawString::Constant("h"), RawString::Constant("")};
    return flags[0];
}

Units UnitsIn(const RawParameterList& list) {
    Units units;
    for (RawListPosition position = list.First(); !position.AtEnd(); position = position.Next()) {
        const auto* unit = list.UnitAtPosition(position);
        units.emplace_back(BytesOf(unit->tag), BytesOf(unit->value));
    }
    return units;
}

void ParseCommandLine(RawParameterList& list, const RawString& commandLine) {
    RawParameterParser parser(&list, &ValueLessOptions());
    parser.Parse(RawLayer::SkipProgramPath(commandLine));
}

struct CommandLineRow {
    std::string raw;
    Units units;
};

const std::vector<CommandLineRow> commandLineRows = {
    {"tool.exe DisplayOff", {{"NoTag_1", "DisplayOff"}}},
    {"\"C:\\Program Files\\tool.exe\" Reboot", {{"NoTag_1", "Reboot"}}},
    {"tool.exe", {}},
    {"tool.exe  \t  ", {}},
    {"tool.exe -h Reboot", {{"h", ""}, {"NoTag_1", "Reboot"}}},
    {"tool.exe -H Reboot", {{"H", "Reboot"}}},
    {"tool.exe -x 5 Reboot", {{"x", "5"}, {"NoTag_1", "Reboot"}}},
    {"tool.exe -a -b c", {{"a", ""}, {"b", "c"}}},
    {"tool.exe -a", {{"a", ""}}},
    {"tool.exe --x", {{"", ""}, {"x", ""}}},
    {"tool.exe - Reboot", {{"", ""}, {"NoTag_1", "Reboot"}}},
    {"tool.exe x -", {{"NoTag_1", "x"}, {"", ""}}},
    {"tool.exe \"two words\" x", {{"NoTag_1", "two words"}, {"NoTag_2", "x"}}},
    {"tool.exe \"-x\"", {{"NoTag_1", "-x"}}},
    {"tool.exe -name \"-x\"", {{"name", "-x"}}},
    {"tool.exe -\"my tag\" v", {{"my tag", "v"}}},
    {"tool.exe -n=1 x", {{"n=1", "x"}}},
    {"tool.exe a\"b c\"d", {{"NoTag_1", "a\"b"}, {"NoTag_2", "c\"d"}}},
    {"tool.exe \"ab\"cd", {{"NoTag_1", "ab"}, {"NoTag_2", "cd"}}},
    {"tool.exe \"abc", {{"NoTag_1", "abc"}}},
    {"tool.exe \"\"", {{"NoTag_1", ""}}},
    {"tool.exe x -h y", {{"NoTag_1", "x"}, {"h", ""}, {"NoTag_2", "y"}}},
    {"tool.exe -a 1 -a 2", {{"a", "1"}, {"a", "2"}}},
    {"   tool.exe x", {{"NoTag_1", "x"}}},
    {"C:\\\"my dir\"\\tool.exe x", {{"NoTag_1", "x"}}},
    {"\"tool.exe\"Reboot", {}},
    {"tool.exe\r\nReboot", {}},
    {"tool.exe a\r\nb", {{"NoTag_1", "a"}, {"NoTag_2", "b"}}},
};

// Every encoding in which ASCII text is read one unit per character. The two UTF-16 byte
// encodings pair their bytes into characters, so the same bytes tokenize differently there.
class command_line_parse_test : public testing::TestWithParam<RawEncoding> {};

TEST_P(command_line_parse_test, raw_command_lines_become_units_in_order) {
    for (const CommandLineRow& row : commandLineRows) {
        SCOPED_TRACE("raw line: " + row.raw);
        RawParameterList list;
        ParseCommandLine(list, ExactTextOf(row.raw, GetParam()));
        EXPECT_EQ(UnitsIn(list), row.units);
        EXPECT_EQ(list.Count(), static_cast<std::int32_t>(row.units.size()));
        // Values are cut from the line in its encoding; an option without one shares the
        // empty text.
        for (auto position = list.First(); !position.AtEnd(); position = position.Next()) {
            const RawString& value = list.UnitAtPosition(position)->value;
            if (value.Length() > 0) {
                EXPECT_EQ(value.Encoding(), GetParam());
            }
        }
    }
}

TEST_P(command_line_parse_test, ten_positional_arguments_are_numbered_in_order) {
    RawParameterList list;
    ParseCommandLine(list, ExactTextOf("tool.exe a b c d e f g h i j", GetParam()));
    Units expected;
    for (int n = 1; n <= 10; ++n) {
        expected.emplace_back("NoTag_" + std::to_string(n), std::string(1, 'a' + n - 1));
    }
    EXPECT_EQ(UnitsIn(list), expected);
}

INSTANTIATE_TEST_SUITE_P(encodings, command_line_parse_test,
                         testing::Values(RawEncoding::AnsiCodePage, RawEncoding::ShiftJis,
                                         RawEncoding::Utf8, RawEncoding::Utf7, RawEncoding::EucJp,
                                         RawEncoding::Wide));

TEST(command_line_parse, lookups_after_a_parse_are_exact) {
    RawParameterList list;
    EXPECT_FALSE(list.CaseSensitive());
    ParseCommandLine(list, ExactTextOf("tool.exe Reboot"));
    EXPECT_TRUE(list.CaseSensitive());
    EXPECT_EQ(BytesOf(list.ValueOf(ExactTextOf("NoTag_1"))), "Reboot");
    EXPECT_EQ(list.Find(ExactTextOf("notag_1")), nullptr);
}

TEST(command_line_parse, second_parse_appends_and_numbers_from_one_again) {
    RawParameterList list;
    ParseCommandLine(list, ExactTextOf("tool.exe first -x 1 second"));
    list.SetCaseSensitive(false);
    RawParameterParser(&list, &ValueLessOptions()).Parse(ExactTextOf("again -x 2"));
    EXPECT_EQ(UnitsIn(list), (Units{{"NoTag_1", "first"},
                                    {"x", "1"},
                                    {"NoTag_2", "second"},
                                    {"NoTag_1", "again"},
                                    {"x", "2"}}));
    EXPECT_TRUE(list.CaseSensitive());
    EXPECT_EQ(BytesOf(list.ValueOf(ExactTextOf("NoTag_1"))), "first");
    EXPECT_EQ(BytesOf(list.ValueOf(ExactTextOf("x"))), "1");
}

TEST(command_line_parse, shift_jis_tokens_end_only_between_whole_characters) {
    // 0x81 opens a two-byte character, so the space after it is its second byte; 0x8140 is
    // the ideographic space, which is no separator.
    RawParameterList list;
    ParseCommandLine(list, ExactTextOf("tool.exe \x81 x \x81\x40 y"));
    EXPECT_EQ(UnitsIn(list),
              (Units{{"NoTag_1", "\x81 x"}, {"NoTag_2", "\x81\x40"}, {"NoTag_3", "y"}}));
}

TEST(command_line_parse, wide_units_beyond_a_byte_are_kept) {
    std::u16string line = u"tool.exe -\u00E9t\u00E9 \u263A";
    auto length = static_cast<std::int32_t>(line.size());
    RawString wide = RawString::Borrow(line.data(), length, RawEncoding::Wide);
    RawParameterList list;
    ParseCommandLine(list, wide);
    ASSERT_EQ(list.Count(), 1);
    const auto* unit = list.UnitAtPosition(list.First());
    ASSERT_EQ(unit->tag.Length(), 3);
    EXPECT_EQ(unit->tag.UnitAt(0), 0xE9);
    ASSERT_EQ(unit->value.Length(), 1);
    EXPECT_EQ(unit->value.UnitAt(0), 0x263A);
}

TEST(skip_program_path, copies_the_arguments_out_of_borrowed_text) {
    std::string line = "\"C:\\my tools\\tool.exe\" \t -x y";
    auto length = static_cast<std::int32_t>(line.size());
    RawString arguments =
        RawLayer::SkipProgramPath(RawString::Borrow(line.data(), length, RawEncoding::Utf8));
    line.assign(line.size(), '#');
    EXPECT_EQ(BytesOf(arguments), "-x y");
    EXPECT_EQ(arguments.Encoding(), RawEncoding::Utf8);
    EXPECT_EQ(arguments.Body().storage, RawLayer::RawStorageKind::Owned);
    EXPECT_EQ(arguments.Capacity(), arguments.Length());
}

struct TokenRow {
    std::string text;
    std::int32_t pos;
    std::string token;
    std::int32_t next;
};

const std::vector<TokenRow> tokenRows = {
    {"-x", 0, "", 0},
    {"ab  cd", 0, "ab", 4},
    {"ab  cd", 4, "cd", 6},
    {"\"a b\"c", 0, "a b", 5},
    {"\"a b\"  c", 0, "a b", 7},
    {"\"a b", 0, "a b", 4},
    {"\"", 0, "", 1},
    {"ab", 2, "", 2},
    {"a\r\n\tb", 0, "a", 4},
    {"a\"b\" c", 0, "a\"b\"", 5},
};

TEST(read_token, tokens_and_where_the_next_begins) {
    for (const TokenRow& row : tokenRows) {
        SCOPED_TRACE("text: " + row.text + ", pos " + std::to_string(row.pos));
        RawLayer::RawToken token = RawLayer::ReadToken(ExactTextOf(row.text), row.pos);
        EXPECT_EQ(BytesOf(token.text), row.token);
        EXPECT_EQ(token.next, row.next);
    }
}

TEST(raw_numbered_tag, each_tag_keeps_its_number_after_the_next_is_made) {
    RawLayer::RawNumberedTag builder;
    RawString first = builder.Make(1);
    const RawString& second = builder.Make(12);
    EXPECT_NE(&first.Body(), &second.Body());
    EXPECT_EQ(BytesOf(first), "NoTag_1");
    EXPECT_EQ(BytesOf(second), "NoTag_12");
    EXPECT_EQ(BytesOf(builder.Make(2147483647)), "NoTag_2147483647");
}

}  // namespace
