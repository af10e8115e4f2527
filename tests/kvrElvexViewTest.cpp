#include <gtest/gtest.h>

#include "kvrElvexView.h"

using namespace Kalvora;

namespace {

class NamedSpace : public ColorSpaceInfo {
public:
  explicit NamedSpace(const char* name)
      : ColorSpaceInfo({0.3127, 0.329}, {0.64, 0.33}, {0.3, 0.6}, {0.15, 0.06}, name) {}
  const LutFunc* getLinLut(bool) const override { return &LutFunc::sUnity; }
  const LutFunc* getGammaLut(int, bool) const override { return &LutFunc::sUnity; }
};

}  // namespace

TEST(ElvexView, PassesTheLogSignalThroughUnchanged) {
  const ElvexView view;
  EXPECT_EQ(view.getWhiteChromaticity().x, 0.3333333432674408);
  EXPECT_EQ(view.getWhiteChromaticity().y, 0.3333333432674408);
  for (bool pure : {false, true}) {
    EXPECT_EQ(view.getLinLut(pure), &LutFunc::sUnity);
    for (int channel = 0; channel < 3; ++channel)
      EXPECT_EQ(view.getGammaLut(channel, pure), &LutFunc::sUnity);
  }
  double m[9];
  view.getConversionMatrix(NamedSpace("com.apple.proapps.colorspace.rec1886"), m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gUnityMatrix[i]);
  view.getLumaMatrix(m);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], gLumaFactors[i % 3]);
}

TEST(ElvexView, RecognisedByName) {
  const ElvexView view;
  EXPECT_EQ(view.getNameLen(), 10u);
  EXPECT_TRUE(ElvexView::isColorSpace(&view));
  const NamedSpace same("elvex_view"), other("elvex_vie");
  EXPECT_TRUE(ElvexView::isColorSpace(&same));
  EXPECT_FALSE(ElvexView::isColorSpace(&other));
  EXPECT_FALSE(ElvexView::isColorSpace(nullptr));

  const unsigned char buffer[] = "elvex_view and more";
  EXPECT_TRUE(view.isColorSpace(buffer, 0));
  EXPECT_TRUE(view.isColorSpace("view", 6));
}
