// The base of every native window the framework makes: what all kinds share (text, bounds,
// fonts, colours, hints, scroll bars, caret), the one switch of the messages all kinds may get,
// and the typed handlers by which a kind's class in *_widget.cpp changes its behaviour.
// Messages enter in widgets.cpp; the input handlers are in input.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "accessible.h"
#include "fw/backend.h"
#include "fw/control.h"
#include "fw/win32/handles.h"
#include "internal.h"

namespace fw::win32 {

class Win32Widget : public WidgetPeer {
 public:
  ~Win32Widget() override;

  HWND hwnd() const { return hwnd_.get(); }
  Control& control() const { return control_; }

  // WidgetPeer
  void setName(const std::string& name) override;
  void setText(const std::string& text) override;
  std::string text() const override { return narrow(windowText()); }
  void setBounds(const Rect& r) override;
  Rect bounds() const override;
  Size clientSize() const override;
  void setClientSize(Size s) override;
  void setVisible(bool visible) override { ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE); }
  bool visible() const override { return IsWindowVisible(hwnd()) != FALSE; }
  void setEnabled(bool enabled) override { EnableWindow(hwnd(), enabled); }
  void setFont(const Font& font) override;
  void setColor(std::uint32_t color) override;
  void setHint(const std::string& hint, bool show) override;
  Size measureText(const std::string& text) const override;
  void bringToFront() override { showInFront(GetAncestor(hwnd(), GA_ROOT)); }
  void setFocus() override { SetFocus(hwnd()); }
  void invalidate() override { InvalidateRect(hwnd(), nullptr, TRUE); }
  void invalidateRect(const Rect& r) override;
  void update() override { UpdateWindow(hwnd()); }
  void setCursor(int cursor) override { cursor_ = cursor; }
  bool focused() const override { return GetFocus() == hwnd(); }
  void setCapture(bool capture) override;
  void paintNow(const std::function<void(Canvas&)>& draw) override;
  void showScrollBar(ScrollBar bar, bool show) override { ShowScrollBar(hwnd(), barCode(bar), show); }
  void setScrollRange(ScrollBar bar, int max, int position) override;
  void setScrollPosition(ScrollBar bar, int position) override;
  ScrollInfo scrollInfo(ScrollBar bar) const override;
  void createCaret(Size size) override { CreateCaret(hwnd(), nullptr, size.width, size.height); }
  void destroyCaret() override { DestroyCaret(); }
  void showCaret(bool show) override { show ? ShowCaret(hwnd()) : HideCaret(hwnd()); }
  void setCaretPos(Point p) override { SetCaretPos(p.x, p.y); }
  void accessibleEvent(unsigned event, int element) override { raiseAccessibleEvent(hwnd(), event, element); }
  void announce(const std::string& text, int element) override;
  IAccessible* accessibleRoot() { return win32::accessibleRoot(hwnd(), control_, accessible_); }

  // Every message of this widget's window once the window is made, as widgets.cpp hands it on.
  // A kind with messages of its own overrides this with one switch whose default is
  // sharedMessage. True when handled, with the result; otherwise the system handles it, with
  // wp as the handler left it (a key or a character may be rewritten).
  virtual bool message(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) { return sharedMessage(msg, wp, lp, result); }
  // The brush of the background this window paints: its colour's.
  HBRUSH backgroundBrush() const;

