#include "cli/json_print.h"

#include <cstdio>

namespace {

bool IsFlat(const nlohmann::ordered_json& a) {
  for (const auto& v : a) {
    if (!v.is_number() && !v.is_boolean() && !v.is_null()) return false;
  }
  return true;
}

void Format(const nlohmann::ordered_json& j, int indent, std::string& out) {
  const std::string pad(size_t(indent + 2), ' ');
  if (j.is_object()) {
    if (j.empty()) {
      out += "{}";
      return;
    }
    out += "{\n";
    bool first = true;
    for (auto it = j.begin(); it != j.end(); ++it) {
      if (!first) out += ",\n";
      first = false;
      out += pad + nlohmann::ordered_json(it.key()).dump() + ": ";
      Format(it.value(), indent + 2, out);
    }
    out += "\n" + std::string(size_t(indent), ' ') + "}";
  } else if (j.is_array()) {
    if (j.empty()) {
      out += "[]";
    } else if (IsFlat(j)) {
      out += "[";
      for (size_t i = 0; i < j.size(); ++i) out += (i ? ", " : "") + j[i].dump();
      out += "]";
    } else {
      out += "[\n";
      for (size_t i = 0; i < j.size(); ++i) {
        if (i) out += ",\n";
        out += pad;
        Format(j[i], indent + 2, out);
      }
      out += "\n" + std::string(size_t(indent), ' ') + "]";
    }
  } else {
    out += j.dump();
  }
}

}  // namespace

std::string FormatJson(const nlohmann::ordered_json& j) {
  std::string out;
  Format(j, 0, out);
  return out;
}

void PrintJson(const nlohmann::ordered_json& j) {
  const std::string text = FormatJson(j) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
}
