// Records the table of conversion vectors: runs a fixed list of inputs through the system's
// MultiByteToWideChar and WideCharToMultiByte and prints each result as a row of
// conversion_vectors.inc. Built only for Windows; from the repository root, run under Wine
//   scripts/wine-session.sh wine build/windows/tests/platform/conversion_vector_dump.exe
// with its output written to tests/platform/conversion_vectors.inc. Wine's code-page tables are
// the same for 32-bit and 64-bit programs, so on a machine that cannot run 32-bit programs a
// 64-bit build of this file, run with a 64-bit prefix, records the same table.

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/boundary.h"
#include "tests/platform/conversion_vector.h"

namespace {

using RawLayer::Testing::ConversionDirection;
using RawLayer::Testing::HexFromUnits;
using RawLayer::Testing::UnitsFromHex;

constexpr auto ToWide = ConversionDirection::ToWide;
constexpr auto ToNarrow = ConversionDirection::ToNarrow;

struct Input {
    std::uint32_t codePage;
    ConversionDirection direction;
    const char* label;
    bool terminated;
    const char* input;
};

const Input inputs[] = {
    // Shift-JIS to wide.
    {932, ToWide, "empty", false, ""},
    {932, ToWide, "ASCII", false, "56 65 6C 6D 6F 72 61 6E"},
    {932, ToWide, "yen and overline bytes stay ASCII", false, "5C 7E"},
    {932, ToWide, "half-width katakana", false, "B1 B2 DF"},
    {932, ToWide, "hiragana", false, "82 A0 82 A2"},
    {932, ToWide, "kanji", false, "93 FA 96 7B"},
    {932, ToWide, "trail byte 5C after a lead byte", false, "95 5C 5C"},
    {932, ToWide, "Microsoft forms of JIS symbols", false, "81 5F 81 60 81 61 81 7C"},
    {932, ToWide, "NEC special characters", false, "87 40 87 54 87 90"},
    {932, ToWide, "IBM and NEC-selected IBM extensions", false, "FA 40 FA 5C ED 40"},
    {932, ToWide, "user-defined area", false, "F0 40 F9 FC"},
    {932, ToWide, "program name", false, "83 76 83 8D 83 4F 83 89 83 80 2E 65 78 65"},
    {932, ToWide, "single bytes without a character", false, "80 A0 FD FE FF"},
    {932, ToWide, "lead byte at the end", false, "41 82"},
    {932, ToWide, "lead byte before a blank", false, "81 20 41"},
    {932, ToWide, "lead byte before 7F", false, "81 7F"},
    {932, ToWide, "lead byte before a zero byte", false, "81 00 41"},
    {932, ToWide, "unassigned pair", false, "85 40 EB 40"},
    {932, ToWide, "terminated", true, "82 A0 41"},
    {932, ToWide, "terminated after a lead byte", true, "41 81"},

    // Wide to Shift-JIS.
    {932, ToNarrow, "empty", false, ""},
    {932, ToNarrow, "ASCII", false, "0056 0065 006C 006D"},
    {932, ToNarrow, "backslash and tilde", false, "005C 007E"},
    {932, ToNarrow, "hiragana", false, "3042 3044"},
    {932, ToNarrow, "kanji", false, "65E5 672C"},
    {932, ToNarrow, "half-width katakana", false, "FF71 FF9F"},
    {932, ToNarrow, "Microsoft forms of JIS symbols", false, "FF3C FF5E 2225 FF0D 2015"},
    {932, ToNarrow, "JIS forms of those symbols", false, "2014 2016 203E 2212 301C"},
    {932, ToNarrow, "best fit", false, "00A5 00A6 00E9 00AB 3094"},
    {932, ToNarrow, "duplicates: NEC and IBM forms", false, "2460 2170 7E8A FFE2 2235"},
    {932, ToNarrow, "private use", false, "E000 E757 F8F0 F8F3 0080"},
    {932, ToNarrow, "unmappable", false, "0041 0E01 0042"},
    {932, ToNarrow, "lone surrogates", false, "D800 0041 DC00"},
    {932, ToNarrow, "surrogate pair", false, "D83D DE00"},
    {932, ToNarrow, "program name", false, "30D7 30ED 30B0 30E9 30E0 002E 0065 0078 0065"},
    {932, ToNarrow, "terminated", true, "3042 0041"},
    {932, ToNarrow, "terminated unmappable", true, "0E01"},

    // UTF-8 to wide.
    {65001, ToWide, "empty", false, ""},
    {65001, ToWide, "ASCII", false, "56 65 6C 6D 6F 72 61 6E"},
    {65001, ToWide, "two-byte", false, "C3 A9 DF BF"},
    {65001, ToWide, "kana", false, "E3 81 82 E3 81 84"},
    {65001, ToWide, "kanji", false, "E6 97 A5 E6 9C AC"},
    {65001, ToWide, "outside the BMP", false, "F0 9F 98 80"},
    {65001, ToWide, "ASCII then outside the BMP", false, "41 F0 9F 98 80"},
    {65001, ToWide, "highest code point", false, "F4 8F BF BF"},
    {65001, ToWide, "lone continuation byte", false, "41 80 42"},
    {65001, ToWide, "bytes FE FF", false, "FE FF 41"},
    {65001, ToWide, "overlong two-byte", false, "C0 AF 41"},
    {65001, ToWide, "overlong three-byte", false, "E0 80 AF 41"},
    {65001, ToWide, "encoded surrogate", false, "ED A0 80 41"},
    {65001, ToWide, "above U+10FFFF", false, "F4 90 80 80 41"},
    {65001, ToWide, "lead byte F5", false, "F5 80 80 80"},
    {65001, ToWide, "missing continuation", false, "C2 41 E3 81 41"},
    {65001, ToWide, "truncated at the end", false, "41 E3 81"},
    {65001, ToWide, "truncated four-byte", false, "41 F0 9F 98"},
    {65001, ToWide, "short sequence swallows the rest", false, "E3 41"},
    {65001, ToWide, "terminated", true, "41 E3 81 82"},
    {65001, ToWide, "terminated outside the BMP", true, "F0 9F 98 80"},
    {65001, ToWide, "terminated after a cut sequence", true, "41 E3 81"},

    // Wide to UTF-8.
    {65001, ToNarrow, "empty", false, ""},
    {65001, ToNarrow, "ASCII", false, "0056 0065 006C 006D"},
    {65001, ToNarrow, "two-byte limits", false, "0080 00E9 07FF"},
    {65001, ToNarrow, "three-byte", false, "0800 3042 65E5 FFFF"},
    {65001, ToNarrow, "surrogate pair", false, "D83D DE00"},
    {65001, ToNarrow, "highest pair", false, "DBFF DFFF"},
    {65001, ToNarrow, "lone high surrogate at the end", false, "0041 D800"},
    {65001, ToNarrow, "lone low surrogate", false, "DC00 0041"},
    {65001, ToNarrow, "high surrogate before ASCII", false, "D800 0041"},
    {65001, ToNarrow, "reversed pair", false, "DC00 D800"},
    {65001, ToNarrow, "two highs and a low", false, "D800 D800 DC00"},
    {65001, ToNarrow, "zero unit inside", false, "0041 0000 0042"},
    {65001, ToNarrow, "replacement character", false, "FFFD"},
    {65001, ToNarrow, "terminated", true, "0041 3042"},
    {65001, ToNarrow, "terminated pair", true, "D83D DE00"},
    {65001, ToNarrow, "terminated lone surrogate", true, "D800"},

    // UTF-7 to wide.
    {65000, ToWide, "empty", false, ""},
    {65000, ToWide, "direct characters", false, "48 69 20 4D 6F 6D 20 2D 28 31 29 3F"},
    {65000, ToWide, "base64 run", false, "48 69 20 2B 4A 6A 6F 2D 21"},
    {65000, ToWide, "kanji", false, "2B 5A 65 56 6E 4C 49 71 65 2D"},
    {65000, ToWide, "run closed by a non-base64 byte", false, "41 2B 49 6D 49 44 6B 51 2E"},
    {65000, ToWide, "outside the BMP", false, "2B 32 44 33 65 41 41 2D"},
    {65000, ToWide, "plus sign", false, "31 2B 2D 31"},
    {65000, ToWide, "plus at the end", false, "41 2B"},
    {65000, ToWide, "plus before a non-base64 byte", false, "2B 21 41"},
    {65000, ToWide, "run left open", false, "2B 41 47 45"},
    {65000, ToWide, "unfinished unit dropped", false, "2B 41 47 45 41 2D 42"},
    {65000, ToWide, "bytes above 7F", false, "41 80 FF"},
    {65000, ToWide, "bits carried past a byte above 7F", false, "2B 41 47 80 2B 45 2D"},
    {65000, ToWide, "optional direct characters", false, "21 23 7E 5C 3D"},
    {65000, ToWide, "terminated", true, "2B 5A 65 56 6E 4C 41 2D"},
    {65000, ToWide, "terminated inside a run", true, "2B 5A 65 56 6E 4C 41"},

    // Wide to UTF-7.
    {65000, ToNarrow, "empty", false, ""},
    {65000, ToNarrow, "direct characters", false, "0048 0069 0020 0028 0031 0029 003F"},
    {65000, ToNarrow, "plus sign", false, "0031 002B 0031"},
    {65000, ToNarrow, "kanji", false, "65E5 672C 8A9E"},
    {65000, ToNarrow, "run ending on a whole digit", false, "0041 3042 3044 3046 0042"},
    {65000, ToNarrow, "optional direct characters", false, "0021 0023 007E 005C"},
    {65000, ToNarrow, "plus sign ends a run", false, "3042 002B 3042"},
    {65000, ToNarrow, "outside the BMP", false, "D83D DE00"},
    {65000, ToNarrow, "lone surrogate", false, "D800 0041"},
    {65000, ToNarrow, "Latin-1", false, "00E9"},
    {65000, ToNarrow, "controls", false, "0009 000D 000A 0001"},
    {65000, ToNarrow, "terminated", true, "0041 3042"},
    {65000, ToNarrow, "terminated plus sign", true, "002B"},

    // EUC-JP as code page 20932: a double-byte code page whose lead bytes are 8E and A1 to FE.
    {20932, ToWide, "empty", false, ""},
    {20932, ToWide, "ASCII", false, "56 65 6C 6D 6F 72 61 6E"},
    {20932, ToWide, "yen and overline bytes stay ASCII", false, "5C 7E"},
    {20932, ToWide, "hiragana", false, "A4 A2 A4 A4"},
    {20932, ToWide, "kanji", false, "C6 FC CB DC"},
    {20932, ToWide, "half-width katakana", false, "8E B1 8E DF"},
    {20932, ToWide, "JIS X 0212 in three bytes", false, "8F B0 A1"},
    {20932, ToWide, "JIS X 0212 in two bytes", false, "B0 21 AB 31 A2 37"},
    {20932, ToWide, "single bytes without a character", false, "80 8F 9F A0 FF"},
    {20932, ToWide, "user-defined area", false, "F5 A1 FE FE F5 21 FE 7E"},
    {20932, ToWide, "unassigned pair", false, "A9 A1 8E E0"},
    {20932, ToWide, "invalid trail byte", false, "A4 41 42"},
    {20932, ToWide, "lead byte at the end", false, "41 A4"},
    {20932, ToWide, "lead byte before a zero byte", false, "A4 00 41"},
    {20932, ToWide, "single shift at the end", false, "41 8E"},
    {20932, ToWide, "program name", false, "A5 D7 A5 ED A5 B0 A5 E9 A5 E0 2E 65 78 65"},
    {20932, ToWide, "terminated", true, "A4 A2 41"},
    {20932, ToWide, "terminated after a lead byte", true, "41 A4"},
    {20932, ToNarrow, "empty", false, ""},
    {20932, ToNarrow, "ASCII", false, "0056 0065 006C 006D"},
    {20932, ToNarrow, "backslash and tilde", false, "005C 007E"},
    {20932, ToNarrow, "hiragana", false, "3042 3044"},
    {20932, ToNarrow, "kanji", false, "65E5 672C"},
    {20932, ToNarrow, "half-width katakana", false, "FF71 FF9F"},
    {20932, ToNarrow, "JIS X 0212", false, "4E02 00E9 02D8"},
    {20932, ToNarrow, "symbols the C library maps", false, "00A5 203E FF5E 0080"},
    {20932, ToNarrow, "Microsoft forms of JIS symbols", false, "FF3C 2225 FF0D FFE2"},
    {20932, ToNarrow, "private use", false, "E000 E3AB E3AC E757 F8F0"},
    {20932, ToNarrow, "unmappable", false, "0041 0E01 0042"},
    {20932, ToNarrow, "lone surrogates", false, "D800 0041 DC00"},
    {20932, ToNarrow, "surrogate pair", false, "D83D DE00"},
    {20932, ToNarrow, "program name", false, "30D7 30ED 30B0 30E9 30E0 002E 0065 0078 0065"},
    {20932, ToNarrow, "terminated", true, "3042 0041"},
    {20932, ToNarrow, "terminated unmappable", true, "0E01"},

    // EUC-JP as code page 51932: Wine does not offer it and refuses all of these.
    {51932, ToWide, "empty", false, ""},
    {51932, ToWide, "ASCII", false, "41 42"},
    {51932, ToWide, "hiragana", false, "A4 A2 A4 A4"},
    {51932, ToWide, "kanji", false, "C6 FC CB DC"},
    {51932, ToWide, "half-width katakana", false, "8E B1"},
    {51932, ToWide, "JIS X 0212", false, "8F B0 A1"},
    {51932, ToWide, "invalid byte", false, "A4 41"},
    {51932, ToWide, "truncated", false, "41 A4"},
    {51932, ToWide, "terminated", true, "A4 A2"},
    {51932, ToNarrow, "empty", false, ""},
    {51932, ToNarrow, "ASCII", false, "0041 0042"},
    {51932, ToNarrow, "hiragana", false, "3042 3044"},
    {51932, ToNarrow, "half-width katakana", false, "FF71"},
    {51932, ToNarrow, "unmappable", false, "0E01"},
    {51932, ToNarrow, "lone surrogate", false, "D800"},
    {51932, ToNarrow, "terminated", true, "3042"},
};

// The size query, the conversion into an exact target, and one into a target one unit short.
struct Record {
    std::int32_t size = 0;
    std::vector<std::uint16_t> output;
    std::int32_t shortResult = 0;
    std::vector<std::uint16_t> shortOutput;
};

Record ToWideRecord(const Input& input) {
    const RawLayer::Os::Boundary& os = RawLayer::Os::SystemBoundary();
    std::vector<std::uint16_t> hex = UnitsFromHex(input.input);
    std::string source(hex.begin(), hex.end());
    auto length = input.terminated ? -1 : static_cast<std::int32_t>(source.size());
    Record record;
    record.size = os.MultiByteToWideChar(input.codePage, 0, source.c_str(), length, nullptr, 0);
    if (record.size > 0) {
        std::u16string target(static_cast<std::size_t>(record.size), RawLayer::Testing::WideFill);
        os.MultiByteToWideChar(input.codePage, 0, source.c_str(), length, target.data(),
                               record.size);
        record.output.assign(target.begin(), target.end());
    }
    if (record.size > 1) {
        std::u16string target(static_cast<std::size_t>(record.size - 1),
                              RawLayer::Testing::WideFill);
        record.shortResult = os.MultiByteToWideChar(input.codePage, 0, source.c_str(), length,
                                                    target.data(), record.size - 1);
        record.shortOutput.assign(target.begin(), target.end());
    }
    return record;
}

Record ToNarrowRecord(const Input& input) {
    const RawLayer::Os::Boundary& os = RawLayer::Os::SystemBoundary();
    std::vector<std::uint16_t> hex = UnitsFromHex(input.input);
    std::u16string source(hex.begin(), hex.end());
    auto length = input.terminated ? -1 : static_cast<std::int32_t>(source.size());
    Record record;
    record.size = os.WideCharToMultiByte(input.codePage, 0, source.c_str(), length, nullptr, 0,
                                         nullptr, nullptr);
    auto bytes = [](const std::string& target) {
        std::vector<std::uint16_t> units;
        for (char byte : target) {
            units.push_back(static_cast<std::uint8_t>(byte));
        }
        return units;
    };
    const char fill = static_cast<char>(RawLayer::Testing::NarrowFill);
    if (record.size > 0) {
        std::string target(static_cast<std::size_t>(record.size), fill);
        os.WideCharToMultiByte(input.codePage, 0, source.c_str(), length, target.data(),
                               record.size, nullptr, nullptr);
        record.output = bytes(target);
    }
    if (record.size > 1) {
        std::string target(static_cast<std::size_t>(record.size - 1), fill);
        record.shortResult =
            os.WideCharToMultiByte(input.codePage, 0, source.c_str(), length, target.data(),
                                   record.size - 1, nullptr, nullptr);
        record.shortOutput = bytes(target);
    }
    return record;
}

}  // namespace

