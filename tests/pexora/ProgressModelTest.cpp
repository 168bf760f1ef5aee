// Progress as the share of time spent: measured groups predict themselves,
// groups not begun are predicted by what their own kind of work took.
#include <gtest/gtest.h>

#include "engine/ProgressModel.h"

namespace pexora {
namespace {

TEST(ProgressModel, EachKindOfWorkIsCalibratedByItsOwnMeasurements) {
  ProgressModel model;
  EXPECT_EQ(model.Fraction(), 0.0);
  // Preparing: four sizes of prior 100; rows: two sizes of 10 rows of prior
  // 100, which overstates their cost a hundredfold against preparing.
  size_t prepare[4], rows[2];
  for (size_t& g : prepare) g = model.AddGroup(0, 1, 100);
  for (size_t& g : rows) g = model.AddGroup(1, 10, 100);
  model.Done(prepare[0], 1.0);
  for (int i = 0; i < 10; ++i) model.Done(rows[0], 0.01);
  // Spent 1.1 s; left: three preparations of 1 s and ten rows of 0.01 s.
  EXPECT_NEAR(model.Fraction(), 1.1 / (1.1 + 3.0 + 0.1), 1e-12);

  // A group under way predicts its rest from its own units.
  model.Done(rows[1], 0.05);
  EXPECT_NEAR(model.Fraction(), 1.15 / (1.15 + 3.0 + 9 * 0.05), 1e-12);

  // Resetting a group to no units removes it from what is left.
  model.SetGroup(rows[1], 1, 100);
  for (size_t g : {prepare[1], prepare[2], prepare[3]}) model.Done(g, 1.0);
  EXPECT_NEAR(model.Fraction(), 1.0, 1e-12);
}

}  // namespace
}  // namespace pexora
