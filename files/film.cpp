#include "files/film.h"

#include "files/cut_naming.h"
#include "files/film_text.h"
#include "io/byte_stream.h"
#include "io/failure.h"
#include "io/file_system.h"
#include "io/safe_save.h"
#include "io/whole_file.h"
#include "model/cut.h"

namespace {

// Two paths that lead to one file: the same bytes, or the same file on disk.
bool SamePlace(const std::string& a, const std::string& b) { return a == b || SameFile(a, b); }

// Copies `source` to `target` through a temporary file beside the target.
bool CopyFileSafely(const std::string& source, const std::string& target, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadWholeFile(source, bytes, &why))
    return Fail(error, why == kCannotOpenFile ? "cannot open the cut file" : "cannot read the cut file");
  return SaveFileSafely(
      target,
      [&](ByteStream& out) { return bytes.empty() || out.Write(bytes.data(), int32_t(bytes.size())) == 1; },
      error);
}

}  // namespace

Film::~Film() { DeleteItems(); }

void Film::DeleteItems() {
  items_.ForEach([](FilmItem* item) { delete item; });
  items_.Clear();
}

void Film::InsertItem(Cut* cut, int32_t index, bool after) {
  FilmItem* item = new FilmItem{cut, cut->Path()};
  if (after) {
    if (!items_.GoTo(index)) items_.Last();
    items_.InsertAfterCurrent(item);
  } else {
    items_.GoTo(index);  // an invalid index leaves the cursor where it is
    items_.InsertBeforeCurrent(item);
  }
  modified_ = true;
}

bool Film::AddCut(Cut* cut, int32_t index) {
  if (!cut || cut->Path().empty()) return false;
  InsertItem(cut, index, true);
  return true;
}

bool Film::InsertCut(Cut* cut, int32_t index) {
  if (!cut || cut->Path().empty()) return false;
  InsertItem(cut, index, false);
  return true;
}

bool Film::RemoveCut(int32_t index) {
  if (!items_.GoTo(index)) return false;
  delete items_.CurrentItem();
  items_.RemoveCurrent();
  modified_ = true;
  return true;
}

std::string Film::PathAt(int32_t index) {
  FilmItem* item = items_.At(index);
  return item ? item->path : std::string();
}

bool Film::RenamePath(int32_t index, const std::string& newPath) {
  FilmItem* renamed = items_.At(index);
  if (!renamed) return false;
  const std::string oldPath = renamed->path;
  items_.ForEach([&](FilmItem* item) {
    if (item != renamed && item->path == oldPath) item->path = newPath;
  });
  renamed->path = newPath;
  modified_ = true;
  return true;
}

void Film::AttachCut(Cut* cut) {
  if (!cut) return;
  items_.ForEach([&](FilmItem* item) {
    if (item->path == cut->Path()) item->cut = cut;
  });
}

void Film::DetachCut(const Cut* cut) {
  if (!cut) return;
  items_.ForEach([&](FilmItem* item) {
    if (item->cut == cut) item->cut = nullptr;
  });
}

Cut* FilmItem::Document() const { return cut && cut->Path() == path ? cut : nullptr; }

Cut* Film::DocumentAt(int32_t index) {
  FilmItem* item = items_.At(index);
  return item ? item->Document() : nullptr;
}

int32_t Film::IndexOfCut(const Cut* cut) {
  if (!cut) return -1;
  int32_t index = 0, found = -1;
  items_.ForEach([&](FilmItem* item) {
    if (found < 0 && item->cut == cut) found = index;
    ++index;
  });
  return found;
}

void Film::Clear() {
  DeleteItems();
  title_.clear();
  author_.clear();
  path_.clear();
  modified_ = false;
}

