#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kvrToolNames.h"

using namespace Kalvora::Tool;

TEST(ToolNames, NamesAndIdsAreUniqueWithinEachCore) {
  for (CoreKind core : {kLutCore, kCameraCore}) {
    std::set<unsigned int> ids;
    std::set<std::string> names;
    for (const ParamName& param : paramNames()) {
      EXPECT_TRUE(names.insert(param.name).second) << param.name;
      const unsigned int id = paramId(param, core);
      if (id != 0) {
        EXPECT_TRUE(ids.insert(id).second) << id;
      }
    }
  }
}

TEST(ToolNames, ANameFindsItsCoresId) {
  EXPECT_EQ(findParam(kLutCore, "video-slope-red")->lutId, 5067u);
  EXPECT_EQ(findParam(kCameraCore, "video-slope-red")->cameraId, 5001u);
  EXPECT_EQ(findParam(kLutCore, "3001"), findParam(kLutCore, "cdl-offset-red"));
  EXPECT_EQ(findParam(kCameraCore, "3001"), findParam(kCameraCore, "log-offset-red"));
  EXPECT_EQ(findParam(kLutCore, "log-offset-red"), nullptr);
  EXPECT_EQ(findParam(kLutCore, "+3001"), nullptr);
  EXPECT_EQ(findParam(kLutCore, "0"), nullptr);
  EXPECT_EQ(findParam(kLutCore, ""), nullptr);
  EXPECT_EQ(findParamById(kLutCore, 5078), findParam(kLutCore, "peak-white"));
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
