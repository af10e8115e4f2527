// A minimal host: builds a display curve from the library's function
// objects and samples it into a 10-bit table, as a monitoring host would.
#include <kvrAll.h>

#include <cstdio>

int main() {
  using namespace Kalvora;
  PowerFunc displayGamma(1.0 / 2.4);
  LutFuncCdl lift(1.0, 0.02, 1.0);
  LutComposite curve(displayGamma, lift);  // lift first, then the gamma

  unsigned short table[1024];
  curve.getTable(1024, table, 1023);
  for (int i = 0; i < 1024; i += 128) std::printf("%5d %5u\n", i, table[i]);
  std::printf("%5d %5u\n", 1023, table[1023]);
  return 0;
}
