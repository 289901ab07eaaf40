#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/editview/LineStateStore.h"

namespace tervil {
namespace {

// Random inserts and erases over several blocks agree with a plain vector.
TEST(LineStateStore, FollowsAVectorThroughEdits) {
  TLineStateStore store;
  std::vector<std::uint32_t> model(10000);
  for (std::size_t i = 0; i < model.size(); ++i) model[i] = static_cast<std::uint32_t>(i);
  store.Assign(static_cast<int>(model.size()), 0);
  for (std::size_t i = 0; i < model.size(); ++i) store.Set(static_cast<int>(i), model[i]);
  std::mt19937 random(7);
  for (int step = 0; step < 300; ++step) {
    int at = static_cast<int>(random() % (model.size() + 1));
    if (random() % 2 == 0 || model.size() < 10) {
      int count = static_cast<int>(random() % 9000) + 1;
      store.Insert(at, count, step);
      model.insert(model.begin() + at, count, step);
    } else {
      int count =
          std::min<int>(static_cast<int>(random() % 5000) + 1, static_cast<int>(model.size()) - at);
      store.Erase(at, count);
      model.erase(model.begin() + at, model.begin() + at + count);
    }
    ASSERT_EQ(store.Size(), static_cast<int>(model.size()));
  }
  for (std::size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(store.Get(static_cast<int>(i)), model[i]) << i;
  }
}

// Lines are set in a scattered order with values drawn from palettes of several sizes (one value,
// two, sixteen, seventeen: past what a block indexes), and changed again: the store answers as a
// vector would, and its memory follows the number of distinct values, not 4 bytes a line.
TEST(LineStateStore, PacksFewDistinctValuesAndStaysExact) {
  struct Case {
    std::uint32_t distinct;
    double maxBytesPerLine;
  };
  for (Case c : {Case{1, 0.05}, Case{2, 0.2}, Case{16, 0.6}, Case{17, 4.2}}) {
    constexpr int kLines = 50000;
    TLineStateStore store;
    store.Assign(kLines, 0x80000000u);
    std::vector<std::uint32_t> model(kLines, 0x80000000u);
    std::mt19937 random(c.distinct);
    for (int round = 0; round < 2; ++round) {
      for (int i = 0; i < kLines; ++i) {
        const int line = static_cast<int>((static_cast<long long>(i) * 7919) % kLines);
        const std::uint32_t value = 0x80000000u + random() % c.distinct * 3;
        store.Set(line, value);
        model[line] = value;
      }
    }
    for (int i = 0; i < kLines; ++i) ASSERT_EQ(store.Get(i), model[i]) << c.distinct << " " << i;
    EXPECT_LE(static_cast<double>(store.MemoryBytes()) / kLines, c.maxBytesPerLine) << c.distinct;
    // Lines inserted and erased across block borders keep the others' values.
    store.Insert(4000, 300, 5);
    model.insert(model.begin() + 4000, 300, 5);
    store.Erase(8000, 9000);
    model.erase(model.begin() + 8000, model.begin() + 17000);
    ASSERT_EQ(store.Size(), static_cast<int>(model.size()));
    for (std::size_t i = 0; i < model.size(); ++i)
      ASSERT_EQ(store.Get(static_cast<int>(i)), model[i]);
  }
}

// Millions of lines of one value inserted at once (a replace-all putting back every line of a
// long text), at the start, inside a block and at the end: the values around them stay, and the
// store takes a small part of a byte per line.
TEST(LineStateStore, InsertsMillionsOfLinesWithoutAValueList) {
  constexpr int kLines = 10000;
  constexpr int kInserted = 5'000'000;
  for (int at : {0, 3001, kLines}) {
    TLineStateStore store;
    store.Assign(kLines, 0);
    for (int i = 0; i < kLines; ++i) store.Set(i, static_cast<std::uint32_t>(i % 3));
    store.Insert(at, kInserted, 7);
    ASSERT_EQ(store.Size(), kLines + kInserted) << at;
    for (int i : {0, 1, at - 1, at + kInserted, at + kInserted + 1, kLines + kInserted - 1}) {
      if (i < 0 || i >= store.Size() || (i >= at && i < at + kInserted)) continue;
      const int line = i < at ? i : i - kInserted;
      EXPECT_EQ(store.Get(i), static_cast<std::uint32_t>(line % 3)) << at << " " << i;
    }
    for (int i : {at, at + 4095, at + 4096, at + kInserted / 2, at + kInserted - 1})
      EXPECT_EQ(store.Get(i), 7u) << at << " " << i;
    EXPECT_LE(static_cast<double>(store.MemoryBytes()) / store.Size(), 0.05) << at;
    store.Erase(at, kInserted);
    ASSERT_EQ(store.Size(), kLines);
    for (int i = 0; i < kLines; ++i) ASSERT_EQ(store.Get(i), static_cast<std::uint32_t>(i % 3));
  }
}

TEST(LineStateStore, RejectsIndicesOutOfRange) {
  TLineStateStore store;
  store.Assign(3, 1);
  EXPECT_THROW(store.Get(3), std::out_of_range);
  EXPECT_THROW(store.Erase(2, 2), std::out_of_range);
  EXPECT_THROW(store.Insert(4, 1, 0), std::out_of_range);
}

}  // namespace
}  // namespace tervil
