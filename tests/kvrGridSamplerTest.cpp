// Sampling that evaluates leading per-channel curves once per grid coordinate
// equals, bit for bit, the straightforward sampling of the same function.
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "../src/kvrGridSampler.h"
#include "kvrKestaImageCore.h"
#include "kvrLutComposite.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMatrixLut.h"
#include "kvrPipelineVocabulary.h"

using namespace Kalvora;

namespace {

// Opens the node functions that the public sampling operations read.
template <class Core>
class Probe : public Core {
public:
  using Core::Core;
  const LutFunc3D& node(unsigned int id) { return *this->do_exportLut(id); }
};

// Odd and even sizes (an even half grid falls back to the full grid), the
// smallest grids (the cores take 3 to 65 points), and both memory orders.
const struct Grid {
  int size;
  LutOrder order;
  bool halfGrid;
} kGrids[] = {{1, kLutPlanar, false},      {2, kLutInterleaved, false}, {3, kLutPlanar, true},
              {4, kLutInterleaved, true},  {17, kLutPlanar, false},     {17, kLutInterleaved, true},
              {33, kLutInterleaved, false}};

template <class Sample>
std::vector<Sample> tableOf(const Grid& grid) {
  return std::vector<Sample>(3 * size_t(grid.size) * grid.size * grid.size);
}

template <class Core>
void expectExportsMatchTheNodeFunction(Core& core, unsigned int id) {
  for (const Grid& grid : kGrids) {
    if (grid.size < 3) continue;
    SCOPED_TRACE(testing::Message() << "node " << id << " size " << grid.size);
    auto codes = tableOf<unsigned short>(grid), straightCodes = codes;
    auto values = tableOf<double>(grid), straightValues = values;
    ASSERT_EQ(core.export3dLut(id, grid.size, codes.data(), grid.order, 65535), kNoError);
    ASSERT_EQ(core.export3dLut(id, grid.size, values.data(), grid.order), kNoError);
    core.node(id).getTable(grid.size, straightCodes.data(), grid.order, 65535, false);
    core.node(id).getTable(grid.size, straightValues.data(), grid.order);
    EXPECT_EQ(codes, straightCodes);
    EXPECT_EQ(values, straightValues);  // no NaN: equal values are equal bits but for zeros
    // The look node, half grids too.
    if constexpr (std::is_same<Core, Probe<LutGeneratorImageCore>>::value) {
      if (id != kLutNodeLook) continue;
      ASSERT_EQ(core.get3dLut(id, grid.size, codes.data(), grid.order, 65535, grid.halfGrid),
                kNoError);
      core.node(id).getTable(grid.size, straightCodes.data(), grid.order, 65535, grid.halfGrid);
      EXPECT_EQ(codes, straightCodes);
    }
  }
}

}  // namespace

TEST(GridSamplerTest, CoreExportsMatchTheirNodeFunctions) {
  Probe<KestaImageCore> camera(1, kPipelineSingleBranch);
  expectExportsMatchTheNodeFunction(camera, kCameraExportRendering);
  // Log offsets, a tone shape and video controls change every stage.
  for (const auto& p :
       {std::make_pair(kCameraParamLogOffsetRed, 0.05), std::make_pair(kCameraParamKnee, 0.8),
        std::make_pair(kCameraParamBlackGamma, 0.3), std::make_pair(kCameraParamVideoPowerRed, 1.3),
        std::make_pair(kCameraParamVideoPedestalGreen, 0.1),
        std::make_pair(kCameraParamVideoSaturation, 1.4)})
    ASSERT_EQ(camera.setParam(p.first, p.second), kNoError) << p.first;
  expectExportsMatchTheNodeFunction(camera, kCameraExportRendering);

  Probe<LutGeneratorImageCore> generator;
  for (const auto& p :
       {std::make_pair(kLutParamCdlSlopeRed, 1.3), std::make_pair(kLutParamCdlOffsetGreen, -0.05),
        std::make_pair(kLutParamCdlPowerBlue, 1.6), std::make_pair(kLutParamCdlSaturation, 1.2),
        std::make_pair(kLutParamVideoSaturation, 1.3)})
    ASSERT_EQ(generator.setParam(p.first, p.second), kNoError) << p.first;
  for (unsigned int id : {kLutExportCdlLookRec1886, kLutExportCdlLook, kLutNodeLook})
    expectExportsMatchTheNodeFunction(generator, id);
  generator.setTargetColorSpace(generator.getColorSpaceInfo(P3D65Gamma26));
  expectExportsMatchTheNodeFunction(generator, kLutExportCdlLookRec1886);
}

TEST(GridSamplerTest, ChainsOfEveryShapeMatchPlainSampling) {
  const PowerFunc curveR(2.2), curveG(0.45), curveB(1.7);
  const LutFuncCdl cdlR(1.2, -0.05, 1.1), cdlG(0.9, 0.1, 0.8), cdlB(1.1, 0.0, 1.3);
  const LutAdapter curves(curveR, curveG, curveB), cdl(cdlR, cdlG, cdlB);
  const double mixing[9] = {0.8, 0.15, 0.05, 0.1, 0.7, 0.2, 0.05, 0.25, 0.7};
  const MatrixLut matrix(mixing);
  LutComposite3DSmall twoCurvesFirst, matrixFirst, curvesOnly;
  LutComposite3D growable;
  const LutComposite3DSmall empty;
  for (const LutFunc3D* stage : std::vector<const LutFunc3D*>{&cdl, &curves, &matrix, &curves})
    twoCurvesFirst.addTransformation(*stage);
  matrixFirst.addTransformation(matrix);
  matrixFirst.addTransformation(curves);
  curvesOnly.addTransformation(curves);
  growable.addTransformation(curves);
  growable.addTransformation(matrix);
  for (const LutFunc3D* chain : std::vector<const LutFunc3D*>{
           &twoCurvesFirst, &matrixFirst, &curvesOnly, &growable, &empty, &curves})
    for (const Grid& grid : kGrids) {
      auto codes = tableOf<unsigned short>(grid), straightCodes = codes;
      auto values = tableOf<double>(grid), straightValues = values;
      sample3dTable(*chain, grid.size, codes.data(), grid.order, 4095, grid.halfGrid);
      chain->getTable(grid.size, straightCodes.data(), grid.order, 4095, grid.halfGrid);
      sample3dTable(*chain, grid.size, values.data(), grid.order);
      chain->getTable(grid.size, straightValues.data(), grid.order);
      EXPECT_EQ(codes, straightCodes) << "size " << grid.size << " half " << grid.halfGrid;
      EXPECT_EQ(values, straightValues) << "size " << grid.size;
    }
}
