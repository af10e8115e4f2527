// kalvora: generates look LUTs and camera LUTs in the Cube format.
#include <string>
#include <vector>

#include "kvrToolCommands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return Kalvora::Tool::runTool(args);
}
