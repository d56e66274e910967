// Native windows for the framework's controls.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/menu.h"
#include "accessible.h"
#include "gdi_canvas.h"
#include "fw/win32/handles.h"
#include "internal.h"

namespace fw::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"ZelvoraForm";
constexpr wchar_t kImageClass[] = L"ZelvoraImage";
constexpr wchar_t kCustomClass[] = L"ZelvoraControl";
constexpr wchar_t kPeerProp[] = L"Zelvora.Peer";
// The component's name as a global atom, so that another program (the tests) can find a
// control by name.
constexpr wchar_t kNameProp[] = L"Zelvora.Name";
constexpr UINT kFirstMenuId = 1000;

LRESULT CALLBACK formProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK imageProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK customProc(HWND, UINT, WPARAM, LPARAM);
HCURSOR cursorHandle(int number);
LRESULT CALLBACK childSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

// One UTF-16 unit of a character message as the program's 8-bit text, and back.
char toCodePage(WPARAM unit) { return narrow(std::wstring(1, static_cast<wchar_t>(unit)))[0]; }
WPARAM fromCodePage(char ch) { return wide(std::string(1, ch))[0]; }

// The modifier keys as the thread's keyboard state had them when the message was sent.
ShiftState keyShift() {
  ShiftState s;
  s.shift = GetKeyState(VK_SHIFT) < 0;
  s.ctrl = GetKeyState(VK_CONTROL) < 0;
  s.alt = GetKeyState(VK_MENU) < 0;
  return s;
}

// A mouse message's key flags; Alt is not among them.
ShiftState mouseShift(WPARAM flags) {
  ShiftState s;
  s.shift = (flags & MK_SHIFT) != 0;
  s.ctrl = (flags & MK_CONTROL) != 0;
  s.alt = GetKeyState(VK_MENU) < 0;
  s.left = (flags & MK_LBUTTON) != 0;
  s.right = (flags & MK_RBUTTON) != 0;
  s.middle = (flags & MK_MBUTTON) != 0;
  return s;
}

Point mousePoint(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

DWORD alignmentStyle(TextAlign align) {
  return align == TextAlign::Center ? ES_CENTER : align == TextAlign::Right ? ES_RIGHT : ES_LEFT;
}

}  // namespace

