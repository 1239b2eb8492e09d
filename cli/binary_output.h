#pragma once

// Makes standard output and standard error write bytes as they are, so that the output is
// the same on every system (no CR LF translation).
void UseBinaryOutput();
