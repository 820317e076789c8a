#include "db/EdgeMultiset.h"

#include <algorithm>
#include <cstdint>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Slot counts: primes of roughly twice the previous one. The index starts at kPrimes[0]
// slots; the compaction schedule follows a count that starts at kFirstScheduleSlots (see
// Table::schedule), which fixes the entry order and therefore every iteration.
constexpr std::size_t kPrimes[] = {23,       47,        97,        193,       389,       769,       1543,
                                   3079,     6151,      12289,     24593,     49157,     98317,     196613,
                                   393241,   786433,    1572869,   3145739,   6291469,   12582917,  25165843,
                                   50331653, 100663319, 201326611, 402653189, 805306457, 1610612741};
constexpr std::size_t kFirstScheduleSlots = 193;

std::size_t nextSlotCount(std::size_t atLeast) {
  for (std::size_t p : kPrimes)
    if (p >= atLeast) return p;
  return atLeast | 1;
}

// RPointHash yields few distinct values over a region ((y + h) xor x), so whole rows of a
// large net's edges would share one probe run; the slot hash mixes all four fields instead.
// Iteration follows entry order, so the slot layout never shows in a result.
std::size_t slotHash(const RPoint& r) {
  std::uint64_t v = std::uint64_t(std::uint32_t(r.x)) | std::uint64_t(std::uint32_t(r.y)) << 32;
  v ^= (std::uint64_t(std::uint32_t(r.z)) << 32 | std::uint32_t(r.hori)) * 0xC2B2AE3D27D4EB4Full;
  v *= 0x9E3779B97F4A7C15ull;
  v ^= v >> 32;
  v *= 0xD6E8FEB86659FD93ull;
  return static_cast<std::size_t>(v ^ (v >> 29));
}

}  // namespace

std::size_t EdgeMultiset::liveTables = 0;

std::pmr::unsynchronized_pool_resource& EdgeMultiset::pool() {
  static std::pmr::unsynchronized_pool_resource resource;
  return resource;
}

bool EdgeMultiset::releaseStorage() {
  if (liveTables != 0) return false;
  pool().release();
#if defined(__GLIBC__)
  // The pool's chunks may sit inside the heap, which keeps freed pages resident until asked.
  malloc_trim(0);
#endif
  return true;
}

void EdgeMultiset::TableDeleter::operator()(Table* t) const {
  t->~Table();
  pool().deallocate(t, sizeof(Table), alignof(Table));
  --liveTables;
}

std::unique_ptr<EdgeMultiset::Table, EdgeMultiset::TableDeleter> EdgeMultiset::makeTable(const Table* from) {
  void* memory = pool().allocate(sizeof(Table), alignof(Table));
  Table* t = from ? new (memory) Table(*from) : new (memory) Table();
  ++liveTables;
  return std::unique_ptr<Table, TableDeleter>(t);
}

EdgeMultiset::EdgeMultiset(const EdgeMultiset& other) {
  if (other.table) table = makeTable(other.table.get());
}

EdgeMultiset& EdgeMultiset::operator=(const EdgeMultiset& other) {
  if (this != &other) table = other.table ? makeTable(other.table.get()) : nullptr;
  return *this;
}

std::size_t EdgeMultiset::findSlot(const RPoint& r) const {
  const std::size_t n = table->slotCount();
  std::size_t s = slotHash(r) % n;
  const eqRPoint eq;
  while (true) {
    const std::uint32_t e = table->slot(s);
    if (e == 0 || eq(table->entries[e - 1].key, r)) return s;
    if (++s == n) s = 0;
  }
}

EdgeMultiset::Entry* EdgeMultiset::find(const RPoint& r) const {
  if (!table) return nullptr;
  const std::uint32_t e = table->slot(findSlot(r));
  return e == 0 ? nullptr : &table->entries[e - 1];
}

void EdgeMultiset::rebuild(std::size_t slotCount, bool dropDead) {
  if (dropDead) {
    PoolVector<Entry> live;
    live.reserve(table->entries.size() - table->dead);
    for (const Entry& e : table->entries)
      if (e.count > 0) live.push_back(e);
    table->entries.swap(live);
    table->dead = 0;
  }
  // One entry more than now must still fit the slot width.
  table->wide = table->entries.size() + 1 >= kNarrowLimit;
  if (table->wide) {
    table->narrowSlots = {};
    table->wideSlots.assign(slotCount, 0);
  } else {
    table->wideSlots = {};
    table->narrowSlots.assign(slotCount, 0);
  }
  for (std::size_t i = 0; i < table->entries.size(); ++i)
    table->setSlot(findSlot(table->entries[i].key), std::uint32_t(i + 1));
}

std::size_t EdgeMultiset::insert(const RPoint& r) {
  if (!table) {
    table = makeTable(nullptr);
    table->narrowSlots.assign(kPrimes[0], 0);
    table->schedule = kFirstScheduleSlots;
  }
  std::size_t s = findSlot(r);
  std::uint32_t e = table->slot(s);
  const bool fresh = e == 0;
  if (fresh) {
    // Dead entries are dropped only when the schedule grows, so neither growing the index nor
    // widening its slots ever reorders the entries.
    const bool scheduleFull = 2 * (table->entries.size() + 1) > table->schedule;
    const bool dropDead = scheduleFull && table->dead * 2 > table->entries.size();
    const std::size_t liveAfter = table->entries.size() + 1 - (dropDead ? table->dead : 0);
    if (scheduleFull) table->schedule = nextSlotCount(std::max<std::size_t>(table->schedule, 2 * liveAfter + 1));
    // Keep the load factor at or below one half, and the slot width able to name the new entry.
    const bool full = 2 * liveAfter > table->slotCount();
    if (dropDead || full || (!table->wide && liveAfter >= kNarrowLimit)) {
      rebuild(full ? nextSlotCount(std::max<std::size_t>(table->slotCount(), 2 * liveAfter + 1)) : table->slotCount(),
              dropDead);
      s = findSlot(r);
    }
    table->entries.push_back(Entry{r, 0});
    e = std::uint32_t(table->entries.size());
    table->setSlot(s, e);
  }
  Entry& entry = table->entries[e - 1];
  if (!fresh && entry.count == 0) --table->dead;  // revived in place
  const std::size_t before = std::size_t(entry.count);
  ++entry.count;
  ++table->total;
  return before;
}

std::size_t EdgeMultiset::count(const RPoint& r) const {
  const Entry* e = find(r);
  return e ? std::size_t(e->count) : 0;
}

bool EdgeMultiset::eraseOne(const RPoint& r) {
  Entry* e = find(r);
  if (!e || e->count == 0) return false;
  if (--e->count == 0) ++table->dead;
  --table->total;
  return true;
}

std::size_t EdgeMultiset::eraseOneCount(const RPoint& r) {
  Entry* e = find(r);
  if (!e || e->count == 0) return 0;
  if (--e->count == 0) ++table->dead;
  --table->total;
  return std::size_t(e->count);
}

std::size_t EdgeMultiset::eraseAll(const RPoint& r) {
  Entry* e = find(r);
  if (!e || e->count == 0) return 0;
  const std::size_t n = std::size_t(e->count);
  e->count = 0;
  ++table->dead;
  table->total -= n;
  return n;
}
