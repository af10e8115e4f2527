// The records that describe an image core's pipeline to a host: nodes with
// their kind and change counter, parameters with ranges and defaults, boolean
// modes, and the gain/offset record of per-channel nodes.
//
// Node, parameter and mode ids are 32-bit: the top 8 bits carry the output
// branch, the low 24 bits the id within the branch, id = (branch << 24) | local.
// Id 0 never names a node; as a node's input it means "no input".
#pragma once

#include <cstdint>

namespace Kalvora {

// A node type is a family (value AND NOT 0xF) plus a variant in the low 4 bits.
enum NodeType : int32_t {
  kNodeLut = 0x10,            // one curve for all channels
  kNodeRgbLut = 0x20,         // one curve per channel
  kNodeRgbGain = 0x21,        // per-channel gains
  kNodeRgbLutOffset = 0x22,   // per-channel curve plus per-channel offsets
  kNodeRgbGainOffset = 0x23,  // per-channel gains and offsets
  kNode3dLut = 0x30,          // general RGB-to-RGB function
  kNodeMatrix = 0x31,         // 3x3 matrix
  kNodeAuxA = 0x110,          // non-colour node, no table
  kNodeAuxB = 0x120           // non-colour node heading a single-branch pipeline, no table
};

// Node types below this value carry colour; the rest are auxiliary.
constexpr int32_t kNodeFirstNonColor = 0x100;

enum PipelineType : int32_t {
  kPipelineMultiBranch = 1,   // main path plus two further output branches
  kPipelineSingleBranch = 2,  // one output path headed by a non-colour node
  kPipelineOutputOnly = 3     // output stage only
};

// Whether a saved look stores a parameter.
enum Persistance : int32_t { kPersistNever = 0, kPersistAlways = 1, kPersistFull = 2 };

struct PipelineNode {
  PipelineNode(unsigned int idValue, unsigned int inputValue, NodeType typeValue)
      : id(idValue), input(inputValue), type(typeValue) {}

  // Counts one change of the node's output; wraps modulo 2^32.
  void changed() { ++revision; }

  uint32_t id;
  uint32_t input;  // node feeding this one, 0 for the first node of a path
  NodeType type;
  uint32_t revision = 0;
  bool bypassed = false;  // the node currently has no effect
};

struct PipelineParameter {
  // Unbounded: accepts any positive normal double.
  PipelineParameter(unsigned int id, double value, Persistance persistence, bool readOnly);
  PipelineParameter(unsigned int id, double value, double minimum, double maximum,
                    Persistance persistence, bool readOnly);

  // Whether a saved look stores the parameter: with all, every persistent
  // parameter; otherwise only those stored always.
  bool save(bool all) const;

  uint32_t id;
  double value;
  double defaultValue;
  double minimum;
  double maximum;
  Persistance persistence;
  bool readOnly;
};

struct PipelineMode {
  PipelineMode(unsigned int idValue, bool on) : id(idValue), value(on) {}

  uint32_t id;
  bool value;
};

// Filled by the node: only the members the node has are written.
struct RgbGainOffset {
  double gain[3];    // red, green, blue
  double offset[3];  // red, green, blue
};

}  // namespace Kalvora
