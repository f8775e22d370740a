// Holds the build's MultiByteToWideChar and WideCharToMultiByte to the vectors recorded under
// Wine: natively that checks the stand-ins, under Wine it checks Wine itself. Every target and
// source is allocated at its exact size, so a converter that writes or reads one unit too far
// trips the address sanitizer; a guard unit behind the target catches it without one.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/boundary.h"
#include "tests/platform/conversion_vector.h"

namespace {

using RawLayer::Os::Bool;
using RawLayer::Os::SystemBoundary;
using RawLayer::Os::WideUnit;
using RawLayer::Testing::ConversionDirection;
using RawLayer::Testing::ConversionVector;
using RawLayer::Testing::HexFromUnits;
using RawLayer::Testing::NarrowFill;
using RawLayer::Testing::UnitsFromHex;
using RawLayer::Testing::WideFill;

const ConversionVector vectors[] = {
#include "tests/platform/conversion_vectors.inc"
};

// The answer of one call and the target's units afterwards.
struct Outcome {
    std::int32_t result;
    std::string units;
    bool guardIntact;
};

std::string Describe(const ConversionVector& vector) {
    return std::to_string(vector.codePage) +
           (vector.direction == ConversionDirection::ToWide ? " to wide: " : " to narrow: ") +
           vector.label + (vector.terminated ? " (length -1)" : "");
}

// Runs the vector with a target of the given capacity; capacity 0 is the size query.
Outcome Convert(const ConversionVector& vector, std::int32_t capacity) {
    const RawLayer::Os::Boundary& os = SystemBoundary();
    std::vector<std::uint16_t> input = UnitsFromHex(vector.input);
    std::int32_t length = static_cast<std::int32_t>(input.size());
    if (vector.terminated) {
        input.push_back(0);
        length = -1;
    }
    // The unit behind the capacity is a guard; with capacity 0 no target is passed at all.
    auto count = static_cast<std::size_t>(capacity);
    if (vector.direction == ConversionDirection::ToWide) {
        std::vector<char> source(input.begin(), input.end());
        std::vector<WideUnit> target(count + 1, WideFill);
        std::int32_t result =
            os.MultiByteToWideChar(vector.codePage, 0, source.data(), length,
                                   capacity == 0 ? nullptr : target.data(), capacity);
        return {result,
                HexFromUnits(std::vector<std::uint16_t>(target.begin(), target.end() - 1), 4),
                target[count] == WideFill};
    }
    std::vector<WideUnit> source(input.begin(), input.end());
    std::vector<char> target(count + 1, static_cast<char>(NarrowFill));
    std::int32_t result =
        os.WideCharToMultiByte(vector.codePage, 0, source.data(), length,
                               capacity == 0 ? nullptr : target.data(), capacity, nullptr, nullptr);
    std::vector<std::uint16_t> bytes;
    for (std::size_t index = 0; index < count; ++index) {
        bytes.push_back(static_cast<std::uint8_t>(target[index]));
    }
    return {result, HexFromUnits(bytes, 2), target[count] == static_cast<char>(NarrowFill)};
}

TEST(conversion_vectors_test, size_query_gives_the_recorded_size) {
    for (const ConversionVector& vector : vectors) {
        SCOPED_TRACE(Describe(vector));
        Outcome query = Convert(vector, 0);
        EXPECT_EQ(query.result, vector.size);
    }
}

TEST(conversion_vectors_test, exact_target_receives_the_recorded_units) {
    for (const ConversionVector& vector : vectors) {
        if (vector.size <= 0) {
            continue;
        }
        SCOPED_TRACE(Describe(vector));
        Outcome exact = Convert(vector, vector.size);
        EXPECT_EQ(exact.result, vector.size);
        EXPECT_EQ(exact.units, vector.output);
        EXPECT_TRUE(exact.guardIntact);
    }
}

TEST(conversion_vectors_test, target_one_unit_short_gets_the_recorded_answer_and_units) {
    for (const ConversionVector& vector : vectors) {
        if (vector.size <= 1) {
            continue;
        }
        SCOPED_TRACE(Describe(vector));
        Outcome tooSmall = Convert(vector, vector.size - 1);
        EXPECT_EQ(tooSmall.result, vector.shortResult);
        EXPECT_EQ(tooSmall.units, vector.shortOutput);
        EXPECT_TRUE(tooSmall.guardIntact);
    }
}

// Calls outside the table, with results seen under Wine.

std::int32_t ToWide(std::uint32_t codePage, const char* source, std::int32_t length,
                    WideUnit* target, std::int32_t capacity) {
    return SystemBoundary().MultiByteToWideChar(codePage, 0, source, length, target, capacity);
}

std::int32_t ToNarrow(std::uint32_t codePage, const std::u16string& source, char* target,
                      std::int32_t capacity, const char* defaultChar, Bool* usedDefault) {
    return SystemBoundary().WideCharToMultiByte(codePage, 0, source.data(),
                                                static_cast<std::int32_t>(source.size()), target,
                                                capacity, defaultChar, usedDefault);
}

TEST(conversion_arguments_test, refuses_missing_buffers_negative_capacity_and_unknown_pages) {
    WideUnit wide[4] = {};
    char narrow[4] = {};
    EXPECT_EQ(ToWide(65001, nullptr, 1, wide, 4), 0);
    EXPECT_EQ(ToWide(65001, "A", 1, nullptr, 4), 0);
    EXPECT_EQ(ToWide(65001, "A", 1, wide, -1), 0);
    EXPECT_EQ(ToWide(12345, "A", 1, wide, 4), 0);
    EXPECT_EQ(ToNarrow(65001, u"A", nullptr, 4, nullptr, nullptr), 0);
    EXPECT_EQ(ToNarrow(65001, u"A", narrow, -1, nullptr, nullptr), 0);
    EXPECT_EQ(ToNarrow(12345, u"A", narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(
        SystemBoundary().WideCharToMultiByte(65001, 0, nullptr, 1, narrow, 4, nullptr, nullptr), 0);
}

TEST(conversion_arguments_test, any_negative_length_means_up_to_the_terminator) {
    WideUnit wide[4] = {};
    EXPECT_EQ(ToWide(65001, "AB", -5, wide, 4), 3);
    EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"AB\0", 3));
    char narrow[4] = {};
    EXPECT_EQ(SystemBoundary().WideCharToMultiByte(932, 0, u"AB", -2, narrow, 4, nullptr, nullptr),
              3);
    EXPECT_EQ(std::string(narrow, 3), std::string("AB\0", 3));
}

TEST(conversion_arguments_test, shift_jis_writes_the_given_default_and_reports_it) {
    char narrow[8] = {};
    Bool used = 7;
    EXPECT_EQ(ToNarrow(932, u"\u0E01A", narrow, 8, "*", &used), 2);
    EXPECT_EQ(std::string(narrow, 2), "*A");
    EXPECT_EQ(used, 1);

    EXPECT_EQ(ToNarrow(932, u"\u0E01A", nullptr, 0, "\x81\x48", nullptr), 3);
    EXPECT_EQ(ToNarrow(932, u"\u0E01A", narrow, 8, "\x81\x48", nullptr), 3);
    EXPECT_EQ(std::string(narrow, 3),
              "\x81\x48"
              "A");

    used = 7;
    EXPECT_EQ(ToNarrow(932, u"\u0E01", narrow, 8, nullptr, &used), 1);
    EXPECT_EQ(narrow[0], '?');
    EXPECT_EQ(used, 1);

    // A best-fit character is not a default.
    used = 7;
    EXPECT_EQ(ToNarrow(932, u"\u00A5\u3042", narrow, 8, nullptr, &used), 3);
    EXPECT_EQ(std::string(narrow, 3), "\x5C\x82\xA0");
    EXPECT_EQ(used, 0);
}

TEST(conversion_arguments_test, utf7_refuses_a_default_character_and_the_flag) {
    char narrow[8] = {};
    Bool used = 7;
    EXPECT_EQ(ToNarrow(65000, u"\u3042", narrow, 8, nullptr, &used), 0);
    EXPECT_EQ(ToNarrow(65000, u"\u3042", narrow, 8, "?", nullptr), 0);
    EXPECT_EQ(ToNarrow(65000, u"\u3042", narrow, 8, nullptr, nullptr), 5);
}

TEST(conversion_arguments_test, utf8_ignores_the_default_and_reports_lone_surrogates) {
    char narrow[8] = {};
    Bool used = 7;
    EXPECT_EQ(ToNarrow(65001, u"A\xD800", narrow, 8, "*", &used), 4);
    EXPECT_EQ(std::string(narrow, 4), "A\xEF\xBF\xBD");
    EXPECT_EQ(used, 1);
    used = 7;
    EXPECT_EQ(ToNarrow(65001, u"\u3042", narrow, 8, "*", &used), 3);
    EXPECT_EQ(used, 0);
}

#ifndef _WIN32
// Natively the ANSI code page is UTF-8, and flags, which the library never passes, are refused.

TEST(conversion_native_test, ansi_code_page_converts_as_utf8) {
    for (const ConversionVector& vector : vectors) {
        if (vector.codePage != 65001) {
            continue;
        }
        SCOPED_TRACE(Describe(vector));
        ConversionVector ansi = vector;
        ansi.codePage = 0;
        EXPECT_EQ(Convert(ansi, 0).result, vector.size);
        if (vector.size > 0) {
            Outcome exact = Convert(ansi, vector.size);
            EXPECT_EQ(exact.result, vector.size);
            EXPECT_EQ(exact.units, vector.output);
        }
    }
}

TEST(conversion_native_test, refuses_every_flag) {
    WideUnit wide[4] = {};
    char narrow[4] = {};
    for (std::uint32_t flags : {0x1u, 0x8u, 0x80u, 0x400u}) {
        for (std::uint32_t codePage : {0u, 932u, 20932u, 65000u, 65001u}) {
            EXPECT_EQ(SystemBoundary().MultiByteToWideChar(codePage, flags, "A", 1, wide, 4), 0);
            EXPECT_EQ(SystemBoundary().WideCharToMultiByte(codePage, flags, u"A", 1, narrow, 4,
                                                           nullptr, nullptr),
                      0);
        }
    }
}
#endif

}  // namespace
