#pragma once

#include <string>

#include <nlohmann/json.hpp>

// Indented JSON in which arrays of plain numbers stay on one line ("[16, 3]").
std::string FormatJson(const nlohmann::ordered_json& j);

// FormatJson and a line end on standard output.
void PrintJson(const nlohmann::ordered_json& j);
