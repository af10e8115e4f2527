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

// The limits of every public 3-D sampling request, checked in this order
// before anything is written: 3..65 mesh points (kIllegalValue "illegal
// size for 3DLUT"); for integer tables a full-scale value below 65536
// (kLimitExceeded "illegal value for scaling factor", as 16-bit codes would
// wrap) and of at least 1 (kIllegalValue); a buffer (kIllegalValue).
void check3dTableRequest(int size, const double* table);
void check3dTableRequest(int size, const unsigned short* table, int maxCode);

}  // namespace Kalvora
