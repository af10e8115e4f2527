// Sampling of node functions into 3-D tables for the image cores (internal,
// not installed).
#pragma once

#include "kvrLutFunc.h"

namespace Kalvora {

// The same tables as f.getTable, bit for bit. When f is a plain chain
// (LutComposite3D or LutComposite3DSmall) that starts with per-channel
// curves (LutAdapter stages), the output of those stages depends on one
// grid coordinate only, so they are evaluated once per coordinate and
// channel instead of once per grid point.
void sample3dTable(const LutFunc3D& f, int size, double* table, LutOrder order);
void sample3dTable(const LutFunc3D& f, int size, unsigned short* table, LutOrder order, int maxCode,
                   bool halfGrid);

}  // namespace Kalvora
