#pragma once

#include <windows.h>

// Dialog 108 "コマ送り速度": the step factor of step mode, 2-10, on an up-down control.
class StepSpeedDialog {
 public:
  explicit StepSpeedDialog(int slow) : slow_(slow) {}
  // True on OK; Slow() is then the chosen value.
  bool Run(HINSTANCE instance, HWND owner);
  int Slow() const { return slow_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void Load(HWND dialog);
  void Store(HWND dialog);

  int slow_;
};
