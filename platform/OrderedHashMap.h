#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// A small hash map keyed by a byte string whose iteration order is fixed by its buckets: bucket 0 to 16, and
// within a bucket newest first. The stored persons are written and listed in this order, so the bucket count,
// the hash and the front insertion must not change.
template <typename Value> class OrderedHashMap {
public:
    static constexpr std::size_t kBucketCount = 17;

    struct Entry {
        const std::string key;
        Value value;
    };

    // h starts at 0 and becomes h * 33 + c for every byte c, in 32-bit unsigned arithmetic.
    static std::size_t BucketOf(std::string_view key) {
        std::uint32_t h = 0;
        for (char c : key) {
            h = h * 33u + static_cast<unsigned char>(c);
        }
        return h % kBucketCount;
    }

    // A new key goes to the front of its bucket and gives true. A key already present keeps its place and
    // gets the new value (the old one is destroyed); that gives false. The value is taken by reference so that
    // `map.Insert(p->Ssn, std::move(p))` reads the key before anything is moved.
    bool Insert(std::string key, Value&& value) { return Put(std::move(key), std::move(value)); }
    bool Insert(std::string key, const Value& value) { return Put(std::move(key), value); }

    // The value stored under the key, or null when there is none.
    Value* Find(std::string_view key) {
        for (Entry& e : m_buckets[BucketOf(key)]) {
            if (e.key == key) {
                return &e.value;
            }
        }
        return nullptr;
    }
    const Value* Find(std::string_view key) const { return const_cast<OrderedHashMap*>(this)->Find(key); }

    bool Contains(std::string_view key) const { return Find(key) != nullptr; }

    // Removes and destroys the entry; false when the key was not there.
    bool Remove(std::string_view key) {
        auto& bucket = m_buckets[BucketOf(key)];
        for (auto it = bucket.begin(); it != bucket.end(); ++it) {
            if (it->key == key) {
                bucket.erase(it);
                --m_count;
                return true;
            }
        }
        return false;
    }

    void Clear() {
        for (auto& bucket : m_buckets) {
            bucket.clear();
        }
        m_count = 0;
    }

    std::size_t Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    template <bool IsConst> class BasicIterator {
        using Map = std::conditional_t<IsConst, const OrderedHashMap, OrderedHashMap>;
        using Inner =
            std::conditional_t<IsConst, typename std::list<Entry>::const_iterator, typename std::list<Entry>::iterator>;

    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<IsConst, const Entry*, Entry*>;
        using reference = std::conditional_t<IsConst, const Entry&, Entry&>;

        BasicIterator() = default;
        BasicIterator(Map* map, std::size_t bucket) : m_map(map), m_bucket(bucket) {
            if (m_bucket < kBucketCount) {
                m_inner = m_map->m_buckets[m_bucket].begin();
                Settle();
            }
        }

        reference operator*() const { return *m_inner; }
        pointer operator->() const { return &*m_inner; }
        BasicIterator& operator++() {
            ++m_inner;
            Settle();
            return *this;
        }
        BasicIterator operator++(int) {
            BasicIterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const BasicIterator& other) const {
            if (m_bucket != other.m_bucket) {
                return false;
            }
            return m_bucket == kBucketCount || m_inner == other.m_inner;
        }

    private:
        // Moves past the ends of empty buckets; the end position is bucket kBucketCount.
        void Settle() {
            while (m_inner == m_map->m_buckets[m_bucket].end()) {
                if (++m_bucket == kBucketCount) {
                    return;
                }
                m_inner = m_map->m_buckets[m_bucket].begin();
            }
        }

        Map* m_map = nullptr;
        std::size_t m_bucket = kBucketCount;
        Inner m_inner{};
    };

    using iterator = BasicIterator<false>;
    using const_iterator = BasicIterator<true>;

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, kBucketCount); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, kBucketCount); }

private:
    template <typename V> bool Put(std::string key, V&& value) {
        auto& bucket = m_buckets[BucketOf(key)];
        for (Entry& e : bucket) {
            if (e.key == key) {
                e.value = std::forward<V>(value);
                return false;
            }
        }
        bucket.push_front(Entry{std::move(key), std::forward<V>(value)});
        ++m_count;
        return true;
    }

    std::array<std::list<Entry>, kBucketCount> m_buckets;
    std::size_t m_count = 0;
};
