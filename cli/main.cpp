#include "cli/binary_output.h"
#include "cli/command_registry.h"

int main(int argc, char** argv) {
  UseBinaryOutput();
  return RunCommandLine(argc, argv);
}
