// Platform services of the win32 backend that have no headless twin worth testing: the text
// clipboard with its code-page conversion, hidden message windows and their class, a message
// handled once by every kind of window, the character set a control's font asks for, where
// a form's window is centred, and a progress bar painted once for a burst of positions.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/platform.h"
#include "fw/shell.h"
#include "fw/text.h"
#include "fw/win32/handles.h"
#include "fw/win32/native.h"
#include "harness.h"

namespace {

// The tests of this file run in one process: the framework is initialised once.
void initializeOnce() {
  static const bool initialized = (fw::Application::instance().initialize(), true);
  (void)initialized;
}

class Clipboard : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { initializeOnce(); }
};

TEST_F(Clipboard, TurkishTextGoesOutAsUnicodeWhateverTheLocale) {
  const std::string text = fw::ansi(u8"Çağrı: İŞĞ ışğ 0532 417 28 93");
  ASSERT_TRUE(fw::clipboard::setText(text));
  EXPECT_EQ(harness::clipboardText(), L"\u00c7a\u011fr\u0131: \u0130\u015e\u011e \u0131\u015f\u011f 0532 417 28 93");
  EXPECT_EQ(fw::clipboard::text(), text);
}

TEST_F(Clipboard, EmptyAndLongTextsRoundTrip) {
  ASSERT_TRUE(fw::clipboard::setText(""));
  EXPECT_EQ(harness::clipboardText(), L"");
  const std::string big(1 << 20, '\xFE');  // a megabyte of 'ş'
  ASSERT_TRUE(fw::clipboard::setText(big));
  EXPECT_EQ(fw::clipboard::text(), big);
}

TEST_F(Clipboard, ForeignUnicodeComesBackWithQuestionMarks) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const wchar_t foreign[] = L"a\u4e2d\u00e7";
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof foreign);
  memcpy(GlobalLock(mem), foreign, sizeof foreign);
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  EXPECT_EQ(fw::clipboard::text(), "a?\xE7");
}

// Every way out of the clipboard calls leaves it closed: another program can open it at once.
// A held clipboard makes a write fail and a read come back empty, not hang or half-write.
TEST_F(Clipboard, IsLeftClosedOnEveryPath) {
  const auto closed = [] { return GetOpenClipboardWindow() == nullptr; };
  ASSERT_TRUE(fw::clipboard::setText("a"));
  EXPECT_TRUE(closed());
  EXPECT_EQ(fw::clipboard::text(), "a");
  EXPECT_TRUE(closed());

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();  // no text at all
  CloseClipboard();
  EXPECT_EQ(fw::clipboard::text(), "");
  EXPECT_TRUE(closed());

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(fw::clipboard::setText("b"));
  EXPECT_EQ(fw::clipboard::text(), "");
  CloseClipboard();
  EXPECT_TRUE(closed());
  EXPECT_TRUE(fw::clipboard::setText("c"));
}

// Message windows of one class share its registration; each window goes with its owner, and
// the class outlives them, so a later window of that class can still be made.
TEST(MessageWindow, WindowsComeAndGoWithTheirOwnersOverOneClass) {
  initializeOnce();
  const auto never = [](fw::shell::Message&) { return false; };
  HWND first = nullptr, second = nullptr;
  {
    fw::shell::MessageWindow a("Zelvora.TestMessage", never);
    fw::shell::MessageWindow b("Zelvora.TestMessage", never);
    first = reinterpret_cast<HWND>(a.handle());
    second = reinterpret_cast<HWND>(b.handle());
    ASSERT_TRUE(IsWindow(first));
    ASSERT_TRUE(IsWindow(second));
  }
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(second));
  fw::shell::MessageWindow later("Zelvora.TestMessage", [](fw::shell::Message& m) {
    m.result = 42;
    return m.msg == WM_APP;
  });
  EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(later.handle()), WM_APP, 0, 0), 42);
}

