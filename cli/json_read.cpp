#include "cli/json_read.h"

#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "cli/text_convert.h"

namespace {

const char* TypeName(const nlohmann::json& v) {
  if (v.is_null()) return "null";
  if (v.is_boolean()) return "a boolean";
  if (v.is_number()) return "a number";
  if (v.is_string()) return "a string";
  if (v.is_array()) return "an array";
  return "an object";
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void JsonReader::Fail(const std::string& place, const std::string& what) const {
  throw CliError(file_, place.empty() ? what : place + ": " + what);
}

const nlohmann::json& JsonReader::Object(const nlohmann::json& v, const std::string& place) const {
  if (!v.is_object()) Fail(place, std::string("expected an object, found ") + TypeName(v));
  return v;
}

const nlohmann::json& JsonReader::Array(const nlohmann::json& v, const std::string& place) const {
  if (!v.is_array()) Fail(place, std::string("expected an array, found ") + TypeName(v));
  return v;
}

const nlohmann::json& JsonReader::Member(const nlohmann::json& obj, const std::string& key,
                                         const std::string& place) const {
  auto it = obj.find(key);
  if (it == obj.end()) Fail(Join(place, key), "missing");
  return *it;
}

const nlohmann::json* JsonReader::Optional(const nlohmann::json& obj, const std::string& key) const {
  auto it = obj.find(key);
  return it == obj.end() ? nullptr : &*it;
}

int64_t JsonReader::Int(const nlohmann::json& v, const std::string& place, int64_t min,
                        int64_t max) const {
  if (!v.is_number_integer()) Fail(place, std::string("expected an integer, found ") + TypeName(v));
  int64_t n;
  if (v.is_number_unsigned()) {
    const uint64_t u = v.get<uint64_t>();
    if (u > uint64_t(INT64_MAX)) Fail(place, "out of range");
    n = int64_t(u);
  } else {
    n = v.get<int64_t>();
  }
  if (n < min || n > max)
    Fail(place, std::to_string(n) + " is outside " + std::to_string(min) + ".." + std::to_string(max));
  return n;
}

bool JsonReader::Bool(const nlohmann::json& v, const std::string& place) const {
  if (!v.is_boolean()) Fail(place, std::string("expected true or false, found ") + TypeName(v));
  return v.get<bool>();
}

std::string JsonReader::Text(const nlohmann::json& v, const std::string& place) const {
  if (v.is_string()) {
    auto bytes = Utf8ToCp932(v.get<std::string>());
    if (!bytes) Fail(place, "text cannot be written in code page 932");
    if (bytes->find('\0') != std::string::npos) Fail(place, "text holds a zero character");
    return *bytes;
  }
  if (v.is_object() && v.size() == 1 && v.contains("hex") && v["hex"].is_string()) {
    const std::string hex = v["hex"].get<std::string>();
    if (hex.size() % 2) Fail(Join(place, "hex"), "odd number of hex digits");
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
      const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
      if (hi < 0 || lo < 0) Fail(Join(place, "hex"), "not a hex digit");
      if (hi == 0 && lo == 0) Fail(Join(place, "hex"), "text holds a zero byte");
      bytes.push_back(char(hi * 16 + lo));
    }
    return bytes;
  }
  Fail(place, std::string("expected a string, found ") + TypeName(v));
}

std::pair<int64_t, int64_t> JsonReader::Pair(const nlohmann::json& v, const std::string& place,
                                             int64_t min, int64_t max) const {
  if (!v.is_array() || v.size() != 2) Fail(place, "expected [a, b]");
  return {Int(v[0], Index(place, 0), min, max), Int(v[1], Index(place, 1), min, max)};
}

int64_t JsonReader::IntOr(const nlohmann::json& obj, const std::string& key, const std::string& place,
                          int64_t min, int64_t max, int64_t fallback) const {
  const nlohmann::json* v = Optional(obj, key);
  return v ? Int(*v, Join(place, key), min, max) : fallback;
}

bool JsonReader::BoolOr(const nlohmann::json& obj, const std::string& key, const std::string& place,
                        bool fallback) const {
  const nlohmann::json* v = Optional(obj, key);
  return v ? Bool(*v, Join(place, key)) : fallback;
}

std::string JsonReader::TextOr(const nlohmann::json& obj, const std::string& key,
                               const std::string& place, const std::string& fallback) const {
  const nlohmann::json* v = Optional(obj, key);
  return v ? Text(*v, Join(place, key)) : fallback;
}

std::pair<int64_t, int64_t> JsonReader::PairOr(const nlohmann::json& obj, const std::string& key,
                                               const std::string& place, int64_t min, int64_t max,
                                               std::pair<int64_t, int64_t> fallback) const {
  const nlohmann::json* v = Optional(obj, key);
  return v ? Pair(*v, Join(place, key), min, max) : fallback;
}

nlohmann::ordered_json TextToJson(const std::string& bytes) {
  if (auto utf8 = Cp932ToUtf8(bytes)) {
    auto back = Utf8ToCp932(*utf8);
    if (back && *back == bytes) return *utf8;
  }
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  nlohmann::ordered_json obj;
  obj["hex"] = hex;
  return obj;
}

nlohmann::json ParseJsonFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  nlohmann::json doc = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
  if (doc.is_discarded()) throw CliError(path, "not valid JSON");
  return doc;
}
