#include "cli/binary_output.h"

// Standard output writes bytes as they are here already.
void UseBinaryOutput() {}
