// The sheet as text: CSV for spreadsheets and the XDTS exchange format.
#include <cstdio>

#include "sheet/sheet.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kXdtsLine[] = "exchangeDigitalTimeSheet Save Data";
constexpr char kNullCell[] = "SYMBOL_NULL_CELL";
constexpr int kXdtsVersion = 5;
constexpr int kCellField = 0;

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

void CsvLine(std::string& out, const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += CsvField(fields[i]);
  }
  out += "\r\n";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

void CsvCut(std::string& out, const SheetCut& cut) {
  const Exposure& e = cut.exposure;
  CsvLine(out, {"カット", "名前", "尺", "コマ数", "fps"});
  CsvLine(out, {std::to_string(cut.number), cut.name, SecondsAndFrames(e.ticks, e.fps), std::to_string(e.ticks),
                std::to_string(e.fps)});
  std::vector<std::string> row = {"コマ"};
  row.insert(row.end(), e.layers.begin(), e.layers.end());
  row.push_back("効果");
  row.push_back("メモ");
  CsvLine(out, row);
  std::vector<int32_t> shown(e.layers.size(), 0);
  for (const Showing& s : e.showings) {
    for (int32_t t = 0; t < s.ticks; ++t) {
      row.assign(1, std::to_string(s.start + t + 1));
      for (size_t k = 0; k < e.layers.size(); ++k) {
        const int32_t cell = e.Cell(s, k);
        const bool changes = s.start + t == 0 || (t == 0 && cell != shown[k]);
        row.push_back(changes ? CellText(cell) : std::string());
        shown[k] = cell;
      }
      std::string effect;
      if (t == 0 && s.dissolve) effect = std::string(kDissolveMark) + " " + std::to_string(s.ticks);
      if (e.stops && &s == &e.showings.back()) effect = kStopMark;
      row.push_back(effect);
      row.push_back(t == 0 ? e.comments[size_t(s.frame)] : std::string());
      CsvLine(out, row);
    }
  }
}

// One track's frame entries: where the layer's cell changes, and the closing null cell.
std::string XdtsTrack(const Exposure& e, size_t layer) {
  std::string frames;
  auto entry = [&](int64_t frame, const std::string& value) {
    if (!frames.empty()) frames += ",";
    frames += "\n            {\"frame\": " + std::to_string(frame) + ", \"data\": [{\"id\": 0, \"values\": [" +
              JsonString(value) + "]}]}";
  };
  int32_t shown = 0;
  for (const Showing& s : e.showings) {
    const int32_t cell = e.Cell(s, layer);
    if (s.start == 0 || cell != shown) entry(s.start, cell == Exposure::kEmpty ? kNullCell : std::to_string(cell + 1));
    shown = cell;
  }
  entry(e.ticks, kNullCell);
  return "{\"trackNo\": " + std::to_string(layer) + ", \"frames\": [" + frames + "\n          ]}";
}

std::string XdtsTable(const SheetCut& cut) {
  const Exposure& e = cut.exposure;
  std::string names, tracks;
  for (size_t k = 0; k < e.layers.size(); ++k) {
    names += (k ? ", " : "") + JsonString(e.layers[k]);
    tracks += std::string(k ? "," : "") + "\n          " + XdtsTrack(e, k);
  }
  const std::string field = std::to_string(kCellField);
  return "{\n      \"name\": " + JsonString(cut.name) + ",\n      \"duration\": " + std::to_string(e.ticks) +
         ",\n      \"timeTableHeaders\": [{\"fieldId\": " + field + ", \"names\": [" + names + "]}]" +
         ",\n      \"fields\": [{\n        \"fieldId\": " + field + ",\n        \"tracks\": [" + tracks +
         "\n        ]\n      }]\n    }";
}

}  // namespace

std::string SecondsAndFrames(int64_t ticks, int fps) {
  return std::to_string(ticks / fps) + "+" + std::to_string(ticks % fps);
}

std::string CellText(int32_t cell) { return cell == Exposure::kEmpty ? kEmptyMark : std::to_string(cell + 1); }

std::string SheetCsv(const Sheet& sheet) {
  std::string out = kBom;
  if (!sheet.film.empty()) {
    CsvLine(out, {"フィルム", sheet.film});
    out += "\r\n";
  }
  for (size_t i = 0; i < sheet.cuts.size(); ++i) {
    if (i > 0) out += "\r\n";
    CsvCut(out, sheet.cuts[i]);
  }
  return out;
}

std::string SheetXdts(const Sheet& sheet) {
  // The header names the sheet by its first cut; each cut has its own table.
  const int32_t first = sheet.cuts.empty() ? 1 : sheet.cuts.front().number;
  std::string tables;
  for (size_t i = 0; i < sheet.cuts.size(); ++i) tables += std::string(i ? ", " : "") + XdtsTable(sheet.cuts[i]);
  return std::string(kXdtsLine) + "\n{\n  \"header\": {\"cut\": \"" + std::to_string(first) +
         "\", \"scene\": \"1\"},\n  \"timeTables\": [" + tables + "],\n  \"version\": " + std::to_string(kXdtsVersion) +
         "\n}\n";
}
