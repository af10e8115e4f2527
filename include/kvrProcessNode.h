// Process nodes: integer mirrors of an image core's pipeline nodes. Each node
// fetches the table, matrix or gains of one pipeline node from an image core
// (init) and then transforms RGB code values the way a hardware pipeline
// would, with integer results limited to 0 ... maxValue. A host chains them
// in pipeline order to preview or verify a pipeline in software.
//
// Lifecycle: a new node holds unity data (gains 1, offsets 0, the identity
// matrix at the node's scale, zero-filled 1-D tables, an identity 3-D table)
// -> init against an image core whose node data is current -> transform any
// number of times. After the core reports a new revision for the node, the
// host calls init again. A failed init returns the core's ErrorCode and keeps
// all of the node's previous data.
//
// Pixel layout of the batch form: `count` pixels of three consecutive ints
// (r, g, b); `in` and `out` hold 3 * count ints and may be the same array
// (but must not overlap otherwise). Per-pixel and batch results are the same,
// bit for bit. Transforms check nothing and never fail; inputs outside
// 0 ... maxValue are allowed and give results in 0 ... maxValue.
//
// Transforms are const and keep no state: several threads may transform
// through one node at once, as long as none of them calls init.
#pragma once

#include <cstdint>
#include <vector>

#include "kvrError.h"
#include "kvrLut3D.h"
#include "kvrLutFunc.h"
#include "kvrMath.h"
#include "kvrPipeline.h"

namespace Kalvora {

class Kalvora;
class Vorn2ImageCore;

class ProcessNode {
public:
  // id: the pipeline node mirrored. maxValue: the largest code value of the
  // node's inputs and outputs (1023 for 10-bit, 65535 for 16-bit); values
  // below 1 are taken as 1.
  ProcessNode(unsigned int id, int maxValue);
  virtual ~ProcessNode();
  ProcessNode(const ProcessNode&) = delete;
  ProcessNode& operator=(const ProcessNode&) = delete;

  // One pixel.
  virtual void transform(int r, int g, int b, int& outR, int& outG, int& outB) const = 0;

  // Fetches the node's data from an image core and returns its result code.
  // Every node accepts any image core except the 3-D node, which needs the
  // LUT image core and yields kIllegalCall for others. A null core yields
  // kIllegalValue. Failures are reported once and keep the previous data.
  ErrorCode init(Vorn2ImageCore* core);
  ErrorCode init(Kalvora* core);

  // count pixels (see the layout above) in one pass, without a virtual call
  // per pixel. A count below 1 does nothing.
  void transform(int const* in, int* out, int count) const;

  unsigned int getId() const { return id_; }
  int getMaxValue() const { return maxValue_; }

protected:
  // Reads the node's data; returns the core's code or throws KvrSignal.
  // Must leave the node unchanged unless it succeeds.
  virtual ErrorCode do_init(Kalvora& core) = 0;
  // The batch loop of the concrete node; count is positive.
  virtual void do_transform(int const* in, int* out, int count) const = 0;

private:
  uint32_t id_;
  int maxValue_;
};

// Gains and offsets of a per-channel node (read with getRgbGainOffset).
// Subclasses differ in how they apply them.
class ProcessGainOffsetNode : public ProcessNode {
public:
  ProcessGainOffsetNode(unsigned int id, int maxValue);

  // Gains 1.0, offsets 0.0.
  void setUnityRgbGainOffset();
  const RgbGainOffset& getGainOffset() const { return gainOffset_; }

protected:
  // The three formulas in one form: per channel c,
  // out = (base[c] + in * slope[c]) + 0.5, truncated and limited.
  struct AffineCodes {
    double base[3];
    double slope[3];
  };

  ErrorCode do_init(Kalvora& core) override;
  void applyAffine(const AffineCodes& codes, int r, int g, int b, int& outR, int& outG,
                   int& outB) const;
  void applyAffine(const AffineCodes& codes, int const* in, int* out, int count) const;

  RgbGainOffset gainOffset_;
};

// out = (1 - gain) * pivot + in * gain, rounded: the gain pivots about code
// value 256, which stays fixed.
class ProcessRgbGainNode : public ProcessGainOffsetNode {
public:
  ProcessRgbGainNode(unsigned int id, int maxValue);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

  int getPivot() const { return pivot_; }

protected:
  void do_transform(int const* in, int* out, int count) const override;

private:
  AffineCodes codes() const;

