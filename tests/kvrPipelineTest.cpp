#include <gtest/gtest.h>

#include "kvrPipeline.h"

namespace Kalvora {
namespace {

TEST(PipelineParameterTest, UnboundedRangeStartsAtSmallestPositiveNormal) {
  PipelineParameter p(6001, 1.0, kPersistNever, true);
  EXPECT_EQ(p.minimum, 2.2250738585072014e-308);
  EXPECT_EQ(p.maximum, 1.7976931348623157e+308);
  EXPECT_EQ(p.defaultValue, 1.0);
  EXPECT_TRUE(p.readOnly);
  // Zero lies below the unbounded range.
  EXPECT_LT(0.0, p.minimum);
}

TEST(PipelineParameterTest, ConstructionDoesNotCheckTheRange) {
  PipelineParameter p(1001, -5.0, 50.0, 3200.0, kPersistFull, false);
  EXPECT_EQ(p.value, -5.0);
  EXPECT_EQ(p.defaultValue, -5.0);
  EXPECT_EQ(p.minimum, 50.0);
  EXPECT_EQ(p.maximum, 3200.0);
}

TEST(PipelineParameterTest, SaveFollowsPersistence) {
  const PipelineParameter never(1, 0.0, kPersistNever, false);
  const PipelineParameter always(2, 0.0, kPersistAlways, false);
  const PipelineParameter full(3, 0.0, kPersistFull, false);
  EXPECT_FALSE(never.save(true));
  EXPECT_FALSE(never.save(false));
  EXPECT_TRUE(always.save(true));
  EXPECT_TRUE(always.save(false));
  EXPECT_TRUE(full.save(true));
  EXPECT_FALSE(full.save(false));
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
