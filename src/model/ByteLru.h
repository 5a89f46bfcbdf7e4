#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

/// Values kept by key within a budget of bytes: each value comes with the bytes it takes, and
/// keeping one gives up the least recently used until the new one fits. A value larger than the
/// whole budget is not kept. Finding, keeping and giving up take constant time.
template <typename Key, typename Value, typename Hash = std::hash<Key>>
class ByteLru {
  public:
    explicit ByteLru(std::size_t budget) : m_budget(budget) {}

    /// The value kept for `key`, now the most recently used; nullptr when none is kept.
    Value* Find(const Key& key) {
        const auto found = m_index.find(key);
        if (found == m_index.end()) {
            return nullptr;
        }
        m_items.splice(m_items.begin(), m_items, found->second);
        return &found->second->value;
    }

    /// Keeps `value` for `key` (replacing what was kept for it) as the most recently used.
    /// Returns the value kept, or nullptr when it alone is larger than the budget.
    Value* Keep(const Key& key, Value value, std::size_t bytes) {
        Forget(key);
        if (bytes > m_budget) {
            return nullptr;
        }
        while (m_bytes + bytes > m_budget) {
            m_bytes -= m_items.back().bytes;
            m_index.erase(m_items.back().key);
            m_items.pop_back();
        }
        m_items.push_front(Item{key, std::move(value), bytes});
        m_index.emplace(key, m_items.begin());
        m_bytes += bytes;
        return &m_items.front().value;
    }

    void Forget(const Key& key) {
        const auto found = m_index.find(key);
        if (found != m_index.end()) {
            m_bytes -= found->second->bytes;
            m_items.erase(found->second);
            m_index.erase(found);
        }
    }

    void Clear() {
        m_index.clear();
        m_items.clear();
        m_bytes = 0;
    }

    /// Bytes the kept values take.
    std::size_t Bytes() const { return m_bytes; }
    std::size_t Size() const { return m_items.size(); }
    std::size_t Budget() const { return m_budget; }

  private:
    struct Item {
        Key key;
        Value value;
        std::size_t bytes;
    };

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::list<Item> m_items;  ///< the most recently used first
    std::unordered_map<Key, typename std::list<Item>::iterator, Hash> m_index;
};
