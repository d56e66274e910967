// What every kind of native window shares: text, bounds, fonts, colours, hints, scroll bars,
// caret, and the one switch of the messages all kinds may get (sharedMessage) with the handlers
// of those that are not input.
#include "widget.h"

#include <windowsx.h>

#include <stdexcept>

#include "fw/application.h"
#include "gdi_canvas.h"

namespace fw::win32 {
namespace {

// The component's name as a global atom, so that another program (the tests) can find a
// control by name.
constexpr wchar_t kNameProp[] = L"Zelvora.Name";

}  // namespace

void Win32Widget::createChild(const wchar_t* windowClass, DWORD style, DWORD exStyle) {
  createWindow(windowClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, exStyle, 0, 0);
  if (!isFrameworkClass(windowClass)) subclassSystemWindow(hwnd());
}

void Win32Widget::createWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, int x, int y) {
  HWND parentWindow = parent_ ? parent_->hwnd() : nullptr;
  hwnd_.reset(CreateWindowExW(exStyle, windowClass, L"", style, x, y, 0, 0, parentWindow, nullptr, instance(), this));
  if (!hwnd_) throw std::runtime_error("the window could not be created (error " + std::to_string(GetLastError()) + ")");
  adoptWindow(hwnd(), *this);
}

Win32Widget::~Win32Widget() {
  accessible_.reset();  // clients holding our objects are cut off before the window goes
  if (ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd_.get(), kNameProp)))) {
    RemovePropW(hwnd_.get(), kNameProp);
    GlobalDeleteAtom(atom);
  }
  releaseWindow(hwnd_.get());
}

