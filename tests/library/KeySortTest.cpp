// KeySort against a plain stable sort of the same keys: items whose keys
// share leading bytes (as numbers' keys do), tie often, or run past the
// sixteen bytes the items hold inline, in both directions, on one and on
// two threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "library/KeyHead.h"
#include "library/KeySort.h"

namespace {

struct Item {
    std::uint64_t head;
    std::uint64_t head2;
    const char* key;
    std::uint32_t keySize;
    std::uint32_t position;
};

TEST(KeySortTest, OrdersAsAStableSortOfTheKeys) {
    std::mt19937 random(25);
    for (const std::size_t shared : {0u, 1u, 2u, 5u, 7u, 9u, 15u, 20u}) {
        // Above the size below which the sorter only compares.
        const std::size_t n = 6000 + random() % 3000;
        std::vector<std::string> keys(n);
        const std::string prefix(shared, '\x03');
        for (std::string& key : keys) {
            key = prefix;
            const std::size_t rest = random() % 12;
            for (std::size_t k = 0; k < rest; ++k) key += static_cast<char>("\x00\x01\x7F\x80\xFF"[random() % 5]);
        }
        std::string arena;
        for (const std::string& key : keys) arena += key;
        arena.append(zabrelo::kKeySlack, '\0');
        for (const bool reverse : {false, true}) {
            for (const unsigned threads : {1u, 2u}) {
                SCOPED_TRACE(std::to_string(shared) + " shared bytes" + (reverse ? ", reversed" : "") + ", " +
                             std::to_string(threads) + " threads");
                std::vector<Item> items(n);
                std::size_t at = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    Item& item = items[i];
                    item.key = arena.data() + at;
                    item.keySize = static_cast<std::uint32_t>(keys[i].size());
                    item.head = zabrelo::KeyHead(item.key, item.keySize);
                    item.head2 = item.keySize > 8 ? zabrelo::KeyHead(item.key + 8, item.keySize - 8) : 0;
                    item.position = static_cast<std::uint32_t>(i);
                    at += keys[i].size();
                }
                zabrelo::SortByKeys(items.data(), n, reverse, threads, [](const Item& item) { return item.position; });
                std::vector<std::uint32_t> want(n);
                for (std::uint32_t i = 0; i < n; ++i) want[i] = i;
                std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) {
                    return reverse ? keys[b] < keys[a] : keys[a] < keys[b];
                });
                std::vector<std::uint32_t> got(n);
                for (std::size_t i = 0; i < n; ++i) got[i] = items[i].position;
                ASSERT_EQ(got, want);
            }
        }
    }
}

}  // namespace
