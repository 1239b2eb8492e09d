#include "editor/animation_preview.h"

#include <cwchar>

#include "io/block_stream.h"

bool AnimationPreview::Create(HINSTANCE instance, HWND owner) {
  return window_.CreateHidden(instance, owner, L"") != nullptr;
}

bool AnimationPreview::Play(const BlockStream& compiled) {
  window_.Stop();
  if (compiled.Length() <= 0) return false;
  bytes_.assign(size_t(compiled.Length()), 0);
  compiled.CopyTo(bytes_.data());
  stream_.Attach(bytes_.data(), int32_t(bytes_.size()), int32_t(bytes_.size()));
  wchar_t caption[64];
  swprintf(caption, 64, L"%d byte", int(bytes_.size()));
  SetWindowTextW(window_.Window(), caption);
  return window_.Open(stream_);
}

void AnimationPreview::StopAndHide() {
  window_.Stop();
  if (window_.Window()) ShowWindow(window_.Window(), SW_HIDE);
}