// A class owner gives its registration back when it goes; a second owner of a class that is
// already registered shares it and leaves it to the first.
TEST(HandleOwners, ARegisteredClassIsGivenBackByTheOwnerThatMadeIt) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"Zelvora.TestOwnedClass";
  WNDCLASSEXW found{};
  found.cbSize = sizeof(found);
  {
    fw::win32::RegisteredClass owner(wc);
    ASSERT_TRUE(owner.valid());
    {
      fw::win32::RegisteredClass second(wc);
      EXPECT_TRUE(second.valid());
    }
    EXPECT_TRUE(GetClassInfoExW(wc.hInstance, wc.lpszClassName, &found));
  }
  EXPECT_FALSE(GetClassInfoExW(wc.hInstance, wc.lpszClassName, &found));
}

template <class C>
struct Counted : C {
  using C::C;
  int resizes = 0;
  void handleResize() override {
    ++resizes;
    C::handleResize();
  }
};

struct CountedWindow {
  const char* kind;
  HWND window;
  const int* resizes;
};

template <class C>
C& addCounted(fw::Form& form, const char* kind, std::vector<CountedWindow>& windows) {
  auto& control = form.create<Counted<C>>(&form);
  control.setBounds({10, 10, 120, 60});
  windows.push_back({kind, fw::win32::nativeWindow(control), &control.resizes});
  return control;
}

// A window of the framework's own class, a system control under our subclass and a form each
// handle a message in one place: a size message reaches the control once, and an image's left
// release is one click.
TEST(Messages, EveryKindOfWindowHandlesAMessageOnce) {
  initializeOnce();
  Counted<fw::Form> form(nullptr);
  form.setBounds({50, 50, 450, 350});
  std::vector<CountedWindow> windows{{"form", fw::win32::nativeWindow(form), &form.resizes}};
  addCounted<fw::CustomControl>(form, "custom", windows);
  auto& image = addCounted<fw::Image>(form, "image", windows);
  addCounted<fw::Label>(form, "label", windows);
  addCounted<fw::Edit>(form, "edit", windows);
  addCounted<fw::Memo>(form, "memo", windows);
  addCounted<fw::Button>(form, "button", windows);
  addCounted<fw::CheckBox>(form, "check box", windows);
  addCounted<fw::GroupBox>(form, "group box", windows);
  addCounted<fw::ProgressBar>(form, "progress bar", windows);
  addCounted<fw::StatusBar>(form, "status bar", windows);
  for (const auto& w : windows) {
    RECT r;
    GetClientRect(w.window, &r);
    const LPARAM size = MAKELPARAM(r.right, r.bottom);
    SendMessageW(w.window, WM_SIZE, SIZE_RESTORED, size);  // a status bar first settles at the bottom
    const int before = *w.resizes;
    SendMessageW(w.window, WM_SIZE, SIZE_RESTORED, size);
    EXPECT_EQ(*w.resizes - before, 1) << w.kind;
  }
  int clicks = 0;
  image.onClick = [&](fw::Component&) { ++clicks; };
  SendMessageW(fw::win32::nativeWindow(image), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);
}

// The layouts' fonts are MS Sans Serif. Asked for with the Turkish character set, the face the
// system gives a control has every Turkish letter whatever the code page; asked for with the
// default set where the code page is not Turkish (these tests run with another), Wine gives the
// bitmap face that lacks "ı", which the layouts therefore never leave to the default.
TEST(ControlFonts, TheTurkishCharacterSetGivesAFaceWithEveryTurkishLetter) {
  initializeOnce();
  fw::Form form(nullptr);
  auto& label = form.create<fw::Label>(&form);
  const auto missingLetters = [&](int charset) {
    fw::Font font;
    font.charset = charset;
    label.setFont(font);
    const auto hfont = reinterpret_cast<HFONT>(SendMessageW(fw::win32::nativeWindow(label), WM_GETFONT, 0, 0));
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, hfont);
    const wchar_t letters[] = L"\u0131\u0130\u015f\u015e\u011f\u011e\u00e7\u00c7\u00f6\u00fc";
    WORD glyphs[std::size(letters) - 1];
    GetGlyphIndicesW(dc, letters, static_cast<int>(std::size(glyphs)), glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    std::wstring missing;
    for (size_t i = 0; i < std::size(glyphs); ++i)
      if (glyphs[i] == 0xFFFF) missing += letters[i];
    return harness::utf8(missing);
  };
  EXPECT_EQ(missingLetters(fw::kTurkishCharset), "");
  if (GetACP() != 1254) {
    EXPECT_NE(missingLetters(fw::kDefaultCharset), "") << "the default set's face here";
  }
}

