#include <gtest/gtest.h>

#include "core/search/ConfirmPlacement.h"

namespace tervil {
namespace {

struct PlaceCase {
  const char* name;
  TScreenRect line;
  int width;
  TScreenPoint expected;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
  *os << c.name;
}

class ConfirmPlace : public ::testing::TestWithParam<PlaceCase> {};

// The client area is 800 x 600 at (100, 50); the question is `width` x 100.
TEST_P(ConfirmPlace, KeepsTheOccurrenceVisible) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(ConfirmDialogPlace({100, 50, 800, 600}, c.line, c.width, 100), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfirmPlace,
    ::testing::Values(
        PlaceCase{"below_the_line", {300, 100, 40, 16}, 300, {300, 120}},
        PlaceCase{"moved_left_at_the_right_edge", {800, 100, 40, 16}, 300, {600, 120}},
        PlaceCase{"above_in_the_lower_third", {300, 460, 40, 16}, 300, {300, 356}},
        PlaceCase{"bottom_exactly_at_two_thirds_stays_below", {300, 434, 40, 16}, 300, {300, 454}},
        PlaceCase{"centred_when_the_area_is_narrow", {300, 100, 40, 16}, 1000, {0, 120}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tervil
