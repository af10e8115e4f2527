#include "kvrColorSpaces.h"

namespace Kalvora {

const double gKestaWgTmRec709Mat[9] = {1.485007,  -0.401216, -0.083791, -0.033732, 1.282887,
                                       -0.249155, 0.010776,  -0.122018, 1.111242};
const double gKestaWgTmP3Mat[9] = {1.296541,  -0.194182, -0.102359, 0.019844, 1.224098,
                                   -0.243942, 0.031999,  -0.036114, 1.004115};
const double gKestaWgRec709Mat[9] = {1.6175234,  -0.5372866, -0.0802368, -0.0705727, 1.3346131,
                                     -0.2640403, -0.0211017, -0.2269539, 1.2480556};
const double gKestaWgP3Mat[9] = {1.40813988,  -0.30815588, -0.099984,  -0.01092278, 1.26827772,
                                 -0.25735495, 0.00258774,  -0.1324617, 1.12987395};
const double gKestaWgAcesMat[9] = {0.680205,  0.236137, 0.083658,  0.085415, 1.017471,
                                   -0.102886, 0.002057, -0.062563, 1.060506};
const double gKestaWgLogFilmMat[9] = {1.271103,  -0.284279, 0.013176,  -0.127165, 1.436428,
                                      -0.309263, -0.129927, -0.510286, 1.640213};
const double gKestaWgXyz[9] = {0.638008,  0.214704, 0.097744,  0.291954, 0.823841,
                               -0.115795, 0.002798, -0.067034, 1.153294};

namespace {

// Display gammas as the single-precision values the spaces are defined with.
constexpr double kGamma24 = static_cast<double>(2.4f);
constexpr double kGamma26 = static_cast<double>(2.6f);

struct RegistryEntry {
  const char* name;
  const char* altName;
  double white[2];
  double red[2];
  double green[2];
  double blue[2];
  EotfType eotf;
  double gamma;
};

// Indexed by ColorSpace. The identifiers travel in look files and metadata
// and must stay byte for byte as they are.
const RegistryEntry kRegistry[ColorSpaces::kCount] = {
    {"com.apple.proapps.colorspace.rec1886",
     nullptr,
     {0.3127, 0.329},
     {0.64, 0.33},
     {0.3, 0.6},
     {0.15, 0.06},
     EotfType::Gamma,
     kGamma24},
    {"com.apple.proapps.colorspace.rec2020.d65.gamma24",
     nullptr,
     {0.3127, 0.329},
     {0.708, 0.292},
     {0.17, 0.797},
     {0.131, 0.046},
     EotfType::Gamma,
     kGamma24},
    {"com.apple.proapps.colorspace.p3.dci.gamma26",
     "com.apple.proapps.colorspace.dci.p3.gamma26",
     {0.314, 0.351},
     {0.68, 0.32},
     {0.265, 0.69},
     {0.15, 0.06},
     EotfType::Gamma,
     kGamma26},
    {"com.apple.proapps.colorspace.p3.d65.gamma26",
     "com.apple.proapps.colorspace.dci.d65.gamma26",
     {0.3127, 0.329},
     {0.68, 0.32},
     {0.265, 0.69},
     {0.15, 0.06},
     EotfType::Gamma,
     kGamma26},
    {"com.apple.proapps.colorspace.p3.d60.gamma26",
     "com.apple.proapps.colorspace.dci.d60.gamma26",
     {0.32168, 0.33767},
     {0.68, 0.32},
     {0.265, 0.69},
     {0.15, 0.06},
     EotfType::Gamma,
     kGamma26},
    {"com.apple.proapps.colorspace.rec2100.d65.pq",
     nullptr,
     {0.3127, 0.329},
     {0.708, 0.292},
     {0.17, 0.797},
     {0.131, 0.046},
     EotfType::Pq,
     0.0},
    {"com.apple.proapps.colorspace.rec2100.d65.hlg",
     nullptr,
     {0.3127, 0.329},
     {0.708, 0.292},
     {0.17, 0.797},
     {0.131, 0.046},
     EotfType::Hlg,
     0.0},
    {"com.apple.proapps.colorspace.aces.acesproxy",
     nullptr,
     {0.32168, 0.33767},
     {0.713, 0.293},
     {0.165, 0.83},
     {0.128, 0.044},
     EotfType::Linear,
     0.0},
};

bool isKnownId(ColorSpace id) { return 0 <= id && id < ColorSpaces::kCount; }

}  // namespace

ColorSpaces::ColorSpaces() {
  for (int id = 0; id < kCount; ++id) {
    const RegistryEntry& e = kRegistry[id];
    entries_[id].reset(new DisplayColorSpace(
        Chromaticity(e.white[0], e.white[1]), Chromaticity(e.red[0], e.red[1]),
        Chromaticity(e.green[0], e.green[1]), Chromaticity(e.blue[0], e.blue[1]), e.eotf, e.gamma,
        e.name, e.altName));
  }
}

ColorSpaces::~ColorSpaces() {
  for (auto& entry : entries_) entry.reset();
}

const DisplayColorSpace* ColorSpaces::forId(ColorSpace id) const {
  return isKnownId(id) ? entries_[id].get() : nullptr;
}

const DisplayColorSpace* ColorSpaces::forName(const char* name) const {
  for (const auto& entry : entries_)
    if (entry->isColorSpace(name, 0)) return entry.get();
  return nullptr;
}

const char* ColorSpaces::identifier(ColorSpace id) {
  return isKnownId(id) ? kRegistry[id].name : nullptr;
}

}  // namespace Kalvora