 protected:
  Win32Widget(Control& control, Win32Widget* parent) : control_(control), parent_(parent) {}
  // Made by the kind's constructor. A child gets WS_CHILD, WS_VISIBLE and WS_CLIPSIBLINGS
  // besides `style`; a child of a system class also the subclass that brings its messages here
  // (the framework's own classes bring them through their window procedure).
  void createChild(const wchar_t* windowClass, DWORD style, DWORD exStyle = 0);
  void createWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, int x, int y);

  // The one switch of the messages every kind may get: each case unpacks wp and lp once and
  // calls a typed handler below. widget.cpp.
  bool sharedMessage(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result);
  // The system's handling of a message, for a handler that needs its answer first.
  LRESULT systemMessage(UINT msg, WPARAM wp, LPARAM lp);

  // Typed handlers of the shared messages. A kind that handles one differently overrides the
  // handler, never adds a case for the message. Input in input.cpp; true where a handler
  // returns bool: the message was taken and goes no further.
  virtual bool onKeyDown(int& key);
  bool onChar(WPARAM& unit);
  void onMouseDown(MouseButton button, ShiftState shift, Point at);
  virtual void onMouseUp(MouseButton button, Point at);
  void onMouseMove(ShiftState shift, Point at);
  bool onMouseWheel(int delta, ShiftState shift, Point screen);
  void onScroll(ScrollBar bar, int code, WORD carried);
  void onSetFocus();
  void onKillFocus(HWND next);
  // The dialog manager asks which keys the control keeps from it; `standard` is the window
  // class's own answer, `message` the key message in question (null when none).
  LRESULT onGetDlgCode(LRESULT standard, const MSG* message) const;
  // widget.cpp.
  void onCommand(WORD code, WORD id, HWND child);
  HBRUSH onCtlColor(UINT msg, HDC dc, HWND child);
  // Controls live as long as their component: a close request never destroys their window.
  virtual void onClose() {}
  bool onContextMenu(HWND window, Point screen);
  virtual void onSize() { control_.handleResize(); }
  bool onSetCursor(HWND window, UINT hitTest);
  // True when the background was erased (or needs no erasing); false leaves it to the system.
  virtual bool onEraseBackground(HDC /*dc*/) { return false; }

  // Controls that handle the keyboard themselves: the custom ones and edits.
  virtual bool takesKeys() const { return false; }
  // A notification from this control's window to its parent (WM_COMMAND's code).
  virtual void notified(WORD /*code*/) {}
  // The colours a child asks its parent for before it paints; null leaves them to the system.
  virtual HBRUSH paintColors(UINT msg, HDC dc);
  // Group boxes paint no background of their own: they show their parent's.
  virtual bool showsParentBackground() const { return false; }
  // The dialog manager gives Return to the focused control (custom controls).
  virtual bool keepsReturn() const { return false; }
  // Forms: a child's window was replaced by a new one (focus memory).
  virtual void childWindowReplaced(HWND /*old*/, HWND /*now*/) {}
  // WM_COMMAND from a menu (forms).
  virtual void menuCommand(WORD /*id*/) {}
  // Fills the client area with a brush: an erased background.
  void fillClient(HDC dc, HBRUSH brush) const;

  std::wstring windowText() const;
  Win32Widget& formWidget();
  const Win32Widget& backgroundOwner() const;
  // Tooltips know a control by its window: registered by hint, moved when the window is.
  void removeHintTool();
  void addHintTool();
  // Puts `created` in the place of this widget's window, keeping what the framework and other
  // programs know it by (edits re-created with another style), shown when `visible`.
  void replaceWindow(UniqueWindow created, bool visible);
  static int barCode(ScrollBar bar) { return bar == ScrollBar::Horizontal ? SB_HORZ : SB_VERT; }

  Control& control_;
  Win32Widget* parent_;
  UniqueWindow hwnd_;
  GdiObject<HFONT> hfont_;
  GdiObject<HBRUSH> background_;
  Font font_;
  Color color_ = clBtnFace;
  bool recreating_ = false;  // the window is being replaced: its messages are no events

 private:
  int scrollMessagePosition(ScrollBar bar, int code, WORD carried) const;

  TOOLINFOW hintTool(const Win32Widget& form) const;
  HWND tooltip();

  UniqueWindow tooltip_;  // forms: the tooltips of their controls' hints
  std::wstring hint_;
  bool showHint_ = false;
  int cursor_ = 0;
  AccessibleServerPtr accessible_;  // made on a client's first request
};

// One class per kind, each in its own file; the factory in widgets.cpp picks by kind.
std::unique_ptr<Win32Widget> makeFormWidget(Control& control);                                // form_widget.cpp
std::unique_ptr<Win32Widget> makeEditWidget(Control& control, Win32Widget* parent, const WidgetStyle& style);  // edit_widget.cpp
std::unique_ptr<Win32Widget> makeStatusBarWidget(Control& control, Win32Widget* parent);     // status_bar_widget.cpp
std::unique_ptr<Win32Widget> makeImageWidget(Control& control, Win32Widget* parent);         // image_widget.cpp
std::unique_ptr<Win32Widget> makeCustomWidget(Control& control, Win32Widget* parent, const WidgetStyle& style);  // custom_widget.cpp
// system_widgets.cpp: labels, check boxes, buttons, group boxes, progress bars, memos.
std::unique_ptr<Win32Widget> makeSystemWidget(WidgetKind kind, Control& control, Win32Widget* parent,
                                              const WidgetStyle& style);

// Window classes and properties (widgets.cpp).
extern const wchar_t kFormClass[];
extern const wchar_t kImageClass[];
extern const wchar_t kCustomClass[];
bool isFrameworkClass(const wchar_t* windowClass);
HCURSOR cursorHandle(int number);
// A mouse message's key flags; Alt, which they lack, from the keyboard's state. input.cpp.
ShiftState mouseShift(WPARAM flags);
// The windows of the widgets (widgets.cpp). adoptWindow makes a window known to widgetOf;
// subclassSystemWindow brings a system class's child's messages to its widget's message()
// before its class's procedure; releaseWindow forgets the widget when it goes.
void adoptWindow(HWND hwnd, Win32Widget& widget);
void subclassSystemWindow(HWND hwnd);
void releaseWindow(HWND hwnd);
// The system's handling of a message: the class's own procedure for a system class's child,
// DefWindowProc for the framework's classes.
LRESULT callSystemProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace fw::win32