  int pivot_;
};

// out = in + offset * maxValue, rounded: offsets are in units of full scale.
class ProcessRgbOffsetNode : public ProcessGainOffsetNode {
public:
  ProcessRgbOffsetNode(unsigned int id, int maxValue);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

protected:
  void do_transform(int const* in, int* out, int count) const override;

private:
  AffineCodes codes() const;
};

// out = in * gain + offset * maxValue, rounded.
class ProcessRgbGainOffsetNode : public ProcessGainOffsetNode {
public:
  ProcessRgbGainOffsetNode(unsigned int id, int maxValue);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

protected:
  void do_transform(int const* in, int* out, int count) const override;

private:
  AffineCodes codes() const;
};

// One 1-D table for all channels (read with the integer getLut at the node's
// size and maxValue): out = table[in >> shift]. Entry i stands for the input
// i / (size - 1), so a table of maxValue + 1 entries with shift 0 has one
// entry per code, and a 16-bit node with a 4096-entry table uses shift 4.
// Indices below 0 read the first entry, indices past the end the last.
class ProcessLutNode : public ProcessNode {
public:
  // size is limited to 1 ... 65536 entries (the image cores accept 256 ...
  // 65536) and shift to 0 ... 31.
  ProcessLutNode(unsigned int id, int size, int maxValue, int shift);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

  int getSize() const { return size_; }
  int getShift() const { return shift_; }
  // size codes in 0 ... maxValue; owned by the node.
  const unsigned short* getTable() const { return table_.data(); }

protected:
  ErrorCode do_init(Kalvora& core) override;
  void do_transform(int const* in, int* out, int count) const override;

private:
  struct Reader;
  Reader reader() const;

  int size_;
  std::vector<unsigned short> table_;
  int shift_;
};

// One 1-D table per channel (read with the integer getRgbLut at the node's
// size, order and maxValue): out_c = table_c[in_c] << shift, limited to
// maxValue. Interleaved tables hold entry i of channel c at 3i + c, planar
// ones (any non-zero order) at c * size + i. Indices below 0 read the first
// entry, indices past the end the last.
class ProcessRgbLutNode : public ProcessNode {
public:
  // size is limited to 1 ... 65536 entries and shift to 0 ... 31.
  ProcessRgbLutNode(unsigned int id, int size, LutOrder order, int maxValue, int shift);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

  int getSize() const { return size_; }
  LutOrder getOrder() const { return order_; }
  int getShift() const { return shift_; }
  // 3 * size codes in the node's order; owned by the node.
  const unsigned short* getTable() const { return table_.data(); }

protected:
  ErrorCode do_init(Kalvora& core) override;
  void do_transform(int const* in, int* out, int count) const override;

private:
  struct Reader;
  Reader reader() const;

  int size_;
  LutOrder order_;
  int sampleStride_;
  int channelStride_;
  std::vector<unsigned short> table_;
  int shift_;
};

// A 3x3 matrix in fixed point with fractionBits fractional bits (read with
// getMatrix at scale 1 << fractionBits): s_c = row c times (r, g, b), formed
// in 64 bits and limited to 0 ... maxValue << fractionBits, then rounded to
// nearest: out_c = (s_c + (1 << (fractionBits - 1))) >> fractionBits. Inputs
// are limited to +-2^30 first so that no sum can overflow.
class ProcessRgbMatrixNode : public ProcessNode {
public:
  // fractionBits is limited to 0 ... 30 (0: no fraction, nothing to round).
  // The matrix entries times 1 << fractionBits must fit 32 bits; larger ones
  // saturate when read. Each entry is rounded to a step of
  // 2^-fractionBits, so results stay within one code of the exact matrix
  // when 2^fractionBits is at least 3 * maxValue (12 bits for 10-bit codes,
  // 18 for 16-bit). A new node holds the identity at its own scale.
  ProcessRgbMatrixNode(unsigned int id, int fractionBits, int maxValue);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

  const RgbIntMatrix& getMatrix() const { return matrix_; }
  int getFractionBits() const { return fractionBits_; }

protected:
  ErrorCode do_init(Kalvora& core) override;
  void do_transform(int const* in, int* out, int count) const override;

private:
  struct Mixer;
  Mixer mixer() const;

  RgbIntMatrix matrix_;
  int fractionBits_;
};

// A 3-D table of meshPoints^3 grid points (read with get3dLut at the node's
// mesh, order and maxValue, full grid), interpolated tetrahedrally at
// (r, g, b) / maxValue: out_c = result_c * maxValue, rounded and limited.
// Needs the 3-D LUT service of the LUT image core. For the LUT generator the
// table is read through the generator's own get3dLut, so its rules (HDR peak
// white) apply.
class Process3DLutNode : public ProcessNode {
public:
  // The mesh must lie in 3 ... 65 points and maxValue at most 65535 for init
  // to succeed (kIllegalValue and kLimitExceeded otherwise).
  Process3DLutNode(unsigned int id, int meshPoints, LutOrder order, int maxValue);

  using ProcessNode::transform;
  void transform(int r, int g, int b, int& outR, int& outG, int& outB) const override;

  int getMeshPoints() const { return meshPoints_; }
  LutOrder getOrder() const { return order_; }
  // 3 * meshPoints^3 codes after a successful init, empty before; owned by
  // the node.
  const unsigned short* getTable() const { return table_.data(); }

protected:
  ErrorCode do_init(Kalvora& core) override;
  void do_transform(int const* in, int* out, int count) const override;

private:
  int meshPoints_;
  LutOrder order_;
  std::vector<unsigned short> table_;
  Lut3D lut_;  // reads table_
};

}  // namespace Kalvora
