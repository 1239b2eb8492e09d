#pragma once

#include <string>

// Cut file paths as a film keeps them. Paths are code-page-932 byte strings: the second byte
// of a double-byte character is never taken for a separator, a dot or a digit.

// `cutPath` relative to the folder of `filmPath`: "../" for each folder of the film below
// the folder both share, then the rest of the cut path, with "/" between folders. `sep` is
// the separator the two paths use. Drive letters are compared without case. Paths that
// share nothing (other drives) give a line that ResolvePath cannot follow back.
std::string RelativePath(const std::string& cutPath, const std::string& filmPath, char sep);

// The full path of a film line: the film's folder, one folder higher for each leading
// "../", then the rest of the line with "/" turned into `sep`. Empty when the film path
// has too few separators to climb that far, or the climb ends on its first character.
std::string ResolvePath(const std::string& relative, const std::string& filmPath, char sep);

// Whether two paths name one file by their text alone: the same bytes, the drive letter in
// either case.
bool SamePathText(const std::string& a, const std::string& b);

// The parts of a path: folder (with the drive and the trailing separator), file name and
// extension (with its dot). Both "\" and "/" separate folders.
struct PathParts {
  std::string folder;
  std::string name;
  std::string extension;
};
PathParts SplitPath(const std::string& path);
// A path's file name with its extension, and without.
std::string FileNameOf(const std::string& path);
std::string BaseNameOf(const std::string& path);

// Whether a file name the user typed names a file in the folder it is given to: not empty,
// not "." or "..", and no control character and none of \ / : * ? " < > | outside the
// double-byte characters.
bool UsableFileName(const std::string& name);

// Gives `path` the next free numbered file name: the digits that end the file name are
// replaced by their value + 1 as at least three digits ("cut012" -> "cut013", "scene" ->
// "scene001"), skipping names that exist. False, with `path` unchanged, when no number up
// to 999 is free.
bool NextNumberedName(std::string& path);
