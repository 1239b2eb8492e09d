#include "editor/chosen_file.h"

#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "files/cut_naming.h"
#include "io/cp932.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"

namespace {

constexpr size_t kQuestionNameBytes = 247;

}  // namespace

ChosenSave SaveToChosenFile(HWND owner, const wchar_t* filters, const wchar_t* extension,
                            const std::string& initial, const FileWriter& write,
                            const wchar_t* failure) {
  const std::wstring chosen =
      AskSavePath(owner, filters, extension, OFN_OVERWRITEPROMPT, Widen(initial));
  if (chosen.empty()) return ChosenSave::kCancelled;
  const std::string path = AnsiText(chosen);
  if (path.empty()) {
    ShowFailure(owner, chosen + L": このパスには保存できません。");
    return ChosenSave::kFailed;
  }
  std::string why;
  bool saved;
  {
    WaitCursor wait;
    saved = write(path, &why);
  }
  if (saved) return ChosenSave::kSaved;
  ShowFailure(owner, chosen + L": " + (why.empty() ? std::wstring(failure) : Widen(why)));
  return ChosenSave::kFailed;
}

std::string ChooseFileToOpen(HWND owner, const wchar_t* filters) {
  const std::wstring chosen = AskOpenPath(owner, filters);
  if (chosen.empty()) return {};
  const std::string path = AnsiPath(chosen);
  if (path.empty()) ShowFailure(owner, chosen + L": このパスは開けません。");
  return path;
}

void ShowFileFailure(HWND owner, const std::string& path, const std::string& why) {
  ShowFailure(owner, Widen(FileNameOf(path)) + L": " + Widen(why));
}

std::string SaveQuestionName(const std::string& path) {
  if (path.empty()) return "untitled.cut";
  return TruncateCp932(FileNameOf(path), kQuestionNameBytes);
}