class Win32Widget final : public WidgetPeer {
 public:
  Win32Widget(WidgetKind kind, Control& control, Win32Widget* parent, const WidgetStyle& style)
      : kind_(kind), control_(control), parent_(parent) {
    create(style);
  }
  ~Win32Widget() override {
    accessible_.reset();  // clients holding our objects are cut off before the window goes
    if (ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd_.get(), kNameProp)))) {
      RemovePropW(hwnd_.get(), kNameProp);
      GlobalDeleteAtom(atom);
    }
    RemovePropW(hwnd_.get(), kPeerProp);
    if (kind_ != WidgetKind::Form) RemoveWindowSubclass(hwnd_.get(), childSubclass, 0);
    if (kind_ == WidgetKind::Form) SetMenu(hwnd_.get(), nullptr);
  }

  HWND hwnd() const { return hwnd_.get(); }
  Control& control() const { return control_; }
  WidgetKind kind() const { return kind_; }

  void setName(const std::string& name) override {
    if (ATOM old = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd(), kNameProp)))) GlobalDeleteAtom(old);
    const ATOM atom = GlobalAddAtomW(wide(name).c_str());
    SetPropW(hwnd(), kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
  }

  void setText(const std::string& text) override {
    if (kind_ == WidgetKind::StatusBar) {
      SendMessageW(hwnd(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide(text).c_str()));
    } else {
      SetWindowTextW(hwnd(), wide(text).c_str());
    }
    if (kind_ == WidgetKind::GroupBox || kind_ == WidgetKind::Label) InvalidateRect(hwnd(), nullptr, TRUE);
  }
  std::string text() const override { return narrow(windowText()); }
  std::wstring windowText() const {
    const int length = GetWindowTextLengthW(hwnd());
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    buffer.resize(static_cast<size_t>(GetWindowTextW(hwnd(), buffer.data(), length + 1)));
    return buffer;
  }
  void setBounds(const Rect& r) override {
    if (kind_ == WidgetKind::StatusBar) {
      // A status bar places itself at the bottom and takes the height its font needs, or the
      // given one when that is more; its borders come on top of the minimum it is told.
      SendMessageW(hwnd(), SB_SETMINHEIGHT, r.height(), 0);
      SendMessageW(hwnd(), WM_SIZE, 0, 0);
      const int extra = bounds().height() - r.height();
      if (extra > 0 && extra < r.height()) {
        SendMessageW(hwnd(), SB_SETMINHEIGHT, r.height() - extra, 0);
        SendMessageW(hwnd(), WM_SIZE, 0, 0);
      }
      return;
    }
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width(), r.height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Rect bounds() const override {
    RECT r;
    GetWindowRect(hwnd(), &r);
    if (kind_ != WidgetKind::Form && GetParent(hwnd())) MapWindowPoints(HWND_DESKTOP, GetParent(hwnd()), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
  }
  Size clientSize() const override {
    RECT r;
    GetClientRect(hwnd(), &r);
    return {r.right - r.left, r.bottom - r.top};
  }
  void setClientSize(Size s) override {
    RECT r{0, 0, s.width, s.height};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, GetMenu(hwnd()) != nullptr, exStyle);
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void setVisible(bool visible) override {
    ShowWindow(hwnd(), visible ? (kind_ == WidgetKind::Form ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
  }
  bool visible() const override { return IsWindowVisible(hwnd()) != FALSE; }
  void setEnabled(bool enabled) override { EnableWindow(hwnd(), enabled); }
  void setFont(const Font& font) override {
    // A control takes its parent's font when created and again with each inherited change, and
    // the colour lives outside the font handle: only a different face makes a new font.
    const bool sameFace = hfont_ && Font{font.name, font.height, font.bold, font.italic, font.underline, font.charset,
                                         font_.color} == font_;
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
  void setColor(std::uint32_t color) override {
    color_ = color;
    background_.reset(isSystemColor(color) ? nullptr : CreateSolidBrush(toColorRef(color)));
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
  void setHint(const std::string& hint, bool show) override {
    removeHintTool();
    hint_ = wide(hint);
    showHint_ = show;
    addHintTool();
  }
  Size measureText(const std::string& text) const override {
    WindowDC dc(hwnd());
    ScopedSelect select(dc.get(), hfont_.get() ? static_cast<HGDIOBJ>(hfont_.get()) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc.get(), &tm);
    const std::wstring w = wide(text);
    SIZE size{0, 0};
    if (!w.empty()) GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size);
    return {size.cx, tm.tmHeight};
  }
  void bringToFront() override {
    HWND top = GetAncestor(hwnd(), GA_ROOT);
    if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(top);
  }
  void setFocus() override { SetFocus(hwnd()); }
  void invalidate() override { InvalidateRect(hwnd(), nullptr, TRUE); }
  void invalidateRect(const Rect& r) override {
    RECT rc{r.left, r.top, r.right, r.bottom};
    InvalidateRect(hwnd(), &rc, FALSE);
  }
  void update() override { UpdateWindow(hwnd()); }
  void setCursor(int cursor) override { cursor_ = cursor; }
  bool focused() const override { return GetFocus() == hwnd(); }
  void setCapture(bool capture) override {
    if (capture) {
      SetCapture(hwnd());
    } else if (GetCapture() == hwnd()) {
      ReleaseCapture();
    }
  }
  void setTextAlignment(TextAlign align) override {
    if (kind_ != WidgetKind::Edit || align == alignment_) return;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
    recreateWindow((style & ~static_cast<DWORD>(ES_CENTER | ES_RIGHT)) | alignmentStyle(align));
    alignment_ = align;
  }
  void paintNow(const std::function<void(Canvas&)>& draw) override {
    WindowDC dc(hwnd());
    GdiCanvas canvas(dc.get());
    draw(canvas);
  }

  void showScrollBar(ScrollBar bar, bool show) override { ShowScrollBar(hwnd(), barCode(bar), show); }
  void setScrollRange(ScrollBar bar, int max, int position) override {
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS, 0, max, 0, position, 0};
    SetScrollInfo(hwnd(), barCode(bar), &si, TRUE);
  }
  void setScrollPosition(ScrollBar bar, int position) override {
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, position, 0};
    SetScrollInfo(hwnd(), barCode(bar), &si, TRUE);
  }
  ScrollInfo scrollInfo(ScrollBar bar) const override {
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd(), barCode(bar), &si);
    const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    return {(style & (bar == ScrollBar::Horizontal ? WS_HSCROLL : WS_VSCROLL)) != 0, si.nMin, si.nMax, si.nPos};
  }

  void createCaret(Size size) override { CreateCaret(hwnd(), nullptr, size.width, size.height); }
  void destroyCaret() override { DestroyCaret(); }
  void showCaret(bool show) override { show ? ShowCaret(hwnd()) : HideCaret(hwnd()); }
  void setCaretPos(Point p) override { SetCaretPos(p.x, p.y); }

  void setChecked(bool checked) override {
    SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool checked() const override { return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void setRange(int min, int max) override { SendMessageW(hwnd(), PBM_SETRANGE32, min, max); }
  void setPosition(int position) override { SendMessageW(hwnd(), PBM_SETPOS, position, 0); }
  int position() const override { return static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0)); }
  void setSmooth(bool smooth) override {
    LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    style = smooth ? (style | PBS_SMOOTH) : (style & ~static_cast<LONG_PTR>(PBS_SMOOTH));
    SetWindowLongPtrW(hwnd(), GWL_STYLE, style);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
  void setPicture(std::shared_ptr<const Bitmap> picture) override {
    picture_ = std::move(picture);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
  void setMenu(const std::vector<MenuItem*>* items) override {
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
  void setDpi(int dpi) override { dpi_ = dpi; }
  int windowDpi() const override { return win32::windowDpi(hwnd()); }
  void setIcon(const std::string& resource) override {
    const std::wstring name = wide(resource);
    const int small = smallIconSize(dpi_), big = 2 * small;
    bigIcon_.reset(loadIconAtSize(name.c_str(), big));
    smallIcon_.reset(loadIconAtSize(name.c_str(), small));
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  }
  void accessibleEvent(unsigned event, int element) override { raiseAccessibleEvent(hwnd(), event, element); }
  void announce(const std::string& text, int element) override {
    win32::announce(hwnd(), control_, accessible_, text, element);
  }
  IAccessible* accessibleRoot() { return win32::accessibleRoot(hwnd(), control_, accessible_); }
  void centerOnScreen() override {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r;
    GetWindowRect(hwnd(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Message handling shared by forms and subclassed controls. Returns true when handled; a
  // handler may rewrite wp (a key or character) for the window's own handling.
  bool handleCommon(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) {
    if (handleInput(msg, wp, lp, result)) return true;
    switch (msg) {
      case WM_COMMAND:
        if (lp == 0 && HIWORD(wp) == 0) {
          onMenuCommand(LOWORD(wp));
        } else if (Win32Widget* child = widgetOf(reinterpret_cast<HWND>(lp))) {
          child->onNotify(HIWORD(wp));
        }
        result = 0;
        return true;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
        if (Win32Widget* child = widgetOf(reinterpret_cast<HWND>(lp))) {
          if (HBRUSH brush = child->paintColors(msg, reinterpret_cast<HDC>(wp))) {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
          }
        }
        return false;
      case WM_KEYDOWN:
        // A multi-line edit in a window that takes dialog keys closes its parent on Escape; a
        // memo leaves its window alone.
        if (kind_ != WidgetKind::Memo || wp != VK_ESCAPE) return false;
        result = 0;
        return true;
      case WM_CLOSE:
        // Controls live as long as their component: never destroyed by a message.
        if (kind_ == WidgetKind::Form) return false;
        result = 0;
        return true;
      case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wp) == hwnd()) {
          Point at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
          Application::guard([&] { control_.handleContextMenu(at); });
          result = 0;
          return true;
        }
        return false;
      case WM_SIZE:
        Application::guard([&] { control_.handleResize(); });
        return false;
      case WM_GETOBJECT:
        return answerGetObject(hwnd(), control_, accessible_, wp, lp, result);
      case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) != hwnd() || LOWORD(lp) != HTCLIENT || cursor_ == 0) return false;
        if (HCURSOR c = cursorHandle(cursor_)) {
          SetCursor(c);
          result = TRUE;
          return true;
        }
        return false;
      case WM_ERASEBKGND:
        // A group box paints only its frame; the inside would stay whatever was there.
        if (kind_ != WidgetKind::GroupBox) return false;
        {
          RECT r;
          GetClientRect(hwnd(), &r);
          FillRect(reinterpret_cast<HDC>(wp), &r, background_ ? background_.get() : backgroundOwner().backgroundBrush());
        }
        result = 1;
        return true;
      default:
        return false;
    }
  }

  // Keyboard, mouse, scroll bars and focus, handed to the control. Returns true when the
  // control took the message, which then goes no further.
  bool handleInput(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) {
    if (recreating_) return false;
    switch (msg) {
      case WM_KEYDOWN: return takesKeys() && keyDown(wp, result);
      case WM_CHAR: return takesKeys() && character(wp, result);
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: mouseDown(MouseButton::Left, wp, lp); return false;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK: mouseDown(MouseButton::Right, wp, lp); return false;
      case WM_MBUTTONDOWN:
      case WM_MBUTTONDBLCLK: mouseDown(MouseButton::Middle, wp, lp); return false;
      case WM_LBUTTONUP: mouseUp(MouseButton::Left, lp); return false;
      case WM_RBUTTONUP: mouseUp(MouseButton::Right, lp); return false;
      case WM_MBUTTONUP: mouseUp(MouseButton::Middle, lp); return false;
      case WM_MOUSEMOVE: {
        const ShiftState shift = mouseShift(wp);
        const Point at = mousePoint(lp);
        Application::guard([&] { control_.handleMouseMove(shift, at); });
        return false;
      }
      case WM_MOUSEWHEEL: return wheel(wp, lp, result);
      case WM_HSCROLL:
      case WM_VSCROLL:
        // lParam names the bar control that sent it; zero: the window's own bar.
        if (lp == 0) scrolled(msg == WM_HSCROLL ? ScrollBar::Horizontal : ScrollBar::Vertical, wp);
        return false;
      case WM_SETFOCUS: Application::guard([&] { control_.handleFocusGained(); }); return false;
      case WM_KILLFOCUS: {
        Win32Widget* next = widgetOf(reinterpret_cast<HWND>(wp));
        Control* nextControl = next ? &next->control() : nullptr;
        Application::guard([&] { control_.handleFocusLost(nextControl); });
        return false;
      }
      default: return false;
    }
  }

  LRESULT formMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    switch (msg) {
      case WM_CLOSE:
        Application::guard([&] { static_cast<Form&>(control_).close(); });
        return 0;
      case WM_SHOWWINDOW:
        if (wp) Application::guard([&] { static_cast<Form&>(control_).handleShown(); });
        else static_cast<Form&>(control_).handleHidden();
        break;
      case WM_MOVE:
        static_cast<Form&>(control_).handleFrameChanged(bounds());
        break;
      case WM_SIZE:
        static_cast<Form&>(control_).handleFrameChanged(bounds());
        handleCommon(msg, wp, lp, result);
        break;
      case WM_ACTIVATE:
        if (restoreFocus(wp)) return 0;
        break;
      case kGetDpiScaledSize: {
        // Asked before WM_DPICHANGED: the size the window wants at the new density, so that the
        // suggested rectangle is the layout's own there and not the frame scaled in proportion.
        const int to = static_cast<int>(wp);
        const Form& form = static_cast<Form&>(control_);
        SIZE frame;
        if (const std::optional<Size> designed = form.designedFrameAt(to)) {
          frame = {designed->width, designed->height};
        } else if (!frameSizeAtDpi(hwnd(), form.clientSizeAt(to), to, frame)) {
          break;  // Windows scales the frame in proportion
        }
        *reinterpret_cast<SIZE*>(lp) = frame;
        return TRUE;
      }
      case WM_DPICHANGED: {
        // Sent to a window aware of each screen's density when it moves to a screen of another
        // density: the new density, and the rectangle the window should take there.
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        const Rect suggested{r->left, r->top, r->right, r->bottom};
        Application::guard([&] { static_cast<Form&>(control_).handleDpiChanged(HIWORD(wp), suggested); });
        return 0;
      }
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, backgroundBrush());
        return 1;
      }
      default:
        if (handleCommon(msg, wp, lp, result)) return result;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
  }

  // As in a dialog, a window that becomes active gives the focus back to the control that last
  // had it, or else to the first control in the tab order. True when it set the focus.
  bool restoreFocus(WPARAM wp) {
    if (LOWORD(wp) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
      return false;
    }
    if (HIWORD(wp)) return false;  // minimised
    HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd(), lastFocus_)
                      ? lastFocus_
                      : GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) return false;
    SetFocus(target);
    return true;
  }

  LRESULT imageMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT:
        paintPicture();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_LBUTTONUP:
        Application::guard([&] { control_.handleClick(); });
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
  }

  LRESULT customMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT: {
        PaintDC paint(hwnd());
        GdiCanvas canvas(paint.get());
        Application::guard([&] { static_cast<CustomControl&>(control_).paint(canvas); });
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;  // the control paints every pixel itself
      default:
        // The common messages were handled by the subclass, which sees them first.
        break;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
  }

  // The dialog manager asks which keys the control keeps from it; `standard` is the window
  // class's own answer, `message` the key message in question (null when none).
  LRESULT dialogCode(LRESULT standard, const MSG* message) const {
    const bool keyMessage = message && message->message == WM_KEYDOWN;
    const int key = keyMessage ? static_cast<int>(message->wParam) : 0;
    bool characters = false, navigation = false;
    Application::guard([&] {
      characters = control_.wantsCharacters();
      navigation = keyMessage && control_.wantsNavigationKey(key);
    });
    LRESULT code = standard;
    if (characters) code |= DLGC_WANTCHARS;
    // The program's forms have no default button: Enter belongs to the focused control.
    if (navigation || (keyMessage && key == VK_RETURN && kind_ == WidgetKind::Custom)) code |= DLGC_WANTMESSAGE;
    return code;
  }

  // Controls that handle the keyboard themselves: the custom ones and edits.
  bool takesKeys() const { return kind_ == WidgetKind::Custom || kind_ == WidgetKind::Edit; }

  HWND tooltip() {
    if (!tooltip_) {
      tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                     instance(), nullptr));
    }
    return tooltip_.get();
  }

 private:
  void create(const WidgetStyle& style) {
    const wchar_t* cls = nullptr;
    DWORD ws = parent_ ? WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD ex = 0;
    switch (kind_) {
      case WidgetKind::Form: cls = kFormClass; ex = WS_EX_CONTROLPARENT; break;
      case WidgetKind::Label: cls = L"STATIC"; ws |= SS_NOPREFIX | SS_LEFT | SS_NOTIFY; break;
      case WidgetKind::CheckBox: cls = L"BUTTON"; ws |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
      case WidgetKind::ProgressBar: cls = PROGRESS_CLASSW; ws |= style.smooth ? PBS_SMOOTH : 0; break;
      case WidgetKind::GroupBox: cls = L"BUTTON"; ws |= BS_GROUPBOX | WS_CLIPCHILDREN; ex = WS_EX_CONTROLPARENT; break;
      case WidgetKind::StatusBar: cls = STATUSCLASSNAMEW; ws |= CCS_BOTTOM | SBARS_SIZEGRIP; break;
      case WidgetKind::Memo:
        cls = L"EDIT";
        ws |= ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP | (style.readOnly ? ES_READONLY : 0) | (style.border ? WS_BORDER : 0);
        break;
      case WidgetKind::Button: cls = L"BUTTON"; ws |= BS_PUSHBUTTON | WS_TABSTOP; break;
      case WidgetKind::Image: cls = kImageClass; break;
      case WidgetKind::Edit:
        cls = L"EDIT";
        ws |= ES_AUTOHSCROLL | WS_TABSTOP;
        ex |= style.border ? WS_EX_CLIENTEDGE : 0;
        ownColors_ = !style.parentColor;
        if (ownColors_) color_ = clWindow;
        break;
      case WidgetKind::Custom:
        cls = kCustomClass;
        ws |= WS_TABSTOP | (style.scrollBars ? WS_HSCROLL | WS_VSCROLL : 0);
        ex |= style.border ? WS_EX_CLIENTEDGE : 0;
        break;
    }
    if (kind_ == WidgetKind::Form) ws &= ~static_cast<DWORD>(WS_VISIBLE);
    HWND parentWindow = parent_ ? parent_->hwnd() : nullptr;
    hwnd_.reset(CreateWindowExW(ex, cls, L"", ws, kind_ == WidgetKind::Form ? CW_USEDEFAULT : 0,
                                kind_ == WidgetKind::Form ? CW_USEDEFAULT : 0, 0, 0, parentWindow, nullptr, instance(),
                                this));
    if (!hwnd_) throw std::runtime_error("the window could not be created (error " + std::to_string(GetLastError()) + ")");
    SetPropW(hwnd(), kPeerProp, this);
    if (kind_ == WidgetKind::StatusBar) SendMessageW(hwnd(), SB_SIMPLE, TRUE, 0);
    if (kind_ != WidgetKind::Form) SetWindowSubclass(hwnd(), childSubclass, 0, reinterpret_cast<DWORD_PTR>(this));
  }

  static int barCode(ScrollBar bar) { return bar == ScrollBar::Horizontal ? SB_HORZ : SB_VERT; }

  bool keyDown(WPARAM& wp, LRESULT& result) {
    int key = static_cast<int>(wp);
    const ShiftState shift = keyShift();
    bool eaten = false;
    Application::guard([&] { eaten = control_.handleKeyDown(key, shift); });
    if (eaten || key == 0) {
      result = 0;
      return true;
    }
    wp = static_cast<WPARAM>(key);
    return false;
  }

  // A character the code page cannot hold reaches the handler as '?'; unless the handler
  // changes it, the window still gets the character that was typed.
  bool character(WPARAM& wp, LRESULT& result) {
    const char typed = toCodePage(wp);
    char key = typed;
    bool eaten = false;
    Application::guard([&] { eaten = control_.handleKeyPress(key); });
    if (eaten || key == 0) {
      result = 0;
      return true;
    }
    if (key != typed) wp = fromCodePage(key);
    return false;
  }

  void mouseDown(MouseButton button, WPARAM wp, LPARAM lp) {
    const ShiftState shift = mouseShift(wp);
    const Point at = mousePoint(lp);
    Application::guard([&] { control_.handleMouseDown(button, shift, at); });
  }

  void mouseUp(MouseButton button, LPARAM lp) {
    const Point at = mousePoint(lp);
    Application::guard([&] { control_.handleMouseUp(button, at); });
  }

  // The wheel message goes to the focused window with the pointer in screen coordinates.
  bool wheel(WPARAM wp, LPARAM lp, LRESULT& result) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wp);
    const ShiftState shift = mouseShift(GET_KEYSTATE_WPARAM(wp));
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ScreenToClient(hwnd(), &p);
    bool taken = false;
    Application::guard([&] { taken = control_.handleMouseWheel(delta, shift, {p.x, p.y}); });
    if (taken) result = 0;
    return taken;
  }

  void scrolled(ScrollBar bar, WPARAM wp) {
    const int code = LOWORD(wp);
    const int position = scrollMessagePosition(bar, code, HIWORD(wp));
    Application::guard([&] { control_.handleScroll(bar, code, position); });
  }

  // A thumb message carries only 16 bits of the position, so a range beyond 32767 could not
  // be reached by dragging: the bar's 32-bit tracking position is used instead. A message that
  // a program posted while the bar is not tracked finds the current position there; the
  // message's own value then holds, widened as the signed number it is.
  int scrollMessagePosition(ScrollBar bar, int code, WORD carried) const {
    const int fromMessage = static_cast<short>(carried);
    if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) return fromMessage;
    SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd(), barCode(bar), &si)) return fromMessage;
    return static_cast<WORD>(si.nTrackPos) == carried ? si.nTrackPos : fromMessage;
  }

  // Tooltips know a control by its window: registered by hint, moved when the window is.
  void removeHintTool() {
    Win32Widget* form = formWidget();
    if (form == this || !form->tooltip_) return;
    TOOLINFOW ti = hintTool(*form);
    SendMessageW(form->tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  void addHintTool() {
    Win32Widget* form = formWidget();
    if (form == this || !showHint_ || hint_.empty()) return;
    TOOLINFOW ti = hintTool(*form);
    ti.lpszText = hint_.data();
    SendMessageW(form->tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  TOOLINFOW hintTool(const Win32Widget& form) const {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = form.hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd());
    return ti;
  }

  // Some styles of the system's controls count only when the window is created: a new window
  // with the style takes the old one's place in the parent (bounds, stacking, visibility),
  // its text, selection, font and focus, and the properties by which the framework and other
  // programs know it. Its messages meanwhile raise no events: nothing changed for the control.
  void recreateWindow(DWORD style) {
    HWND old = hwnd();
    const Rect r = bounds();
    const std::wstring text = windowText();
    DWORD selStart = 0, selEnd = 0;
    SendMessageW(old, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
    UniqueWindow created(CreateWindowExW(ex, L"EDIT", text.c_str(), style & ~static_cast<DWORD>(WS_VISIBLE), r.left,
                                         r.top, r.width(), r.height(), GetParent(old), nullptr, instance(), nullptr));
    if (!created) throw std::runtime_error("the window could not be created (error " + std::to_string(GetLastError()) + ")");
    SendMessageW(created.get(), WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.get()), FALSE);
    SendMessageW(created.get(), EM_SETSEL, selStart, selEnd);

    const bool hadFocus = GetFocus() == old;
    const bool wasFormFocus = parent_ && formWidget()->lastFocus_ == old;
    recreating_ = true;
    removeHintTool();
    HANDLE name = RemovePropW(old, kNameProp);
    RemovePropW(old, kPeerProp);
    RemoveWindowSubclass(old, childSubclass, 0);
    UniqueWindow previous = std::exchange(hwnd_, std::move(created));
    if (name) SetPropW(hwnd(), kNameProp, name);
    SetPropW(hwnd(), kPeerProp, this);
    SetWindowSubclass(hwnd(), childSubclass, 0, reinterpret_cast<DWORD_PTR>(this));
    SetWindowPos(hwnd(), old, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | ((style & WS_VISIBLE) ? SWP_SHOWWINDOW : 0));
    if (hadFocus) SetFocus(hwnd());
    if (wasFormFocus) formWidget()->lastFocus_ = hwnd();
    addHintTool();
    previous.reset();
    recreating_ = false;
  }

  Win32Widget* formWidget() {
    Win32Widget* w = this;
    while (w->parent_) w = w->parent_;
    return w;
  }

  HBRUSH backgroundBrush() const {
    return background_ ? background_.get() : systemBrush(isSystemColor(color_) ? color_ : clBtnFace);
  }

  // The nearest window up the chain that paints a background of its own; group boxes show
  // through to it.
  const Win32Widget& backgroundOwner() const {
    const Win32Widget* p = parent_ ? parent_ : this;
    while (p->kind_ == WidgetKind::GroupBox && p->parent_ && !p->background_) p = p->parent_;
    return *p;
  }

  // The colours a child asks its parent for before it paints; null leaves them to the system.
  // Labels and boxes are drawn on their parent's background, in their font's colour; an edit
  // keeps the system's colours unless it has its own background.
  HBRUSH paintColors(UINT msg, HDC dc) {
    if (ownColors_) {
      SetTextColor(dc, toColorRef(font_.color));
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, toColorRef(color_));
      return backgroundBrush();
    }
    if (msg == WM_CTLCOLOREDIT) return nullptr;
    SetTextColor(dc, toColorRef(font_.color));
    SetBkMode(dc, TRANSPARENT);
    const Win32Widget& owner = backgroundOwner();
    SetBkColor(dc, toColorRef(owner.color_));
    return owner.backgroundBrush();
  }

  void onNotify(WORD code) {
    const bool clicked = (kind_ == WidgetKind::Button || kind_ == WidgetKind::CheckBox) ? code == BN_CLICKED
                         : kind_ == WidgetKind::Label                                  ? code == STN_CLICKED
                                                                                       : false;
    if (clicked) Application::guard([&] { control_.handleClick(); });
    if (kind_ == WidgetKind::Edit && code == EN_CHANGE && !recreating_)
      Application::guard([&] { static_cast<Edit&>(control_).handleChange(); });
  }

  void onMenuCommand(WORD id) {
    if (id < kFirstMenuId || id - kFirstMenuId >= menuItems_.size()) return;
    MenuItem* item = menuItems_[id - kFirstMenuId];
    Application::guard([item] { item->click(); });
  }

  void paintPicture() {
    PaintDC paint(hwnd());
    const HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd(), &client);
    if (picture_ && picture_->width > 0) {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
      bi.bmiHeader.biWidth = picture_->width;
      bi.bmiHeader.biHeight = -picture_->height;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, picture_->width, picture_->height,
                    picture_->pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    } else {
      FillRect(dc, &client, systemBrush(clBtnFace));
    }
  }

  WidgetKind kind_;
  Control& control_;
  Win32Widget* parent_;
  UniqueWindow hwnd_;
  UniqueWindow tooltip_;
  GdiObject<HFONT> hfont_;
  GdiObject<HBRUSH> background_;
  UniqueMenu menu_;
  UniqueIcon bigIcon_, smallIcon_;
  std::vector<MenuItem*> menuItems_;
  HWND lastFocus_ = nullptr;  // forms: the control that had the focus when the window went inactive
  std::wstring hint_;
  bool showHint_ = false;
  int cursor_ = 0;
  Font font_;
  Color color_ = clBtnFace;
  bool ownColors_ = false;  // edits: paints the background set by setColor, not the system's
  TextAlign alignment_ = TextAlign::Left;
  bool recreating_ = false;  // the window is being replaced: its messages are no events
  int dpi_ = 96;             // forms: the density the window is laid out at
  std::shared_ptr<const Bitmap> picture_;
  AccessibleServerPtr accessible_;  // made on a client's first request
};

