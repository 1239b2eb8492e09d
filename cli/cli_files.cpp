#include "cli/cli_files.h"

#include "cli/command_registry.h"
#include "files/cut_file.h"
#include "io/byte_stream.h"
#include "io/safe_save.h"
#include "io/whole_file.h"
#include "model/cut.h"

std::unique_ptr<Cut> LoadCutFile(const std::string& path) {
  auto cut = std::make_unique<Cut>(0, 0, 0, "", AntiAlias::kFull);
  std::string error;
  if (!LoadCut(*cut, path, nullptr, &error)) throw CliError(path, error);
  return cut;
}

void SaveCutFile(Cut& cut, const std::string& path) {
  std::string error;
  if (!SaveCut(cut, path, &error)) throw CliError(path, error);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, &error)) throw CliError(path, error);
  return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  const bool ok = SaveFileSafely(
      path,
      [&](ByteStream& s) { return bytes.empty() || s.Write(bytes.data(), int32_t(bytes.size())) == 1; },
      &error);
  if (!ok) throw CliError(path, error);
}
