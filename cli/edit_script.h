#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class Cut;

// Runs an editing script on the cut as the editor's tools and commands would:
//   { "frame": 1, "entry": K, "pen": {...}, "mask": 0, "ops": [ {"op": "...", ...}, ... ] }
// Every step is checked before the first one runs; a malformed step throws CliError naming
// the script and the step. A refused step changes nothing and the script goes on. Returns
// one JSON line for each pickPen step.
std::vector<std::string> ApplyEditScript(Cut& cut, const nlohmann::json& script,
                                         const std::string& file);