bool Film::ToText(const std::string& base, char sep, FilmText* out, std::string* error) {
  FilmText text{title_, author_, width_, height_, {}};
  int32_t index = 0;
  std::string why;
  items_.ForEach([&](FilmItem* item) {
    ++index;
    if (!why.empty()) return;
    const std::string cut = "cut " + std::to_string(index) + " (" + item->path + "): ";
    if (item->path.empty()) {
      why = "cut " + std::to_string(index) + " has no file name";
      return;
    }
    std::string line = RelativePath(item->path, base, sep);
    const std::string back = ResolvePath(line, base, sep);
    if (line.empty()) {
      why = cut + "its film line is empty";
    } else if (auto bad = CheckFilmLine(line)) {
      why = cut + "its film line " + *bad;
    } else if (!SamePathText(back, item->path) && !SameFile(back, item->path)) {
      // Another drive, or a path the film's folder cannot reach: the line would read back
      // as another file or none, and the cut would drop out of the film.
      why = cut + "it cannot be reached from the film's folder";
    }
    text.lines.push_back(std::move(line));
  });
  if (!why.empty()) return Fail(error, why);
  *out = std::move(text);
  return true;
}

void Film::Take(FilmText text, const std::string& base, const std::string& path, char sep) {
  Clear();
  title_ = std::move(text.title);
  author_ = std::move(text.author);
  width_ = text.width;
  height_ = text.height;
  for (const std::string& line : text.lines) {
    items_.Last();
    items_.InsertAfterCurrent(new FilmItem{nullptr, ResolvePath(line, base, sep)});
  }
  path_ = path;
}

bool Film::Save(const std::string& path, char sep, std::string* error) {
  FilmText text;
  if (!ToText(path, sep, &text, error)) return false;
  if (!WriteFilmFile(path, text, error)) return false;
  path_ = path;
  modified_ = false;
  return true;
}

bool Film::SaveToOwnPath(char sep, std::string* error) {
  if (path_.empty()) return Fail(error, "the film has no file name");
  return Save(path_, sep, error);
}

bool Film::Load(const std::string& path, char sep, std::string* error) {
  FilmText text;
  if (!ReadFilmFile(path, &text, error)) return false;
  Take(std::move(text), path, path, sep);
  modified_ = false;
  return true;
}

bool Film::Extract(const std::string& newFilmPath, const std::vector<int32_t>& selected,
                   std::vector<ExtractedCut>* cuts, std::string* error) {
  std::vector<std::string> allPaths;
  items_.ForEach([&](FilmItem* item) { allPaths.push_back(item->path); });
  if (!path_.empty() && SamePlace(newFilmPath, path_))
    return Fail(error, "the new film would replace this film's own file");
  for (size_t i = 0; i < allPaths.size(); ++i) {
    if (!allPaths[i].empty() && SamePlace(newFilmPath, allPaths[i]))
      return Fail(error, "the new film would replace the file of cut " + std::to_string(i + 1));
  }

  const std::string folder = SplitPath(newFilmPath).folder;
  FilmText text{title_, author_, width_, height_, {}};
  std::vector<ExtractedCut> done;
  for (const int32_t index : selected) {
    if (index < 0 || index >= int32_t(allPaths.size()))
      return Fail(error, "no cut " + std::to_string(index + 1) + " in the film");
    ExtractedCut e;
    e.source = allPaths[size_t(index)];
    e.line = SplitPath(e.source).name + ".cut";
    e.target = folder + e.line;
    text.lines.push_back(e.line);
    done.push_back(std::move(e));
  }
  if (!WriteFilmFile(newFilmPath, text, error)) return false;

  for (size_t i = 0; i < done.size(); ++i) {
    ExtractedCut& e = done[i];
    if (SamePlace(e.source, e.target)) {
      e.problem = "source and target are the same file";
      continue;
    }
    for (const std::string& other : allPaths) {
      if (e.problem.empty() && SamePlace(e.target, other) && !SamePlace(e.source, other)) {
        e.problem = "the copy would replace another cut file of the film";
        e.conflict = other;
      }
    }
    for (size_t j = 0; j < i && e.problem.empty(); ++j) {
      if (done[j].copied && SamePlace(e.target, done[j].target)) {
        e.problem = SamePlace(e.source, done[j].source) ? "copied already for an earlier line"
                                                         : "a cut of the same name was copied already";
        e.conflict = done[j].source;
      }
    }
    if (e.problem.empty() && SamePlace(e.target, newFilmPath)) {
      e.problem = "the copy would replace the new film file";
      e.conflict = newFilmPath;
    }
    if (!e.problem.empty()) continue;
    std::string why;
    e.copied = CopyFileSafely(e.source, e.target, &why);
    if (!e.copied) e.problem = why;
  }
  if (cuts) *cuts = std::move(done);
  return true;
}
