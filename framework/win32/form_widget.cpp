// What only top-level windows do: close, show, move and size reported to the form, focus given
// back on activation, the menu bar and its commands, centring, showing in front, key preview.
#include "form_widget.h"

#include "fw/application.h"
#include "fw/form.h"
#include "fw/menu.h"

namespace fw::win32 {
namespace {

constexpr UINT kFirstMenuId = 1000;

Form* previewingForm(HWND hwnd) {
  auto* form = dynamic_cast<FormWidget*>(widgetOf(GetAncestor(hwnd, GA_ROOT)));
  auto* f = form ? static_cast<Form*>(&form->control()) : nullptr;
  return f && f->keyPreview() ? f : nullptr;
}

}  // namespace

FormWidget::FormWidget(Control& control) : Win32Widget(control, nullptr) {
  createWindow(kFormClass, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT);
}

bool FormWidget::message(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_SHOWWINDOW:
      onShowWindow(wp != FALSE);
      return false;
    case WM_MOVE:
      onMove();
      return false;
    case WM_ACTIVATE: return onActivate(LOWORD(wp), HIWORD(wp) != 0);
    case kGetDpiScaledSize:
      // Asked before WM_DPICHANGED, so that the suggested rectangle is the layout's own size
      // there and not the frame scaled in proportion.
      result = TRUE;
      return onGetDpiScaledSize(static_cast<int>(wp), *reinterpret_cast<SIZE*>(lp));
    case WM_DPICHANGED:
      onDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return true;
    default: return sharedMessage(msg, wp, lp, result);
  }
}

void FormWidget::onClose() { static_cast<Form&>(control_).close(); }

void FormWidget::onShowWindow(bool shown) {
  auto& form = static_cast<Form&>(control_);
  if (shown) {
    form.handleShown();
  } else {
    form.handleHidden();
  }
}

void FormWidget::onMove() { static_cast<Form&>(control_).handleFrameChanged(bounds()); }

void FormWidget::onSize() {
  static_cast<Form&>(control_).handleFrameChanged(bounds());
  Win32Widget::onSize();
}

bool FormWidget::onEraseBackground(HDC dc) {
  fillClient(dc, backgroundBrush());
  return true;
}

// As in a dialog, a window that becomes active gives the focus back to the control that last
// had it, or else to the first control in the tab order.
bool FormWidget::onActivate(WORD state, bool minimized) {
  if (state == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
    return false;
  }
  if (minimized) return false;
  HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd(), lastFocus_)
                    ? lastFocus_
                    : GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) return false;
  SetFocus(target);
  return true;
}

void FormWidget::setMenu(const std::vector<MenuItem*>* items) {
  SetMenu(hwnd(), nullptr);
  menu_.reset();
  menuItems_.clear();
  if (!items) return;
  menu_.reset(CreateMenu());
  for (MenuItem* item : *items) {
    AppendMenuW(menu_.get(), MF_STRING, kFirstMenuId + menuItems_.size(), wide(item->caption()).c_str());
    menuItems_.push_back(item);
  }
  SetMenu(hwnd(), menu_.get());
}

void FormWidget::menuCommand(WORD id) {
  if (id < kFirstMenuId || id - kFirstMenuId >= menuItems_.size()) return;
  menuItems_[id - kFirstMenuId]->click();
}

// The whole screen the window is on, as the layout's poScreenCenter means, not the work area
// that the taskbar leaves.
void FormWidget::centerOnScreen() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  RECT r;
  GetWindowRect(hwnd(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd(), nullptr, screen.left + (screen.right - screen.left - w) / 2,
               screen.top + (screen.bottom - screen.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void showInFront(HWND top) {
  if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(top);
}

bool previewBeforeDialogKeys(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_ESCAPE && msg.wParam != VK_RETURN)) return false;
  return previewingForm(msg.hwnd) != nullptr;
}

bool previewCharacter(const MSG& msg) {
  if (msg.message != WM_CHAR) return false;
  Form* form = previewingForm(msg.hwnd);
  if (!form) return false;
  char key = toCodePage(msg.wParam);
  Application::guard([&] { form->handleKeyPress(key); });
  return key == 0;
}

std::unique_ptr<Win32Widget> makeFormWidget(Control& control) { return std::make_unique<FormWidget>(control); }

}  // namespace fw::win32
