// The image cores sample chains that start with per-channel curves by
// evaluating those curves once per grid coordinate. Their tables must equal,
// bit for bit, the straightforward sampling of the same function.
#include <gtest/gtest.h>

#include <cstring>
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
class CameraProbe : public KestaImageCore {
public:
  CameraProbe() : KestaImageCore(1, kPipelineSingleBranch) {}
  const LutFunc3D& node(unsigned int id) { return *do_exportLut(id); }
};

class GeneratorProbe : public LutGeneratorImageCore {
public:
  const LutFunc3D& node(unsigned int id) { return *do_exportLut(id); }
};

struct Grid {
  int size;
  LutOrder order;
  bool halfGrid;
};

// Odd and even sizes (an even half grid falls back to the full grid), the
// smallest grids (the cores take 3 to 65 points), and both memory orders.
const Grid kGrids[] = {{2, kLutInterleaved, false}, {3, kLutPlanar, true},
                       {4, kLutInterleaved, true},  {17, kLutPlanar, false},
                       {17, kLutInterleaved, true}, {33, kLutInterleaved, false}};

// Samples `fast` and `straight` into codes and values and compares them.
template <class Fast, class Straight>
void expectSameTables(const Grid& grid, Fast fast, Straight straight) {
  SCOPED_TRACE(testing::Message() << "size " << grid.size << " order " << grid.order
                                  << " half grid " << grid.halfGrid);
  const size_t count = 3 * size_t(grid.size) * grid.size * grid.size;
  std::vector<unsigned short> codes(count), straightCodes(count);
  std::vector<double> values(count), straightValues(count);
  fast(codes.data(), values.data());
  straight(straightCodes.data(), straightValues.data());
  EXPECT_EQ(codes, straightCodes);
  EXPECT_EQ(std::memcmp(values.data(), straightValues.data(), count * sizeof(double)), 0);
}

template <class Core>
void expectExportsMatchNodeFunctions(Core& core, unsigned int id) {
  for (const Grid& grid : kGrids) {
    if (grid.size < 3) continue;
    expectSameTables(
        grid,
        [&](unsigned short* codes, double* values) {
          ASSERT_EQ(core.export3dLut(id, grid.size, codes, grid.order, 65535), kNoError);
          ASSERT_EQ(core.export3dLut(id, grid.size, values, grid.order), kNoError);
        },
        [&](unsigned short* codes, double* values) {
          core.node(id).getTable(grid.size, codes, grid.order, 65535, false);
          core.node(id).getTable(grid.size, values, grid.order);
        });
  }
}

}  // namespace

TEST(GridSamplerTest, CoreExportsMatchTheirNodeFunctions) {
  CameraProbe camera;
  ASSERT_TRUE(camera.good());
  expectExportsMatchNodeFunctions(camera, kCameraExportRendering);
  // Log offsets, a tone shape and video controls change every stage.
  for (const auto& p :
       {std::make_pair(kCameraParamLogOffsetRed, 0.05), std::make_pair(kCameraParamBlackGamma, 0.3),
        std::make_pair(kCameraParamKnee, 0.8), std::make_pair(kCameraParamVideoPowerRed, 1.3),
        std::make_pair(kCameraParamVideoPedestalGreen, 0.1),
        std::make_pair(kCameraParamVideoSaturation, 1.4)})
    ASSERT_EQ(camera.setParam(p.first, p.second), kNoError) << p.first;
  expectExportsMatchNodeFunctions(camera, kCameraExportRendering);

  GeneratorProbe generator;
  ASSERT_TRUE(generator.good());
  for (const auto& p :
       {std::make_pair(kLutParamCdlSlopeRed, 1.3), std::make_pair(kLutParamCdlOffsetGreen, -0.05),
        std::make_pair(kLutParamCdlPowerBlue, 1.6), std::make_pair(kLutParamCdlSaturation, 1.2),
        std::make_pair(kLutParamVideoSaturation, 1.3)})
    ASSERT_EQ(generator.setParam(p.first, p.second), kNoError) << p.first;
  for (unsigned int id : {kLutExportCdlLookRec1886, kLutExportCdlLook, kLutExportLookRec1886})
    expectExportsMatchNodeFunctions(generator, id);
  // The look node itself, half grids included.
  for (const Grid& grid : kGrids) {
    if (grid.size < 3) continue;
    expectSameTables(
        grid,
        [&](unsigned short* codes, double*) {
          ASSERT_EQ(
              generator.get3dLut(kLutNodeLook, grid.size, codes, grid.order, 65535, grid.halfGrid),
              kNoError);
        },
        [&](unsigned short* codes, double*) {
          generator.node(kLutNodeLook).getTable(grid.size, codes, grid.order, 65535, grid.halfGrid);
        });
  }
  generator.setTargetColorSpace(generator.getColorSpaceInfo(P3D65Gamma26));
  expectExportsMatchNodeFunctions(generator, kLutExportCdlLookRec1886);
}

TEST(GridSamplerTest, ChainsOfEveryShapeMatchPlainSampling) {
  const PowerFunc curveR(2.2), curveG(0.45), curveB(1.7);
  const LutFuncCdl cdlR(1.2, -0.05, 1.1), cdlG(0.9, 0.1, 0.8), cdlB(1.1, 0.0, 1.3);
  const LutAdapter curves(curveR, curveG, curveB), cdl(cdlR, cdlG, cdlB);
  const double mixing[9] = {0.8, 0.15, 0.05, 0.1, 0.7, 0.2, 0.05, 0.25, 0.7};
  const MatrixLut matrix(mixing);
  LutComposite3DSmall twoCurvesFirst, matrixFirst, curvesOnly;
  for (const LutFunc3D* stage : std::vector<const LutFunc3D*>{&cdl, &curves, &matrix, &curves})
    twoCurvesFirst.addTransformation(*stage);
  matrixFirst.addTransformation(matrix);
  matrixFirst.addTransformation(curves);
  curvesOnly.addTransformation(curves);
  LutComposite3D growable;
  growable.addTransformation(curves);
  growable.addTransformation(matrix);
  const LutComposite3DSmall empty;
  for (const LutFunc3D* chain : std::vector<const LutFunc3D*>{
           &twoCurvesFirst, &matrixFirst, &curvesOnly, &growable, &empty, &curves})
    for (const Grid& grid : kGrids)
      expectSameTables(
          grid,
          [&](unsigned short* codes, double* values) {
            sample3dTable(*chain, grid.size, codes, grid.order, 4095, grid.halfGrid);
            sample3dTable(*chain, grid.size, values, grid.order);
          },
          [&](unsigned short* codes, double* values) {
            chain->getTable(grid.size, codes, grid.order, 4095, grid.halfGrid);
            chain->getTable(grid.size, values, grid.order);
          });
}
