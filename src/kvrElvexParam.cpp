#include "kvrElvex.h"

namespace Kalvora {

// Single-precision constants widened to double: 16/4095, 0.01 (0.013),
// 262.5/1023, 400/1023, 95/1023 and 1/9.
const Elvex::Param kestaElvexparam(400.0, 0.0039072041399776936, 0.009999999776482582,
                                   0.25659823417663574, 0.39100685715675354, 0.09286412596702576,
                                   0.1111111119389534);
const Elvex::Param pendroElvexparam(400.0, 0.0039072041399776936, 0.012999999336898327,
                                    0.25659823417663574, 0.39100685715675354, 0.09286412596702576,
                                    0.1111111119389534);

}  // namespace Kalvora
