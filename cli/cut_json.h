#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

class Cut;

// The JSON form of a cut. Without cells, each layer shows "cellCount" in place of "cells".
nlohmann::ordered_json CutToJson(Cut& cut, bool withCells);

// Builds a cut from its JSON form; errors throw CliError naming `file` and the place.
std::unique_ptr<Cut> CutFromJson(const nlohmann::json& doc, const std::string& file);
