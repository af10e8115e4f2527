// A host that only includes the umbrella header of the installed package.
#include <kvrAll.h>

#include <cstdio>

int main() {
  Kalvora::PowerFunc gamma(1.0 / 2.4);
  unsigned short table[256];
  gamma.getTable(256, table, 1023);
  std::printf("installed package: code of 1.0 is %u\n", table[255]);
  return table[255] == 1023 ? 0 : 1;
}