namespace {

// The widget is known from the first message on: CreateWindowExW passes it in.
Win32Widget* attach(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* w = static_cast<Win32Widget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    return nullptr;  // not yet constructed far enough to take messages
  }
  return reinterpret_cast<Win32Widget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK formProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32Widget* w = attach(hwnd, msg, lp);
  if (!w || !w->hwnd()) return DefWindowProcW(hwnd, msg, wp, lp);
  return w->formMessage(msg, wp, lp);
}

LRESULT CALLBACK imageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32Widget* w = attach(hwnd, msg, lp);
  if (!w || !w->hwnd()) return DefWindowProcW(hwnd, msg, wp, lp);
  return w->imageMessage(msg, wp, lp);
}

LRESULT CALLBACK customProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32Widget* w = attach(hwnd, msg, lp);
  if (!w || !w->hwnd()) return DefWindowProcW(hwnd, msg, wp, lp);
  return w->customMessage(msg, wp, lp);
}

// Cursors registered by number; owned for the life of the program as the system owns its own.
std::vector<std::pair<int, HCURSOR>>& registeredCursors() {
  static std::vector<std::pair<int, HCURSOR>> cursors;
  return cursors;
}

HCURSOR cursorHandle(int number) {
  const struct {
    int number;
    LPCWSTR id;
  } system[] = {{-2, IDC_ARROW}, {-3, IDC_CROSS}, {-4, IDC_IBEAM}, {-7, IDC_SIZENS}, {-9, IDC_SIZEWE},
                {-11, IDC_WAIT}, {-21, IDC_HAND},
                // crHSplit: the system has no splitter shape; the west-east arrows say the same.
                {-14, IDC_SIZEWE}};
  for (const auto& s : system)
    if (s.number == number) return LoadCursorW(nullptr, s.id);
  for (const auto& [n, c] : registeredCursors())
    if (n == number) return c;
  return nullptr;
}

