// Target display colour spaces: a colour space description with the display
// encoding (EOTF) that turns the signal into light and back.
#pragma once

#include <cstdint>
#include <memory>

#include "kvrLutFunc.h"
#include "kvrSrcColorSpaceInfo.h"

namespace Kalvora {

class LutInverse;

// How a display colour space encodes light. Scoped, because an unscoped
// enumerator Lut would hide the table class Lut of the same namespace.
enum class EotfType : int32_t { Gamma = 1, Linear = 2, Lut = 3, Pq = 4, Hlg = 5 };

class DisplayColorSpace : public ColorSpaceInfo {
public:
  // Every type but Lut. Throws kIllegalCall for Lut and kIllegalValue for an
  // unknown type. A Gamma space of gamma 2.4 or 2.6 (single precision)
  // encodes with the shared video or DCI curve with a linear toe; any other
  // gamma encodes with the pure power law.
  DisplayColorSpace(Chromaticity white, Chromaticity red, Chromaticity green, Chromaticity blue,
                    EotfType eotf, double gamma, const char* name, const char* altName);
  // Type Lut: the borrowed table decodes, its inverse encodes. Throws
  // kIllegalValue for a null table.
  DisplayColorSpace(Chromaticity white, Chromaticity red, Chromaticity green, Chromaticity blue,
                    const LutInverse* lut, const char* name, const char* altName);
  ~DisplayColorSpace() override;

  DisplayColorSpace(const DisplayColorSpace&) = delete;
  DisplayColorSpace& operator=(const DisplayColorSpace&) = delete;

  const LutFunc* getLinLut(bool pure) const override;
  // The alternative identifier is tried first, then the main one.
  bool isColorSpace(const char* name, unsigned long skip) const override;
  bool isColorSpace(const unsigned char* bytes, unsigned long skip) const override;
  // The channel is not looked at: all three channels share one encoding.
  const LutFunc* getGammaLut(int channel, bool pure) const override;

  // Whether this is the PQ or HLG space of the registry.
  bool isHDR() const;

  EotfType getEotf() const { return eotf_; }
  double getGamma() const { return gamma_; }
  const char* getAltName() const { return altName_; }

private:
  bool usesSharedVideoGamma() const;
  bool usesSharedDciGamma() const;

  EotfType eotf_;
  double gamma_;
  // Destroyed in reverse order: powerFunc, pureGammaLut, gammaLut.
  std::unique_ptr<InverseLutFunc> gammaLut_;
  std::unique_ptr<InverseLutFunc> pureGammaLut_;
  const LutInverse* lut_;  // borrowed
  std::unique_ptr<PowerFunc> powerFunc_;
  const char* altName_;  // may be null; not owned
};

}  // namespace Kalvora
