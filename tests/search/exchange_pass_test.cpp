#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "search/exchange_pass.h"

using namespace lumora;

namespace {

// The pass written out pair by pair, on element numbers.
std::vector<std::uint32_t> literalPass(const std::vector<std::int64_t>& keys) {
    std::vector<std::uint32_t> a(keys.size());
    std::iota(a.begin(), a.end(), 0u);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (keys[a[i]] < keys[a[j]]) std::swap(a[i], a[j]);
    return a;
}

TEST(ExchangePassOrder, InsertionRotatesEveryGreaterRunOfEqualKeys) {
    // Keys 1, 3, 3, 5, 2: inserting the 2 carries the first 3 past the second.
    const std::vector<std::int64_t> keys = {1, 3, 3, 5, 2};
    EXPECT_EQ(exchangePassOrder(keys), (std::vector<std::uint32_t>{0, 4, 2, 1, 3}));
    EXPECT_EQ(exchangePassOrder(keys), literalPass(keys));
}

TEST(ExchangePassOrder, FlagKeysMoveFlaggedToFrontAndRotateTheOthers) {
    // 1 = no flag, 0 = flag: A B C(flag) gives C B A.
    const std::vector<std::int64_t> keys = {1, 1, 0};
    EXPECT_EQ(exchangePassOrder(keys), (std::vector<std::uint32_t>{2, 1, 0}));
}

TEST(ExchangePassOrder, SmallInputsAndSingleKeyAreIdentity) {
    EXPECT_TRUE(exchangePassOrder({}).empty());
    const std::vector<std::int64_t> one = {7};
    EXPECT_EQ(exchangePassOrder(one), (std::vector<std::uint32_t>{0}));
    const std::vector<std::int64_t> same(50, 3);
    EXPECT_EQ(exchangePassOrder(same), literalPass(same));
}

TEST(ExchangePassOrder, RandomKeysOfFewAndManyValuesMatchThePairwisePass) {
    std::mt19937_64 random(42);
    const std::int64_t ranges[] = {1, 2, 3, 5, 17, 1000};
    for (std::int64_t range : ranges)
        for (std::size_t count : {2u, 3u, 8u, 33u, 100u, 700u})
            for (int round = 0; round < 30; ++round) {
                std::uniform_int_distribution<std::int64_t> key(0, range);
                std::vector<std::int64_t> keys(count);
                for (auto& k : keys) k = key(random);
                ASSERT_EQ(exchangePassOrder(keys), literalPass(keys)) << "range " << range << " count " << count;
            }
}

TEST(ExchangePassOrder, LongRotationsOfLargeRunsMatchThePairwisePass) {
    // Long stretches of small keys arriving after large runs: each run owes
    // many rotations, more than its length.
    std::vector<std::int64_t> keys;
    for (int block = 0; block < 6; ++block) {
        for (int i = 0; i < 40; ++i) keys.push_back(5 + block % 3);
        for (int i = 0; i < 97; ++i) keys.push_back(block % 4);
    }
    EXPECT_EQ(exchangePassOrder(keys), literalPass(keys));
}

}  // namespace
