// Arbitrary bytes as the script of `orvina cut apply`, run on a small generated cut: a
// malformed script is refused before any step runs; one that runs leaves a cut whose file
// reads back and writes again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command_registry.h"
#include "cli/edit_script.h"
#include "files/cut_file.h"
#include "fuzz/json_bounds.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"
#include "tests/anim/cut_generator.h"

namespace {

std::vector<uint8_t> FileOf(Cut& cut) {
  BlockStream s;
  if (!WriteCut(cut, s)) return {};
  std::vector<uint8_t> bytes(size_t(s.Length()));
  s.CopyTo(bytes.data());
  return bytes;
}

// The cut every script starts from, as its file.
const std::vector<uint8_t>& StartFile() {
  static const std::vector<uint8_t> file = [] {
    cutgen::Options o;
    o.layers = 2;
    o.frames = 4;
    return FileOf(*cutgen::MakeCut(7, o));
  }();
  return file;
}

bool Read(std::vector<uint8_t> file, Cut& cut) {
  MemoryStream in(file.data(), int32_t(file.size()), int32_t(file.size()));
  return ReadCut(cut, in, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nlohmann::json script = nlohmann::json::parse(data, data + size, nullptr, false);
  if (script.is_discarded() || OnlySlowNumbers(script)) return 0;
  Cut cut(0, 0, 0, "", AntiAlias::kFull);
  if (!Read(StartFile(), cut)) std::abort();
  try {
    ApplyEditScript(cut, script, "fuzz.json");
  } catch (const CliError&) {
    // Refused before the first step: the cut is untouched.
    if (FileOf(cut) != StartFile()) std::abort();
    return 0;
  }
  const std::vector<uint8_t> file = FileOf(cut);
  if (file.empty()) return 0;
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  if (!Read(file, back) || FileOf(back) != file) std::abort();
  return 0;
}