// A form placed at the screen's centre is centred on the whole screen, as the layouts'
// poScreenCenter means, not on the work area that a taskbar leaves. The work area is made
// smaller than the screen here, so the two centres differ.
TEST(FormWindow, ScreenCenterIsTheWholeScreensCentre) {
  initializeOnce();
  RECT savedWork{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &savedWork, 0));
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, screenWidth - 200, screenHeight - 100};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
  RECT smaller{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &smaller, 0);
  EXPECT_EQ(smaller.right, work.right) << "the work area did not change: the two centres would be one";
  {
    fw::Form form(nullptr);
    form.setBounds(fw::Rect::fromSize(10, 10, 300, 200));
    form.peer<fw::FormPeer>().centerOnScreen();
    RECT r{};
    GetWindowRect(fw::win32::nativeWindow(form), &r);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_NEAR((r.left + r.right) / 2, screenWidth / 2, 1) << r.left << ", " << r.top;
    EXPECT_NEAR((r.top + r.bottom) / 2, screenHeight / 2, 1) << r.left << ", " << r.top;
  }
  SystemParametersInfoW(SPI_SETWORKAREA, 0, &savedWork, 0);
}

}  // namespace

// The paints of one window on this thread: those the message loop takes and those sent at once
// (UpdateWindow).
struct PaintCount {
  static inline HWND window = nullptr;
  static inline int paints = 0;
  static LRESULT CALLBACK taken(int code, WPARAM wp, LPARAM lp) {
    const auto* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == WM_PAINT && msg->hwnd == window) ++paints;
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static LRESULT CALLBACK sent(int code, WPARAM wp, LPARAM lp) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && msg->message == WM_PAINT && msg->hwnd == window) ++paints;
    return CallNextHookEx(nullptr, code, wp, lp);
  }
};

// A burst of level reports moves a bar many times before the loop runs again: the bar shows the
// last position, painted once. A hidden bar takes a position and stays hidden.
TEST(ProgressBar, ABurstOfPositionsIsPaintedOnceAndAHiddenBarStaysHidden) {
  initializeOnce();
  fw::Form form(nullptr);
  form.setBounds({50, 50, 450, 200});
  auto& bar = form.create<fw::ProgressBar>(&form);
  bar.setBounds({10, 10, 310, 30});
  bar.setRange(0, 30);
  form.show();
  fw::Application::instance().processMessages();
  const HWND window = fw::win32::nativeWindow(bar);
  PaintCount::window = window;
  PaintCount::paints = 0;
  const HHOOK taken = SetWindowsHookExW(WH_GETMESSAGE, PaintCount::taken, nullptr, GetCurrentThreadId());
  const HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, PaintCount::sent, nullptr, GetCurrentThreadId());
  for (int level = 1; level <= 30; ++level) bar.setPosition(level);
  fw::Application::instance().processMessages();
  UnhookWindowsHookEx(sent);
  UnhookWindowsHookEx(taken);
  EXPECT_EQ(PaintCount::paints, 1);
  EXPECT_EQ(SendMessageW(window, PBM_GETPOS, 0, 0), 30);

  bar.hide();
  bar.setPosition(5);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(SendMessageW(window, PBM_GETPOS, 0, 0), 5);
}