LRESULT CALLBACK childSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* w = reinterpret_cast<Win32Widget*>(ref);
  if (msg == WM_GETDLGCODE && w->takesKeys())
    return w->dialogCode(DefSubclassProc(hwnd, msg, wp, lp), reinterpret_cast<const MSG*>(lp));
  LRESULT result = 0;
  if (w->handleCommon(msg, wp, lp, result)) return result;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

HICON loadIconAtSize(const wchar_t* name, int size) {
  // Common controls 6 (Vista on) scale an icon down from its next bigger image.
  using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scaleDown = [] {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    return comctl ? reinterpret_cast<ScaleDown>(reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")))
                  : nullptr;
  }();
  HICON icon = nullptr;
  if (scaleDown && SUCCEEDED(scaleDown(instance(), name, size, size, &icon)) && icon) return icon;
  return static_cast<HICON>(LoadImageW(instance(), name, IMAGE_ICON, size, size, 0));
}

Win32Widget* widgetOf(HWND hwnd) { return hwnd ? static_cast<Win32Widget*>(GetPropW(hwnd, kPeerProp)) : nullptr; }

void registerWindowClasses() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = formProc;
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconW(instance(), L"MAINICON");
  RegisterClassExW(&wc);
  wc.hIcon = nullptr;
  wc.lpfnWndProc = imageProc;
  wc.lpszClassName = kImageClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = customProc;
  wc.lpszClassName = kCustomClass;
  RegisterClassExW(&wc);
}

