// Handles of one body on several threads: the holder count is the only shared state, and it
// must come out exact however the copies and releases interleave.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "library/text/raw_string.h"
#include "tests/support/text_samples.h"

namespace {

using RawLayer::RawString;
using namespace RawLayer::Testing;

constexpr int threadCount = 4;
constexpr int copiesPerThread = 200;
constexpr int rounds = 2000;

TEST(raw_string_thread_test, copies_and_releases_on_several_threads_keep_the_count_exact) {
    RawString shared = TextOf("one body for every thread");
    std::atomic<int> holding{0};
    std::atomic<bool> release{false};

    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            std::vector<RawString> copies;
            copies.reserve(copiesPerThread);
            for (int i = 0; i < copiesPerThread; ++i) {
                copies.emplace_back(shared);
            }
            holding.fetch_add(1);
            while (!release.load()) {
                std::this_thread::yield();
            }
            // Churn: a copy and a release on every round, while the other threads do the same.
            for (int round = 0; round < rounds; ++round) {
                RawString copy(copies[static_cast<std::size_t>(round % copiesPerThread)]);
                RawString another;
                another = copy;
            }
            copies.clear();
        });
    }
    while (holding.load() < threadCount) {
        std::this_thread::yield();
    }
    EXPECT_EQ(Holders(shared), threadCount * copiesPerThread);
    release.store(true);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(Holders(shared), 0);
    EXPECT_EQ(BytesOf(shared), "one body for every thread");
}

TEST(raw_string_thread_test, copy_on_write_on_several_threads_leaves_the_shared_text_alone) {
    RawString shared = TextOf("abcdefgh");
    std::vector<std::thread> threads;
    std::vector<std::string> results(threadCount);
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                RawString mine(shared);
                mine.SetUnit(0, static_cast<std::uint16_t>('0' + t));
                if (round == rounds - 1) {
                    results[static_cast<std::size_t>(t)] = BytesOf(mine);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < threadCount; ++t) {
        EXPECT_EQ(results[static_cast<std::size_t>(t)], std::to_string(t) + "bcdefgh");
    }
    EXPECT_EQ(Holders(shared), 0);
    EXPECT_EQ(BytesOf(shared), "abcdefgh");
}

}  // namespace
