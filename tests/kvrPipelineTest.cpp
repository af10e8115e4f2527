#include <gtest/gtest.h>

#include "kvrPipeline.h"

namespace Kalvora {
namespace {

TEST(PipelineParameterTest, RangesDefaultsAndPersistence) {
  // The unbounded range starts at the smallest positive normal double.
  const PipelineParameter unbounded(6001, 1.0, kPersistNever, true);
  EXPECT_EQ(unbounded.minimum, 2.2250738585072014e-308);
  EXPECT_EQ(unbounded.maximum, 1.7976931348623157e+308);
  EXPECT_EQ(unbounded.defaultValue, 1.0);
  EXPECT_TRUE(unbounded.readOnly);
  // Construction does not check the range.
  const PipelineParameter outside(1001, -5.0, 50.0, 3200.0, kPersistFull, false);
  EXPECT_EQ(outside.value, -5.0);
  EXPECT_EQ(outside.defaultValue, -5.0);
  EXPECT_EQ(outside.minimum, 50.0);
  EXPECT_EQ(outside.maximum, 3200.0);

  EXPECT_FALSE(unbounded.save(true));
  EXPECT_FALSE(unbounded.save(false));
  EXPECT_TRUE(outside.save(true));
  EXPECT_FALSE(outside.save(false));
  const PipelineParameter always(2, 0.0, kPersistAlways, false);
  EXPECT_TRUE(always.save(true));
  EXPECT_TRUE(always.save(false));
}

TEST(PipelineNodeTest, StartsUnchangedAndRevisionWraps) {
  PipelineNode node(7, 6, kNodeRgbLutOffset);
  EXPECT_EQ(node.revision, 0u);
  EXPECT_FALSE(node.bypassed);
  node.changed();
  EXPECT_EQ(node.revision, 1u);
  node.revision = 0xFFFFFFFFu;
  node.changed();
  EXPECT_EQ(node.revision, 0u);
}

}  // namespace
}  // namespace Kalvora
