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

TEST(LineStateStore, RejectsIndicesOutOfRange) {
  TLineStateStore store;
  store.Assign(3, 1);
  EXPECT_THROW(store.Get(3), std::out_of_range);
  EXPECT_THROW(store.Erase(2, 2), std::out_of_range);
  EXPECT_THROW(store.Insert(4, 1, 0), std::out_of_range);
}

}  // namespace
}  // namespace tervil
