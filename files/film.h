#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/film_text.h"
#include "model/cursor_list.h"

class Cut;

// One cut of a film: the cut file's full path and, while the cut is open, its document.
// Several items may name the same path.
struct FilmItem {
  Cut* cut = nullptr;
  std::string path;
  // The linked document while it is open under this item's path; null otherwise (a window
  // whose cut was saved under another name no longer stands for the item).
  Cut* Document() const;
};

// What Extract did with one selected cut.
struct ExtractedCut {
  std::string line;    // the new film's line
  std::string source;  // the cut file copied
  std::string target;  // the copy beside the new film
  bool copied = false;
  std::string problem;   // why the copy was not made
  std::string conflict;  // the file the copy would have replaced, when that was the reason
};

// The ordered list of cut files that makes one animation, with title, author and output
// size. The film file lists the cuts relative to its own folder (see film_text.h); `sep` is
// the separator of the paths the film holds (the editor's is "\").
class Film {
 public:
  Film() = default;
  ~Film();
  Film(const Film&) = delete;
  Film& operator=(const Film&) = delete;

  CursorList<FilmItem>& Items() { return items_; }
  int32_t Count() const { return items_.Count(); }
  FilmItem* ItemAt(int32_t index) { return items_.At(index); }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetSize(int32_t width, int32_t height) { width_ = width, height_ = height; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Author() const { return author_; }
  void SetAuthor(std::string author) { author_ = std::move(author); }
  const std::string& Path() const { return path_; }
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // A new item for `cut` after (AddCut) or before (InsertCut) item `index`; it becomes
  // current. An invalid index adds after the last item, or inserts before the current one.
  // Refused for a cut without a path.
  bool AddCut(Cut* cut, int32_t index);
  bool InsertCut(Cut* cut, int32_t index);
  // Removes the item; the cut and its file are untouched.
  bool RemoveCut(int32_t index);
  // The item's path, or empty for an invalid index.
  std::string PathAt(int32_t index);
  // Item `index` and every item with the same old path get `newPath`.
  bool RenamePath(int32_t index, const std::string& newPath);
  // Links every item with the cut's path to it (the cut was opened).
  void AttachCut(Cut* cut);
  // Unlinks every item from the cut (its window closed).
  void DetachCut(const Cut* cut);
  // The first item linked to the cut, or -1.
  int32_t IndexOfCut(const Cut* cut);
  // Item `index`'s Document(), or null.
  Cut* DocumentAt(int32_t index);
  // Removes every item; empties title, author and path.
  void Clear();

  // Writes the film file; on success the film takes the path and is unmodified. On
  // failure the old file and the film are as they were, and `error` says why (naming the
  // cut whose path cannot be stored).
  bool Save(const std::string& path, char sep, std::string* error = nullptr);
  bool SaveToOwnPath(char sep, std::string* error = nullptr);
  // Reads a film file, resolving its lines against `path`. A file that cannot be read
  // leaves the film as it was.
  bool Load(const std::string& path, char sep, std::string* error = nullptr);

  // The film file's text with the cut lines relative to the folder of `base`. Refused, with
  // `error` naming the cut, when a line would not lead back to its cut file.
  bool ToText(const std::string& base, char sep, FilmText* text, std::string* error = nullptr);
  // Replaces the items, title, author and size by those of `text`, its lines resolved
  // against `base`, and takes `path` as the film's path; the film is then unmodified.
  void Take(FilmText text, const std::string& base, const std::string& path, char sep);

  // Writes a new film file with this film's title, author and size and one line per
  // selected item (indices, in the order given), and copies each selected cut file beside it
  // under its name with the extension "cut". A copy is skipped, keeping its line, when its
  // source cannot be read, when it would land on its own source or on another cut file of
  // this film, or when the target cannot be written; `cuts` tells what happened to each.
  // False when an index is invalid or the film file cannot be written (then nothing is
  // copied); the new film never replaces this film's file or one of its cut files. This
  // film does not change.
  bool Extract(const std::string& newFilmPath, const std::vector<int32_t>& selected,
               std::vector<ExtractedCut>* cuts, std::string* error = nullptr);

 private:
  void InsertItem(Cut* cut, int32_t index, bool after);
  void DeleteItems();

  CursorList<FilmItem> items_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::string title_;
  std::string author_;
  std::string path_;
  bool modified_ = false;
};
