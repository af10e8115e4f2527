// Writes the seed corpus of kvrMetaDataFuzz: payloads written by getMetaData
// of LUT generator cores with a few different looks, each prefixed by the
// byte that chooses its key. Build against the library and run from fuzz/:
//   g++ -std=c++17 -I../include makeMetaDataSeeds.cpp -L../build -lkalvora -o /tmp/seeds
//   LD_LIBRARY_PATH=../build /tmp/seeds corpus/kvrMetaDataFuzz
#include <cstdio>
#include <string>
#include <vector>

#include "kvrLutGeneratorImageCore.h"
#include "kvrMetaDataFuzzKeys.h"

using namespace Kalvora;

namespace {

void write(const std::string& path, unsigned int choice, const std::vector<unsigned char>& atom) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  const unsigned char first = static_cast<unsigned char>(choice);
  std::fwrite(&first, 1, 1, f);
  std::fwrite(atom.data(), 1, atom.size(), f);
  std::fclose(f);
}

void writeAll(LutGeneratorImageCore& core, const std::string& dir, const std::string& look,
              bool withLuts) {
  for (unsigned int i = 0; i < KalvoraFuzz::kKeyCount; ++i) {
    const std::string key = KalvoraFuzz::kMetaDataKeys[i];
    const bool fullLut = key.find("lut3d") != std::string::npos &&
                         key.find("vornraw") == std::string::npos &&
                         key.find("with_cdl") == std::string::npos;
    if (fullLut && !withLuts) continue;
    if (fullLut && key.find("master") != std::string::npos) continue;  // as the plain key
    unsigned int size = 0;
    if (core.getMetaDataSize(key.c_str(), size) != kNoError || size == 0) continue;
    std::vector<unsigned char> atom(size);
    if (core.getMetaData(key.c_str(), atom.data()) != kNoError) continue;
    // The CDL LUT atom applies only its header: keep the seed small.
    if (key.find("with_cdl") != std::string::npos) atom.resize(atom.size() - 215624);
    std::string name = key.substr(key.find('.', 4) + 1);  // without "com.<vendor>."
    for (char& c : name)
      if (c == '.') c = '_';
    write(dir + "/" + look + "_" + name, i, atom);
    if (key == vornraw_lut3d_atom_key)
      write(dir + "/" + look + "_read_target", KalvoraFuzz::kReadTargetColorSpace,
            std::vector<unsigned char>(atom.begin(), atom.begin() + 192));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const std::string dir = argv[1];
  LutGeneratorImageCore plain;
  writeAll(plain, dir, "default", false);

  LutGeneratorImageCore graded;
  static std::vector<unsigned short> lut(3 * 2 * 2 * 2);
  for (size_t i = 0; i < lut.size(); ++i) lut[i] = static_cast<unsigned short>(i * 9000);
  graded.setUser3dLut(10, 2, lut.data(), kLutInterleaved, 65535);
  graded.setParam(3001, 0.125);
  graded.setParam(5051, 1.25);
  graded.getLookFile()->setLutFileName(reinterpret_cast<const unsigned char*>("grade.cube"), 10);
  graded.getLookFile()->setLookNote(reinterpret_cast<const unsigned char*>("dusk"), 4);
  static const unsigned char design[] = {1, 2, 3, 4, 5, 6, 7};
  graded.setUserLutDesignData(design, sizeof design);
  graded.setUserLutDesignDataKey(reinterpret_cast<const unsigned char*>("grade"), 5);
  graded.getLookFile()->setTargetColorSpace(P3D65Gamma26);
  writeAll(graded, dir, "graded_p3", true);
  return 0;
}
