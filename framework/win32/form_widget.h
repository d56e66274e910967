// A top-level window: what only forms do. Messages and focus in form_widget.cpp; the density
// (WM_GETDPISCALEDSIZE, WM_DPICHANGED, icons at a density) in form_density.cpp.
#pragma once

#include <vector>

#include "widget.h"

namespace fw::win32 {

class FormWidget final : public Win32Widget, public FormPeer {
 public:
  explicit FormWidget(Control& control);
  ~FormWidget() override { SetMenu(hwnd(), nullptr); }

  void setVisible(bool visible) override { ShowWindow(hwnd(), visible ? SW_SHOW : SW_HIDE); }
  // FormPeer
  void setMenu(const std::vector<MenuItem*>* items) override;
  void setDpi(int dpi) override { dpi_ = dpi; }
  int windowDpi() const override;
  void setIcon(const std::string& resource) override;
  void centerOnScreen() override;

  bool message(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) override;

 private:
  // Shared messages a form handles its own way.
  void onClose() override;
  void onSize() override;
  bool onEraseBackground(HDC dc) override;
  void menuCommand(WORD id) override;
  void childWindowReplaced(HWND old, HWND now) override {
    if (lastFocus_ == old) lastFocus_ = now;
  }
  void onShowWindow(bool shown);
  void onMove();
  // A window that becomes active gives the focus back; true when it set the focus.
  bool onActivate(WORD state, bool minimized);
  // form_density.cpp: the window moved to a screen of another density.
  void onDpiChanged(int dpi, const RECT& suggested);
  // form_density.cpp: the frame size the window wants at a density; false leaves the
  // proportional size to Windows.
  bool onGetDpiScaledSize(int dpi, SIZE& frame) const;

  UniqueMenu menu_;
  std::vector<MenuItem*> menuItems_;
  UniqueIcon bigIcon_, smallIcon_;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window went inactive
  int dpi_ = 96;              // the density the window is laid out at
};

}  // namespace fw::win32
