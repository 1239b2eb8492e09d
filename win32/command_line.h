#pragma once

#include <string>

// The command line after the program's name, taken whole as one path (blanks around it
// dropped); one pair of quotes around it, as the shell passes paths with spaces, is removed.
std::wstring CommandLinePath();