void Win32Widget::setName(const std::string& name) {
  if (ATOM old = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd(), kNameProp)))) GlobalDeleteAtom(old);
  const ATOM atom = GlobalAddAtomW(wide(name).c_str());
  SetPropW(hwnd(), kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void Win32Widget::setText(const std::string& text) { SetWindowTextW(hwnd(), wide(text).c_str()); }

std::wstring Win32Widget::windowText() const {
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  buffer.resize(static_cast<size_t>(GetWindowTextW(hwnd(), buffer.data(), length + 1)));
  return buffer;
}

void Win32Widget::setBounds(const Rect& r) {
  SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width(), r.height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect Win32Widget::bounds() const {
  RECT r;
  GetWindowRect(hwnd(), &r);
  if (parent_ && GetParent(hwnd())) MapWindowPoints(HWND_DESKTOP, GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

Size Win32Widget::clientSize() const {
  RECT r;
  GetClientRect(hwnd(), &r);
  return {r.right - r.left, r.bottom - r.top};
}

void Win32Widget::setClientSize(Size s) {
  RECT r{0, 0, s.width, s.height};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
  AdjustWindowRectEx(&r, style, GetMenu(hwnd()) != nullptr, exStyle);
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Widget::setFont(const Font& font) {
  // A control takes its parent's font when created and again with each inherited change, and
  // the colour lives outside the font handle: only a different face makes a new font.
  const bool sameFace =
      hfont_ && Font{font.name, font.height, font.bold, font.italic, font.underline, font.charset, font_.color} == font_;
  const bool recolored = font.color != font_.color;
  font_ = font;
  if (sameFace) {
    if (recolored) InvalidateRect(hwnd(), nullptr, TRUE);
    return;
  }
  GdiObject<HFONT> created = createFont(font);
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(created.get()), TRUE);
  hfont_ = std::move(created);  // the old font is freed only after the window let go of it
}

void Win32Widget::setColor(std::uint32_t color) {
  color_ = color;
  background_.reset(isSystemColor(color) ? nullptr : CreateSolidBrush(toColorRef(color)));
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void Win32Widget::setHint(const std::string& hint, bool show) {
  removeHintTool();
  hint_ = wide(hint);
  showHint_ = show;
  addHintTool();
}

Size Win32Widget::measureText(const std::string& text) const {
  WindowDC dc(hwnd());
  ScopedSelect select(dc.get(), hfont_.get() ? static_cast<HGDIOBJ>(hfont_.get()) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm;
  GetTextMetricsW(dc.get(), &tm);
  const std::wstring w = wide(text);
  SIZE size{0, 0};
  if (!w.empty()) GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size);
  return {size.cx, tm.tmHeight};
}

void Win32Widget::invalidateRect(const Rect& r) {
  RECT rc{r.left, r.top, r.right, r.bottom};
  InvalidateRect(hwnd(), &rc, FALSE);
}

void Win32Widget::setCapture(bool capture) {
  if (capture) {
    SetCapture(hwnd());
  } else if (GetCapture() == hwnd()) {
    ReleaseCapture();
  }
}

void Win32Widget::paintNow(const std::function<void(Canvas&)>& draw) {
  WindowDC dc(hwnd());
  GdiCanvas canvas(dc.get());
  draw(canvas);
}

void Win32Widget::setScrollRange(ScrollBar bar, int max, int position) {
  SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS, 0, max, 0, position, 0};
  SetScrollInfo(hwnd(), barCode(bar), &si, TRUE);
}

void Win32Widget::setScrollPosition(ScrollBar bar, int position) {
  SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(hwnd(), barCode(bar), &si, TRUE);
}

ScrollInfo Win32Widget::scrollInfo(ScrollBar bar) const {
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd(), barCode(bar), &si);
  const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
  return {(style & (bar == ScrollBar::Horizontal ? WS_HSCROLL : WS_VSCROLL)) != 0, si.nMin, si.nMax, si.nPos};
}

void Win32Widget::announce(const std::string& text, int element) {
  win32::announce(hwnd(), control_, accessible_, text, element);
}

namespace {

// Keyboard, mouse, scroll-bar and focus messages: while a window is being replaced they are no
// events, nothing changed for the control.
bool isInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         msg == WM_HSCROLL || msg == WM_VSCROLL || msg == WM_SETFOCUS || msg == WM_KILLFOCUS;
}

Point pointOf(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

// A window without border, caption or scroll bars: its client area is all of it, and there is
// nothing to paint outside. The system's handling of WM_NCPAINT would still fetch a window DC,
// several round trips to the window system for every control each time its form is shown.
bool clientAreaFillsWindow(HWND hwnd) {
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  return window.right - window.left == client.right && window.bottom - window.top == client.bottom;
}
HWND hwndOf(WPARAM wp) { return reinterpret_cast<HWND>(wp); }

}  // namespace

bool Win32Widget::sharedMessage(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) {
  if (recreating_ && isInput(msg)) return false;
  result = 0;
  switch (msg) {
    case WM_KEYDOWN: {
      int key = static_cast<int>(wp);
      if (onKeyDown(key)) return true;
      wp = static_cast<WPARAM>(key);
      return false;
    }
    case WM_CHAR: return onChar(wp);
    // A double click arrives as a second press.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: onMouseDown(MouseButton::Left, mouseShift(wp), pointOf(lp)); return false;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: onMouseDown(MouseButton::Right, mouseShift(wp), pointOf(lp)); return false;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: onMouseDown(MouseButton::Middle, mouseShift(wp), pointOf(lp)); return false;
    case WM_LBUTTONUP: onMouseUp(MouseButton::Left, pointOf(lp)); return false;
    case WM_RBUTTONUP: onMouseUp(MouseButton::Right, pointOf(lp)); return false;
    case WM_MBUTTONUP: onMouseUp(MouseButton::Middle, pointOf(lp)); return false;
    case WM_MOUSEMOVE:
      onMouseMove(mouseShift(wp), pointOf(lp));
      return false;
    case WM_MOUSEWHEEL:
      return onMouseWheel(GET_WHEEL_DELTA_WPARAM(wp), mouseShift(GET_KEYSTATE_WPARAM(wp)), pointOf(lp));
    case WM_HSCROLL:
    case WM_VSCROLL:
      // lParam names the bar control that sent it; zero: the window's own bar.
      if (lp == 0) onScroll(msg == WM_HSCROLL ? ScrollBar::Horizontal : ScrollBar::Vertical, LOWORD(wp), HIWORD(wp));
      return false;
    case WM_SETFOCUS:
      onSetFocus();
      return false;
    case WM_KILLFOCUS:
      onKillFocus(hwndOf(wp));
      return false;
    case WM_GETDLGCODE:
      if (!takesKeys()) return false;
      result = onGetDlgCode(systemMessage(msg, wp, lp), reinterpret_cast<const MSG*>(lp));
      return true;
    case WM_COMMAND:
      onCommand(HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp));
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      result = reinterpret_cast<LRESULT>(onCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
      return result != 0;
    case WM_CLOSE:
      onClose();
      return true;
    case WM_CONTEXTMENU: return onContextMenu(hwndOf(wp), pointOf(lp));
    case WM_SIZE:
      onSize();
      return false;
    case WM_GETOBJECT: return answerGetObject(hwnd(), control_, accessible_, wp, lp, result);
    case WM_SETCURSOR:
      if (!onSetCursor(hwndOf(wp), LOWORD(lp))) return false;
      result = TRUE;
      return true;
    case WM_NCPAINT: return clientAreaFillsWindow(hwnd());
    case WM_ERASEBKGND:
      if (!onEraseBackground(reinterpret_cast<HDC>(wp))) return false;
      result = 1;
      return true;
    default: return false;
  }
}

LRESULT Win32Widget::systemMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return callSystemProc(hwnd(), msg, wp, lp);
}

void Win32Widget::onCommand(WORD code, WORD id, HWND child) {
  if (!child && code == 0) {
    menuCommand(id);
  } else if (Win32Widget* w = widgetOf(child)) {
    w->notified(code);
  }
}

HBRUSH Win32Widget::onCtlColor(UINT msg, HDC dc, HWND child) {
  Win32Widget* w = widgetOf(child);
  return w ? w->paintColors(msg, dc) : nullptr;
}

bool Win32Widget::onContextMenu(HWND window, Point screen) {
  if (window != hwnd()) return false;
  control_.handleContextMenu(screen);
  return true;
}

bool Win32Widget::onSetCursor(HWND window, UINT hitTest) {
  if (window != hwnd() || hitTest != HTCLIENT || cursor_ == 0) return false;
  HCURSOR c = cursorHandle(cursor_);
  if (c) SetCursor(c);
  return c != nullptr;
}

void Win32Widget::fillClient(HDC dc, HBRUSH brush) const {
  RECT r;
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, brush);
}

Win32Widget& Win32Widget::formWidget() {
  Win32Widget* w = this;
  while (w->parent_) w = w->parent_;
  return *w;
}

HBRUSH Win32Widget::backgroundBrush() const {
  return background_ ? background_.get() : systemBrush(isSystemColor(color_) ? color_ : clBtnFace);
}

// The nearest window up the chain that paints a background of its own; group boxes show
// through to it.
const Win32Widget& Win32Widget::backgroundOwner() const {
  const Win32Widget* p = parent_ ? parent_ : this;
  while (p->showsParentBackground() && p->parent_ && !p->background_) p = p->parent_;
  return *p;
}

// Labels and boxes are drawn on their parent's background, in their font's colour; an edit
// keeps the system's colours unless it has its own background.
HBRUSH Win32Widget::paintColors(UINT msg, HDC dc) {
  if (msg == WM_CTLCOLOREDIT) return nullptr;
  SetTextColor(dc, toColorRef(font_.color));
  SetBkMode(dc, TRANSPARENT);
  const Win32Widget& owner = backgroundOwner();
  SetBkColor(dc, toColorRef(owner.color_));
  return owner.backgroundBrush();
}

void Win32Widget::removeHintTool() {
  Win32Widget& form = formWidget();
  if (&form == this || !form.tooltip_) return;
  TOOLINFOW ti = hintTool(form);
  SendMessageW(form.tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Win32Widget::addHintTool() {
  Win32Widget& form = formWidget();
  if (&form == this || !showHint_ || hint_.empty()) return;
  TOOLINFOW ti = hintTool(form);
  ti.lpszText = hint_.data();
  SendMessageW(form.tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

TOOLINFOW Win32Widget::hintTool(const Win32Widget& form) const {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = form.hwnd();
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd());
  return ti;
}

HWND Win32Widget::tooltip() {
  if (!tooltip_) {
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                   instance(), nullptr));
  }
  return tooltip_.get();
}

void Win32Widget::replaceWindow(UniqueWindow created, bool visible) {
  HWND old = hwnd();
  const bool hadFocus = GetFocus() == old;
  removeHintTool();
  HANDLE name = RemovePropW(old, kNameProp);
  releaseWindow(old);
  UniqueWindow previous = std::exchange(hwnd_, std::move(created));
  if (name) SetPropW(hwnd(), kNameProp, name);
  adoptWindow(hwnd(), *this);
  subclassSystemWindow(hwnd());
  SetWindowPos(hwnd(), old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
  if (hadFocus) SetFocus(hwnd());
  formWidget().childWindowReplaced(old, hwnd());
  addHintTool();
}

}  // namespace fw::win32
