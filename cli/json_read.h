#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

// Checked reading of JSON input: every failure throws CliError(file, "place: what"), where
// place is the path of the value, such as frames[2].entries[0].layer.
class JsonReader {
 public:
  explicit JsonReader(std::string file) : file_(std::move(file)) {}

  [[noreturn]] void Fail(const std::string& place, const std::string& what) const;

  static std::string Join(const std::string& place, const std::string& key) {
    return place.empty() ? key : place + "." + key;
  }
  static std::string Index(const std::string& place, size_t i) {
    return place + "[" + std::to_string(i) + "]";
  }

  const nlohmann::json& Object(const nlohmann::json& v, const std::string& place) const;
  const nlohmann::json& Array(const nlohmann::json& v, const std::string& place) const;
  // A member that must be present.
  const nlohmann::json& Member(const nlohmann::json& obj, const std::string& key,
                               const std::string& place) const;
  // Null when the member is absent.
  const nlohmann::json* Optional(const nlohmann::json& obj, const std::string& key) const;

  int64_t Int(const nlohmann::json& v, const std::string& place, int64_t min, int64_t max) const;
  bool Bool(const nlohmann::json& v, const std::string& place) const;
  // A document string: a JSON string (UTF-8, stored as code page 932) or {"hex": "…"}.
  std::string Text(const nlohmann::json& v, const std::string& place) const;
  // [a, b] with each in min..max.
  std::pair<int64_t, int64_t> Pair(const nlohmann::json& v, const std::string& place, int64_t min,
                                   int64_t max) const;

  // Members with defaults.
  int64_t IntOr(const nlohmann::json& obj, const std::string& key, const std::string& place,
                int64_t min, int64_t max, int64_t fallback) const;
  bool BoolOr(const nlohmann::json& obj, const std::string& key, const std::string& place,
              bool fallback) const;
  std::string TextOr(const nlohmann::json& obj, const std::string& key, const std::string& place,
                     const std::string& fallback) const;
  std::pair<int64_t, int64_t> PairOr(const nlohmann::json& obj, const std::string& key,
                                     const std::string& place, int64_t min, int64_t max,
                                     std::pair<int64_t, int64_t> fallback) const;

  const std::string& File() const { return file_; }

 private:
  std::string file_;
};

// A document string for JSON output: a string when it converts from code page 932 and
// back unchanged, else {"hex": "…"} with its bytes.
nlohmann::ordered_json TextToJson(const std::string& bytes);

// Parses a whole JSON file; a syntax error names the file.
nlohmann::json ParseJsonFile(const std::string& path);
