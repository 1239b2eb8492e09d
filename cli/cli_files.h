#pragma once

#include <memory>
#include <string>
#include <vector>

class Cut;

// Loading and saving for the commands; failures throw CliError naming the file.
std::unique_ptr<Cut> LoadCutFile(const std::string& path);
void SaveCutFile(Cut& cut, const std::string& path);
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// Written through a temporary file; the old file is kept on failure.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
