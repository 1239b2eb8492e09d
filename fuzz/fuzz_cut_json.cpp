// Arbitrary bytes as the JSON of `orvina cut build`: refused with a message naming the
// place, or a cut whose file, read back and shown as JSON again, builds the same file.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command_registry.h"
#include "cli/cut_json.h"
#include "files/cut_file.h"
#include "fuzz/json_bounds.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"

namespace {

std::vector<uint8_t> FileOf(Cut& cut, bool* ok) {
  BlockStream s;
  *ok = WriteCut(cut, s);
  std::vector<uint8_t> bytes(size_t(s.Length()));
  if (!bytes.empty()) s.CopyTo(bytes.data());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nlohmann::json doc = nlohmann::json::parse(data, data + size, nullptr, false);
  if (doc.is_discarded() || OnlySlowNumbers(doc)) return 0;
  std::unique_ptr<Cut> cut;
  try {
    cut = CutFromJson(doc, "fuzz.json");
  } catch (const CliError&) {
    return 0;
  }
  bool written = false;
  std::vector<uint8_t> file = FileOf(*cut, &written);
  if (!written) return 0;
  MemoryStream in(file.data(), int32_t(file.size()), int32_t(file.size()));
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  if (!ReadCut(back, in, nullptr)) std::abort();
  const nlohmann::json shown = nlohmann::json::parse(CutToJson(back, true).dump());
  std::unique_ptr<Cut> rebuilt = CutFromJson(shown, "shown.json");
  bool again = false;
  if (FileOf(*rebuilt, &again) != file || !again) std::abort();
  return 0;
}
