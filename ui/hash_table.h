// Integer-keyed table with open addressing and linear probing.
// Key 0 marks an empty bucket, so 0 is never a key. Setting a key twice stores
// two entries; a lookup finds the one nearer to the key's home bucket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

template <typename Value> class WTHashTable {
public:
    using Key = std::intptr_t;
    static constexpr std::size_t kDefaultCapacity = 997;

    explicit WTHashTable(std::size_t initialCapacity = kDefaultCapacity)
        : initialCapacity_(initialCapacity)
    {
    }

    // Stores a new entry; false only for the reserved key 0.
    bool Set(Key key, Value value, int extra = 0)
    {
        if (key == 0) {
            return false;
        }
        if (buckets_.empty()) {
            buckets_.resize(initialCapacity_);
        }
        Bucket entry{key, std::move(value), extra};
        while (!Place(entry)) {
            Grow();
        }
        ++count_;
        return true;
    }

    // The value of the entry nearest to the home bucket; a default Value when absent.
    Value Get(Key key, int* extra = nullptr) const
    {
        const std::size_t at = Find(key);
        if (at == kNone) {
            return Value();
        }
        if (extra) {
            *extra = buckets_[at].extra;
        }
        return buckets_[at].value;
    }

    bool Contains(Key key) const { return Find(key) != kNone; }

    // Empties the first matching bucket, then re-homes the rest of its cluster so
    // that entries which collided past it stay reachable.
    bool Remove(Key key)
    {
        std::size_t at = Find(key);
        if (at == kNone) {
            return false;
        }
        buckets_[at] = Bucket{};
        --count_;
        for (std::size_t i = Next(at); buckets_[i].key != 0; i = Next(i)) {
            Bucket moved = std::move(buckets_[i]);
            buckets_[i] = Bucket{};
            Place(moved);
        }
        return true;
    }

    void Clear()
    {
        for (Bucket& b : buckets_) {
            b = Bucket{};
        }
        count_ = 0;
    }

    std::size_t Count() const { return count_; }
    std::size_t Capacity() const { return buckets_.size(); }

    // Smallest n*n + n + 41 that exceeds twice the old capacity.
    static std::size_t NextCapacity(std::size_t old)
    {
        for (std::size_t n = 1;; ++n) {
            const std::size_t c = n * n + n + 41;
            if (c > old * 2) {
                return c;
            }
        }
    }

    // 0-based index of a key's home bucket for the current capacity.
    std::size_t HomeIndex(Key key) const
    {
        const auto magnitude = static_cast<std::uintmax_t>(key < 0 ? -static_cast<std::intmax_t>(key) : key);
        return static_cast<std::size_t>(magnitude % buckets_.size());
    }

    template <typename Fn> void ForEach(Fn&& fn) const
    {
        for (const Bucket& b : buckets_) {
            if (b.key != 0) {
                fn(b.key, b.value, b.extra);
            }
        }
    }

private:
    struct Bucket {
        Key key = 0;
        Value value{};
        int extra = 0;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t Next(std::size_t i) const { return i + 1 == buckets_.size() ? 0 : i + 1; }

    // Moves the entry into a free bucket; leaves it untouched when there is none.
    bool Place(Bucket& entry)
    {
        std::size_t i = HomeIndex(entry.key);
        for (std::size_t step = 0; step < buckets_.size(); ++step, i = Next(i)) {
            if (buckets_[i].key == 0) {
                buckets_[i] = std::move(entry);
                return true;
            }
        }
        return false;
    }

    std::size_t Find(Key key) const
    {
        if (key == 0 || count_ == 0 || buckets_.empty()) {
            return kNone;
        }
        std::size_t i = HomeIndex(key);
        if (buckets_[i].key == 0) {
            return kNone;
        }
        for (std::size_t step = 0; step < buckets_.size(); ++step, i = Next(i)) {
            if (buckets_[i].key == key) {
                return i;
            }
        }
        return kNone;
    }

    void Grow()
    {
        std::vector<Bucket> old = std::move(buckets_);
        buckets_.clear();
        buckets_.resize(NextCapacity(old.size()));
        for (Bucket& b : old) {
            if (b.key != 0) {
                Place(b);
            }
        }
    }

    std::size_t initialCapacity_;
    std::vector<Bucket> buckets_;
    std::size_t count_ = 0;
};
