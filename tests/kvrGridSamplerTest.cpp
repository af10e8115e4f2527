// The image cores sample chains that start with per-channel curves by
// evaluating those curves once per grid coordinate. Their tables must equal,
// bit for bit, the straightforward sampling of the same node function.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../src/kvrGridSampler.h"
#include "kvrKestaImageCore.h"
#include "kvrLutComposite.h"
#include "kvrLutGeneratorImageCore.h"
#include "kvrMatrixLut.h"

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
// smallest grids, and both memory orders.
const Grid kGrids[] = {{2, kLutInterleaved, false}, {3, kLutPlanar, true},
                       {4, kLutInterleaved, true},  {17, kLutPlanar, false},
                       {17, kLutInterleaved, true}, {33, kLutInterleaved, false}};

template <class Sample>
void expectSameTables(const std::vector<Sample>& expected, const std::vector<Sample>& actual,
                      const Grid& grid) {
  ASSERT_EQ(expected.size(), actual.size());
  EXPECT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(Sample)), 0)
      << "size " << grid.size << " order " << grid.order << " half grid " << grid.halfGrid;
}

template <class Core>
void expectExportsMatchNodeFunctions(Core& core, unsigned int id) {
  for (const Grid& grid : kGrids) {
    if (grid.size < 3) continue;  // the cores take 3 to 65 points
    const size_t count = 3 * size_t(grid.size) * grid.size * grid.size;
    std::vector<unsigned short> codes(count), straightCodes(count);
    ASSERT_EQ(core.export3dLut(id, grid.size, codes.data(), grid.order, 65535), kNoError);
    core.node(id).getTable(grid.size, straightCodes.data(), grid.order, 65535, false);
    expectSameTables(straightCodes, codes, grid);

    std::vector<double> values(count), straightValues(count);
    ASSERT_EQ(core.export3dLut(id, grid.size, values.data(), grid.order), kNoError);
    core.node(id).getTable(grid.size, straightValues.data(), grid.order);
    expectSameTables(straightValues, values, grid);
  }
}

}  // namespace

TEST(GridSamplerTest, CameraRenderingMatchesItsNodeFunction) {
  CameraProbe core;
  ASSERT_TRUE(core.good());
  expectExportsMatchNodeFunctions(core, 11);
  // Log offsets, a tone shape and video controls change every stage.
  ASSERT_EQ(core.setParam(3001, 0.05), kNoError);
  ASSERT_EQ(core.setParam(3003, -0.08), kNoError);
  ASSERT_EQ(core.setParam(4001, 0.3), kNoError);
  ASSERT_EQ(core.setParam(4002, 0.8), kNoError);
  ASSERT_EQ(core.setParam(5021, 1.3), kNoError);
  ASSERT_EQ(core.setParam(5032, 0.1), kNoError);
  ASSERT_EQ(core.setParam(5040, 1.4), kNoError);
  expectExportsMatchNodeFunctions(core, 11);
}

TEST(GridSamplerTest, LookExportsWithTheCdlMatchTheirNodeFunctions) {
  GeneratorProbe core;
  ASSERT_TRUE(core.good());
  ASSERT_EQ(core.setParam(3011, 1.3), kNoError);
  ASSERT_EQ(core.setParam(3002, -0.05), kNoError);
  ASSERT_EQ(core.setParam(3023, 1.6), kNoError);
  ASSERT_EQ(core.setParam(3040, 1.2), kNoError);
  for (unsigned int id : {13u, 14u, 12u}) {
    SCOPED_TRACE(id);
    expectExportsMatchNodeFunctions(core, id);
  }
  core.setTargetColorSpace(core.getColorSpaceInfo(P3D65Gamma26));
  expectExportsMatchNodeFunctions(core, 13);
}

TEST(GridSamplerTest, LookNodeMatchesItsNodeFunction) {
  GeneratorProbe core;
  ASSERT_TRUE(core.good());
  ASSERT_EQ(core.setParam(5040, 1.3), kNoError);
  for (const Grid& grid : kGrids) {
    if (grid.size < 3) continue;
    const size_t count = 3 * size_t(grid.size) * grid.size * grid.size;
    std::vector<unsigned short> codes(count), straight(count);
    ASSERT_EQ(core.get3dLut(10, grid.size, codes.data(), grid.order, 65535, grid.halfGrid),
              kNoError);
    core.node(10).getTable(grid.size, straight.data(), grid.order, 65535, grid.halfGrid);
    expectSameTables(straight, codes, grid);
  }
}

TEST(GridSamplerTest, ChainsOfEveryShapeMatchPlainSampling) {
  const PowerFunc curveR(2.2), curveG(0.45), curveB(1.7);
  const LutFuncCdl cdlR(1.2, -0.05, 1.1), cdlG(0.9, 0.1, 0.8), cdlB(1.1, 0.0, 1.3);
  const LutAdapter curves(curveR, curveG, curveB), cdl(cdlR, cdlG, cdlB);
  const double mixing[9] = {0.8, 0.15, 0.05, 0.1, 0.7, 0.2, 0.05, 0.25, 0.7};
  const MatrixLut matrix(mixing);
  LutComposite3DSmall twoCurvesFirst, matrixFirst, curvesOnly;
  twoCurvesFirst.addTransformation(cdl);
  twoCurvesFirst.addTransformation(curves);
  twoCurvesFirst.addTransformation(matrix);
  twoCurvesFirst.addTransformation(curves);
  matrixFirst.addTransformation(matrix);
  matrixFirst.addTransformation(curves);
  curvesOnly.addTransformation(curves);
  LutComposite3D growable;
  growable.addTransformation(curves);
  growable.addTransformation(matrix);
  const LutComposite3DSmall empty;
  for (const LutFunc3D* chain : std::vector<const LutFunc3D*>{
           &twoCurvesFirst, &matrixFirst, &curvesOnly, &growable, &empty, &curves})
    for (const Grid& grid : kGrids) {
      const size_t count = 3 * size_t(grid.size) * grid.size * grid.size;
      std::vector<unsigned short> codes(count), straightCodes(count);
      sample3dTable(*chain, grid.size, codes.data(), grid.order, 4095, grid.halfGrid);
      chain->getTable(grid.size, straightCodes.data(), grid.order, 4095, grid.halfGrid);
      expectSameTables(straightCodes, codes, grid);
      std::vector<double> values(count), straightValues(count);
      sample3dTable(*chain, grid.size, values.data(), grid.order);
      chain->getTable(grid.size, straightValues.data(), grid.order);
      expectSameTables(straightValues, values, grid);
    }
}
