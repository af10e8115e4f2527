// Vorn2MetaDataHandler, the base of the metadata atom handlers of a LUT image
// core. A handler writes one atom family's payload from the core's
// parameters, 3-D LUTs and look file (get), parses a payload back into them
// (set) and returns them to their defaults (reset).
//
// Payloads come from files nobody here wrote: a handler reads no byte
// outside the payload. A set with size 0 means "size unknown": the size
// checks are skipped and the payload is bounded by its fixed layout or its
// own size field; with a non-zero size every offset, length and name read is
// checked against it first ("Illegal size of metadata buffer!", kIllegalValue).
// Failures throw KvrSignal; the core's metadata operations convert them.
#pragma once

#include <cstdint>

#include "kvrColorSpaces.h"

namespace Kalvora {

class Vorn2ImageCore;

class Vorn2MetaDataHandler {
public:
  // The core is referenced and outlives the handler.
  explicit Vorn2MetaDataHandler(Vorn2ImageCore* core);
  virtual ~Vorn2MetaDataHandler();
  Vorn2MetaDataHandler(const Vorn2MetaDataHandler&) = delete;
  Vorn2MetaDataHandler& operator=(const Vorn2MetaDataHandler&) = delete;

  // Writes one complete payload; buffer holds getMetaDataAtomSize() bytes.
  virtual void getMetaData(void* buffer) = 0;
  // Parses a payload of size bytes (0: size unknown) and applies it.
  virtual void setMetaData(void const* buffer, unsigned int size) = 0;
  // Returns the settings the atom covers to their defaults.
  virtual void resetMetaData() = 0;
  virtual unsigned int getMetaDataHeaderSize() = 0;
  // Bytes getMetaData writes; by default the header size.
  virtual unsigned int getMetaDataAtomSize();

protected:
  Vorn2ImageCore& core() const { return core_; }

  // Throws kIllegalValue "Illegal size of metadata buffer!" for a null
  // payload or a known size below minimum.
  static void checkPayload(void const* buffer, unsigned int size, unsigned int minimum);
  [[noreturn]] static void failSize();

  // Big-endian float fields: write the parameters' values, set them with
  // the core's setParam in order (a refused value is reported by setParam
  // and does not stop the others), reset them to their defaults.
  void writeParameters(unsigned char* fields, const unsigned int* ids, int count) const;
  void setParameters(unsigned char const* fields, const unsigned int* ids, int count) const;
  void resetParameters(const unsigned int* ids, int count) const;

  // The 44-byte parameter atoms (look parameters, ASC CDL): version 1 and
  // revision 0 as 16-bit fields, then ten floats for the ten ids. Reading
  // rejects a size of 1..43 and a version of 2 or more
  // (kUnknownMetaDataVersion "Unknown version of metadata!").
  static constexpr unsigned int kParameterAtomSize = 44;
  static constexpr int kParameterAtomCount = 10;
  void writeParameterAtom(void* buffer, const unsigned int* ids) const;
  void readParameterAtom(void const* buffer, unsigned int size, const unsigned int* ids) const;

  // The first registry entry (ids 0..7) whose identifier, main or
  // alternative, from character skip on, the bytes begin with; only the
  // first available bytes are looked at. With whole, the bytes must end
  // there too (a zero byte or the end of the available bytes). Null when
  // none matches.
  const DisplayColorSpace* findColorSpace(unsigned char const* bytes, uint64_t available,
                                          unsigned long skip, bool whole, ColorSpace& id) const;
  // Reads the target colour-space name at nameAt of a header-sized atom and
  // makes it the look file's target when it differs from current. The name
  // ends at the payload size, or at the atom's own header size when the size
  // is unknown (0), and is at most 64 bytes. Throws kIllegalValue for a
  // header that ends before the name, kUnknownColorSpace for an unknown name.
  void adoptTargetName(unsigned char const* bytes, unsigned int size, unsigned int headerSize,
                       unsigned int nameAt, const DisplayColorSpace* current) const;

private:
  Vorn2ImageCore& core_;
};

}  // namespace Kalvora
