// Files dropped on a cut window. A picture goes into the current cell as a floating paste,
// cleaned into line art as orvina import cleans it with its defaults; a cut, layer or film
// file is opened as a drop on the main frame opens it.
#include <windows.h>
#include <shellapi.h>

#include "edit/line_art.h"
#include "edit/picture_import.h"
#include "edit/view_geometry.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/editor_tools.h"
#include "editor/wait_cursor.h"
#include "editor/wic_picture.h"
#include "win32/text_convert.h"

void CutWindow::OnDropFiles(HDROP drop) {
  std::wstring path(MAX_PATH, L'\0');
  const UINT n = DragQueryFileW(drop, 0, path.data(), MAX_PATH);
  path.resize(n < MAX_PATH ? n : 0);
  DragFinish(drop);
  if (path.empty()) return;
  SendMessageW(host_.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window_), 0);
  if (IsPictureName(AnsiTextLossy(path))) {
    DropPicture(path);
  } else {
    host_.openFile(AnsiPath(path));
  }
  SetForegroundWindow(host_.frame);
}

void CutWindow::DropPicture(const std::wstring& path) {
  const auto target = TargetOf(*this);
  if (!target) return;
  std::optional<CleanedPicture> cleaned;
  std::string why;
  {
    WaitCursor wait;
    if (auto picture = WicPicture::Open(path, &why)) {
      auto read = [&](const Rect& area, uint16_t* samples) { return picture->Read(area, samples); };
      cleaned = CleanPicture(picture->Width(), picture->Height(), read, CleanupOptions{},
                             target->cell->Width(), target->cell->Height(), &why);
    }
  }
  if (!cleaned) {
    ShowFileFailure(host_.frame, AnsiTextLossy(path), why);
    return;
  }
  // Pasted where the import places it: centred in the cell.
  PasteBuffer& paste = EditorTools().paste;
  paste.pixels = std::move(cleaned->cell);
  paste.source = this;
  paste.canvas = CellToCanvas(Point{cleaned->place.x, cleaned->place.y}, target->offset);
  PasteInto(*this, paste, EditorTools().select);
}
