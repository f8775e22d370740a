#pragma once
// One driver for the tables whose rows each make one call in the width their texts choose (the
// file attributes, the message box, the shell launch): each row's call must reach exactly the
// row's expected call, and a row whose texts need no code page must convert nothing.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/recording_boundary.h"
#include "tests/support/text_samples.h"

namespace RawLayer::Testing {

// Runs the rows for which needsCodePages(row) is throughCodePages: both widths of the call
// (entries) answer `answer`, act(row) makes the call and checks what it gave back.
template <typename Row, typename NeedsCodePages, typename Act>
void CheckCallWidths(const std::vector<Row>& rows, bool throughCodePages,
                     NeedsCodePages needsCodePages, std::initializer_list<BoundaryEntry> entries,
                     std::int64_t answer, Act act) {
    std::vector<std::string> watched;
    for (BoundaryEntry entry : entries) {
        watched.push_back(entry.Name());
    }
    for (const Row& row : rows) {
        if (needsCodePages(row) != throughCodePages) {
            continue;
        }
        SCOPED_TRACE(row.name);
        RecordingBoundary os;
        for (BoundaryEntry entry : entries) {
            os.Program(entry, answer);
        }
        act(row);
        EXPECT_EQ(os.CallsOf(watched), std::vector<std::string>{row.expected});
        if (!throughCodePages) {
            EXPECT_EQ(os.CallsOf(conversionCalls), std::vector<std::string>{});
        }
    }
}

}  // namespace RawLayer::Testing