bool previewBeforeDialogKeys(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_ESCAPE && msg.wParam != VK_RETURN)) return false;
  Win32Widget* form = widgetOf(GetAncestor(msg.hwnd, GA_ROOT));
  return form && form->kind() == WidgetKind::Form && static_cast<Form&>(form->control()).keyPreview();
}

bool previewCharacter(const MSG& msg) {
  if (msg.message != WM_CHAR) return false;
  Win32Widget* form = widgetOf(GetAncestor(msg.hwnd, GA_ROOT));
  if (!form || form->kind() != WidgetKind::Form) return false;
  auto& f = static_cast<Form&>(form->control());
  if (!f.keyPreview()) return false;
  char key = toCodePage(msg.wParam);
  Application::guard([&] { f.handleKeyPress(key); });
  return key == 0;
}

HWND nativeWindow(const Control& control) { return static_cast<Win32Widget&>(control.peer()).hwnd(); }

IAccessible* accessibleObjectOf(const Control& control) { return static_cast<Win32Widget&>(control.peer()).accessibleRoot(); }

}  // namespace fw::win32

namespace fw {

void backend::registerCursor(int number, const std::string& resourceName) {
  HCURSOR c = static_cast<HCURSOR>(
      LoadImageW(win32::instance(), win32::wide(resourceName).c_str(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  if (!c) throw std::runtime_error("the cursor '" + resourceName + "' is missing from the program");
  auto& cursors = win32::registeredCursors();
  std::erase_if(cursors, [number](const auto& e) { return e.first == number; });
  cursors.emplace_back(number, c);
}

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer* parent, const WidgetStyle& style) {
  return std::make_unique<win32::Win32Widget>(kind, control, static_cast<win32::Win32Widget*>(parent), style);
}

}  // namespace fw
