#include "tests/win32/player/player_session.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kPlayerClass[] = L"NimPlayerWnd";
constexpr int kPlay = 40007, kStep = 40008;

std::string SetupSection(const std::string& lines) { return lines.empty() ? lines : "[setup]\r\n" + lines; }

}  // namespace

PlayerSession::PlayerSession(const std::wstring& player, const std::wstring& folder, const std::string& setupLines)
    : ProgramSession(player, folder, SetupSection(setupLines)) {}

bool PlayerSession::Start(const std::wstring& arguments) {
  if (!ProgramSession::Start(arguments, kPlayerClass)) return false;
  toolbar_ = FindWindowExW(window_, nullptr, TOOLBARCLASSNAMEW, nullptr);
  status_ = FindWindowExW(window_, nullptr, STATUSCLASSNAMEW, nullptr);
  return toolbar_ && status_;
}

bool PlayerSession::PlayPressed() const { return SendMessageW(toolbar_, TB_ISBUTTONCHECKED, kPlay, 0) != 0; }
bool PlayerSession::StepPressed() const { return SendMessageW(toolbar_, TB_ISBUTTONCHECKED, kStep, 0) != 0; }

RECT PlayerSession::ViewArea() const {
  RECT client{}, bar{};
  GetClientRect(window_, &client);
  GetWindowRect(toolbar_, &bar);
  const int top = bar.bottom - bar.top;
  GetWindowRect(status_, &bar);
  const int bottom = client.bottom - (bar.bottom - bar.top);
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  return RECT{origin.x, origin.y + top, origin.x + client.right, origin.y + bottom};
}

uint32_t PlayerSession::CentreColour() const {
  const RECT v = ViewArea();
  const int x = (v.left + v.right) / 2, y = (v.top + v.bottom) / 2;
  return CaptureScreen(RECT{x, y, x + 1, y + 1}).px[0];
}
