#pragma once
// Per-net multiset of grid edges (RPoint), compared with eqRPoint (all four fields).
//
// A design has up to two million nets with two sets each, most of which stay empty or
// small, so the table is allocated on first insertion (an empty set costs one pointer).
// Distinct keys live in an entry vector with a use count; an open-addressing slot array
// of prime size (23 first, roughly doubling, at most half full) indexes them. Slots hold entry index + 1 in one
// byte while the set has fewer than 255 distinct keys (most nets), in four bytes beyond. Iteration visits live keys
// in entry order, each as many times as it is held, so it is deterministic: it depends on
// the sequence of operations only. Keys whose count drops to zero stay as dead entries
// (revived in place if inserted again) until dead entries outnumber live ones, when the
// table is compacted in entry order.
//
// All tables live in one pool of their own, apart from the general heap: sets are filled a
// unit at a time next to the routed paths, and a heap shared with those would keep the pages
// of released sets resident. releaseStorage() hands the pool back once every set is empty.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

#include "db/Geometry.h"

class EdgeMultiset {
 public:
  EdgeMultiset() = default;
  EdgeMultiset(const EdgeMultiset& other);
  EdgeMultiset& operator=(const EdgeMultiset& other);
  EdgeMultiset(EdgeMultiset&&) noexcept = default;
  EdgeMultiset& operator=(EdgeMultiset&&) noexcept = default;

  // Adds one element; returns how many equal to r were held before.
  std::size_t insert(const RPoint& r);
  // Number of elements equal to r under eqRPoint.
  std::size_t count(const RPoint& r) const;
  // Removes one element equal to r; false when there is none.
  bool eraseOne(const RPoint& r);
  // Removes one element equal to r, if any; returns how many equal to r remain.
  std::size_t eraseOneCount(const RPoint& r);
  // Removes every element equal to r; returns how many there were.
  std::size_t eraseAll(const RPoint& r);
  // Elements held, duplicates included.
  std::size_t size() const { return table ? table->total : 0; }
  bool empty() const { return size() == 0; }
  // Empties the set and releases its storage.
  void clear() { table.reset(); }
  // Calls f(const RPoint& key, std::size_t count) once per distinct key held, in entry order.
  template <class F>
  void forEachKey(F&& f) const {
    if (!table) return;
    for (const Entry& e : table->entries)
      if (e.count > 0) f(e.key, std::size_t(e.count));
  }
  // Distinct keys stored, released ones not yet compacted included: the cost of forEachKey.
  std::size_t storedKeys() const { return table ? table->entries.size() : 0; }
  // Slot count of the index; 0 before the first insertion.
  std::size_t bucketCount() const { return table ? table->slotCount() : 0; }
  // Returns the pool's memory to the system when no set holds a table; false otherwise.
  static bool releaseStorage();

  // Calls f(const RPoint&) once per element held, grouped by key, keys in entry order.
  template <class F>
  void forEach(F&& f) const {
    if (!table) return;
    for (const Entry& e : table->entries)
      for (int i = 0; i < e.count; ++i) f(e.key);
  }

 private:
  static std::pmr::unsynchronized_pool_resource& pool();
  // Stateless allocator over pool().
  template <class T>
  struct PoolAllocator {
    using value_type = T;
    PoolAllocator() = default;
    template <class U>
    PoolAllocator(const PoolAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(pool().allocate(n * sizeof(T), alignof(T))); }
    void deallocate(T* p, std::size_t n) { pool().deallocate(p, n * sizeof(T), alignof(T)); }
    template <class U>
    bool operator==(const PoolAllocator<U>&) const {
      return true;
    }
  };
  template <class T>
  using PoolVector = std::vector<T, PoolAllocator<T>>;

  struct Entry {
    RPoint key;
    int count = 0;
  };
  struct Table {
    PoolVector<Entry> entries;             // distinct keys in first-insertion order; count 0 = dead
    PoolVector<std::uint8_t> narrowSlots;  // entry index + 1 per slot, 0 = empty; while entries < 255
    PoolVector<std::uint32_t> wideSlots;   // the same once there are more entries
    bool wide = false;
    std::size_t total = 0;  // elements held, duplicates included
    std::size_t dead = 0;   // entries with count 0
    // Compaction schedule: the slot count of an index that starts at 193 slots and grows only
    // past half load. Dead entries are dropped exactly when it grows, whatever the index's own
    // size, so small sets can start with a small index and iterate as before.
    std::size_t schedule = 0;

    std::size_t slotCount() const { return wide ? wideSlots.size() : narrowSlots.size(); }
    std::uint32_t slot(std::size_t s) const { return wide ? wideSlots[s] : narrowSlots[s]; }
    void setSlot(std::size_t s, std::uint32_t v) {
      if (wide)
        wideSlots[s] = v;
      else
        narrowSlots[s] = std::uint8_t(v);
    }
  };
  static constexpr std::size_t kNarrowLimit = 255;  // entries a one-byte slot can name

  // Slot holding r's entry, or the empty slot where it would go.
  std::size_t findSlot(const RPoint& r) const;
  // Entry of r, or nullptr.
  Entry* find(const RPoint& r) const;
  void rebuild(std::size_t slotCount, bool dropDead);

  struct TableDeleter {
    void operator()(Table* t) const;
  };
  static std::unique_ptr<Table, TableDeleter> makeTable(const Table* from);
  static std::size_t liveTables;

  std::unique_ptr<Table, TableDeleter> table;
};
