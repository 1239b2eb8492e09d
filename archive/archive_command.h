#pragma once

#include <string>
#include <string_view>
#include <vector>

// The command line an archive library is handed, e.g. -n1 "C:\films\a.lzh" *.ov
// Tokens are separated by blanks; double quotes group and are removed. A token that starts
// with an unquoted '-' is a switch. The first other token is the archive, the rest are
// member wildcards, except a token ending in a path separator, which names an output folder.
struct ArchiveCommand {
  std::vector<std::string> switches;  // kept as given; memory extraction needs none
  std::string archive;
  std::vector<std::string> wildcards;  // "*" when none is given
  std::string folder;
};

// False when no archive is named.
bool ParseArchiveCommand(std::string_view line, ArchiveCommand& command);

// Splits a wildcard list ("*.ov *.tl", quotes allowed) into its wildcards.
std::vector<std::string> SplitWildcards(std::string_view list);

// Whole-name match of a member name against a wildcard: '*' any run of characters (folder
// separators included), '?' one character, letters compared without case, '/' and '\'
// alike. Names and wildcards are code-page-932 bytes; double-byte characters match only
// themselves. "*.*" matches every name, with or without a dot.
bool MatchWildcard(std::string_view wildcard, std::string_view name);
bool MatchAnyWildcard(const std::vector<std::string>& wildcards, std::string_view name);
