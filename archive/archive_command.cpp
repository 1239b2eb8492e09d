#include "archive/archive_command.h"

#include "io/cp932.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Token {
  std::string text;
  bool switchToken = false;
};

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    Token token;
    token.switchToken = line[i] == '-';
    bool quoted = false;
    // '"' and blanks are never the second byte of a double-byte character.
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '"') {
        quoted = !quoted;
      } else {
        token.text += line[i];
      }
      ++i;
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

bool EndsWithSeparator(std::string_view text) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); i += Cp932CharLength(text, i)) last = i;
  if (last == std::string_view::npos || Cp932CharLength(text, last) != 1) return false;
  return text[last] == '\\' || text[last] == '/';
}

// One character of a name or wildcard, folded for comparison.
struct Char {
  unsigned code;
  size_t length;
};

Char CharAt(std::string_view text, size_t i) {
  const size_t n = Cp932CharLength(text, i);
  if (n == 2) return {0x10000u | uint8_t(text[i]) << 8 | uint8_t(text[i + 1]), 2};
  unsigned c = uint8_t(text[i]);
  if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
  if (c == '/') c = '\\';
  return {c, 1};
}

}  // namespace

bool ParseArchiveCommand(std::string_view line, ArchiveCommand& command) {
  ArchiveCommand parsed;
  bool haveArchive = false;
  for (Token& token : Tokenize(line)) {
    if (token.switchToken) {
      parsed.switches.push_back(std::move(token.text));
    } else if (!haveArchive) {
      parsed.archive = std::move(token.text);
      haveArchive = true;
    } else if (EndsWithSeparator(token.text)) {
      parsed.folder = std::move(token.text);
    } else if (!token.text.empty()) {
      parsed.wildcards.push_back(std::move(token.text));
    }
  }
  if (parsed.archive.empty()) return false;
  if (parsed.wildcards.empty()) parsed.wildcards.push_back("*");
  command = std::move(parsed);
  return true;
}

std::vector<std::string> SplitWildcards(std::string_view list) {
  std::vector<std::string> wildcards;
  for (Token& token : Tokenize(list)) {
    if (!token.text.empty()) wildcards.push_back(std::move(token.text));
  }
  if (wildcards.empty()) wildcards.push_back("*");
  return wildcards;
}

bool MatchWildcard(std::string_view wildcard, std::string_view name) {
  if (wildcard == "*.*") wildcard = "*";
  size_t w = 0, n = 0;
  // Where the last '*' was seen and the name position it currently stands for.
  size_t starW = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (w < wildcard.size()) {
      const Char wc = CharAt(wildcard, w);
      const Char nc = CharAt(name, n);
      if (wc.code == '*') {
        starW = w + 1;
        starN = n;
        w = starW;
        continue;
      }
      if (wc.code == '?' || wc.code == nc.code) {
        w += wc.length;
        n += nc.length;
        continue;
      }
    }
    if (starW == std::string_view::npos) return false;
    starN += CharAt(name, starN).length;
    n = starN;
    w = starW;
  }
  while (w < wildcard.size() && wildcard[w] == '*') ++w;
  return w == wildcard.size();
}

bool MatchAnyWildcard(const std::vector<std::string>& wildcards, std::string_view name) {
  for (const std::string& wildcard : wildcards) {
    if (MatchWildcard(wildcard, name)) return true;
  }
  return false;
}
