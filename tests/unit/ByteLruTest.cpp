// Values kept within a budget of bytes, the least recently used given up first: against a plain
// list that does the same the slow way, over a long random series of finds and keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "model/ByteLru.h"

namespace {

/// The rule the slow way: a list, the most recently used first.
class PlainLru {
  public:
    explicit PlainLru(std::size_t budget) : m_budget(budget) {}

    const int* Find(int key) {
        const auto found = Locate(key);
        if (found == m_items.end()) {
            return nullptr;
        }
        std::rotate(m_items.begin(), found, found + 1);
        return &m_items.front().value;
    }
    bool Keep(int key, int value, std::size_t bytes) {
        if (const auto found = Locate(key); found != m_items.end()) {
            m_items.erase(found);
        }
        if (bytes > m_budget) {
            return false;
        }
        while (Bytes() + bytes > m_budget) {
            m_items.pop_back();
        }
        m_items.insert(m_items.begin(), Item{key, value, bytes});
        return true;
    }
    std::size_t Bytes() const {
        std::size_t bytes = 0;
        for (const Item& item : m_items) {
            bytes += item.bytes;
        }
        return bytes;
    }
    std::size_t Size() const { return m_items.size(); }

  private:
    struct Item {
        int key;
        int value;
        std::size_t bytes;
    };
    std::vector<Item>::iterator Locate(int key) {
        return std::find_if(m_items.begin(), m_items.end(),
                            [key](const Item& item) { return item.key == key; });
    }
    std::size_t m_budget;
    std::vector<Item> m_items;
};

TEST(ByteLru, KeepsWhatAPlainListKeepsWithinTheBudget) {
    for (const std::size_t budget :
         {std::size_t{0}, std::size_t{1}, std::size_t{100}, std::size_t{1000}}) {
        SCOPED_TRACE(budget);
        std::mt19937 random(static_cast<unsigned>(budget) + 7);
        ByteLru<int, int> lru(budget);
        PlainLru plain(budget);
        for (int step = 0; step < 20000; ++step) {
            const int key = static_cast<int>(random() % 40);
            if (random() % 3 == 0) {
                const int* expected = plain.Find(key);
                const int* found = lru.Find(key);
                ASSERT_EQ(found == nullptr, expected == nullptr) << "step " << step;
                if (found != nullptr) {
                    ASSERT_EQ(*found, *expected) << "step " << step;
                }
            } else {
                // Mostly small values, now and then one as large as the budget or larger, and
                // values that take nothing.
                const std::size_t bytes =
                    random() % 10 == 0 ? budget + random() % 2 : random() % (budget / 8 + 2);
                const int value = step;
                const bool kept = plain.Keep(key, value, bytes);
                int* stored = lru.Keep(key, value, bytes);
                ASSERT_EQ(stored != nullptr, kept) << "step " << step;
                if (stored != nullptr) {
                    ASSERT_EQ(*stored, value);
                }
            }
            ASSERT_EQ(lru.Bytes(), plain.Bytes()) << "step " << step;
            ASSERT_EQ(lru.Size(), plain.Size()) << "step " << step;
            ASSERT_LE(lru.Bytes(), budget);
        }
    }
}

}  // namespace
