#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvrToolNames.h"

using namespace Kalvora::Tool;

TEST(ToolNames, ANameFindsItsCoresId) {
  EXPECT_EQ(findParam(kLutCore, "video-slope-red")->id, 5067u);
  EXPECT_EQ(findParam(kCameraCore, "video-slope-red")->id, 5001u);
  EXPECT_EQ(findParam(kLutCore, "3001"), findParam(kLutCore, "cdl-offset-red"));
  EXPECT_EQ(findParam(kCameraCore, "3001"), findParam(kCameraCore, "log-offset-red"));
  EXPECT_EQ(findParam(kLutCore, "log-offset-red"), nullptr);
  EXPECT_EQ(findParam(kLutCore, "+3001"), nullptr);
  EXPECT_EQ(findParam(kLutCore, "0"), nullptr);
  EXPECT_EQ(findParam(kLutCore, ""), nullptr);
  EXPECT_EQ(findParamById(kLutCore, 5078), findParam(kLutCore, "peak-white"));
  // Names stand for the main branch only.
  EXPECT_EQ(findParamById(kCameraCore, 0x1000000 + 3001), nullptr);
}

TEST(ToolNames, OnlyWhiteBalanceLeavesTheCameraLutAlone) {
  for (const char* name :
       {"color-temperature", "found-color-temperature", "tint", "wb-gain-red", "wb-gain-blue"})
    EXPECT_FALSE(changesCameraLut(*findParam(kCameraCore, name))) << name;
  for (const char* name : {"exposure-index", "log-offset-red", "knee", "video-saturation"})
    EXPECT_TRUE(changesCameraLut(*findParam(kCameraCore, name))) << name;
}

TEST(ToolNames, NodeChoicesAreTheLutGeneratorExportsAndTheCameraView) {
  EXPECT_EQ(lutNodeChoices(), (std::vector<unsigned int>{10, 11, 12, 13, 14, 15}));
  EXPECT_STREQ(nodeMeaning(kLutCore, 14), "CDL, saturation and look");
  EXPECT_STREQ(nodeMeaning(kCameraCore, 99), "");
}

TEST(ToolNames, TargetShortNamesFollowTheRegistryOrder) {
  EXPECT_EQ(findTargetShortName("rec1886"), 0);
  EXPECT_EQ(findTargetShortName("p3-d60"), 4);
  EXPECT_EQ(findTargetShortName("hlg"), 6);
  EXPECT_EQ(findTargetShortName("acesproxy"), 7);
  EXPECT_EQ(findTargetShortName("Rec1886"), -1);
  EXPECT_EQ(targetShortNameList(), "rec1886, rec2020, p3-dci, p3-d65, p3-d60, pq, hlg, acesproxy");
}

TEST(ToolNames, AllowedValuesReadAsAList) {
  EXPECT_EQ(describeAllowedValues(*findParam(kLutCore, "peak-white")), "1000, 2000 or 4000");
  EXPECT_EQ(describeAllowedValues(*findParam(kLutCore, "diffuse-white")), "100 or 200");
  EXPECT_EQ(describeAllowedValues(*findParam(kLutCore, "knee")), "");
}