int main() {
    // Rows end in LF alone, whatever the C runtime would make of them.
    _setmode(_fileno(stdout), _O_BINARY);
    std::printf(
        "// Recorded under Wine by tests/platform/conversion_vector_dump.cpp (Windows build), "
        "from\n"
        "// the repository root:\n"
        "//   scripts/wine-session.sh wine "
        "build/windows/tests/platform/conversion_vector_dump.exe\n"
        "// with its output written to this file.\n"
        "// Rows: code page, direction, label, terminated, input, size query, output, answer and\n"
        "// units of a target one unit short. Do not edit by hand; record again instead.\n");
    for (const Input& input : inputs) {
        bool toWide = input.direction == ToWide;
        Record record = toWide ? ToWideRecord(input) : ToNarrowRecord(input);
        int outputDigits = toWide ? 4 : 2;
        std::string normalizedInput = HexFromUnits(UnitsFromHex(input.input), toWide ? 2 : 4);
        std::printf("{%u, ConversionDirection::%s, \"%s\", %s, \"%s\", %d, \"%s\", %d, \"%s\"},\n",
                    input.codePage, toWide ? "ToWide" : "ToNarrow", input.label,
                    input.terminated ? "true" : "false", normalizedInput.c_str(), record.size,
                    HexFromUnits(record.output, outputDigits).c_str(), record.shortResult,
                    HexFromUnits(record.shortOutput, outputDigits).c_str());
    }
    return 0;
}
