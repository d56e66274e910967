// The seam between the framework's platform-free controls and a window system. Two backends
// implement it: win32 (the shipped one) and headless (in memory, for native tests). The
// backend is chosen at link time. Controls of the framework use it through their peers;
// components above the framework include it only for the few free calls that have no home on
// a control (text measurement, cursors, the screen's size), never for a peer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fw/font.h"
#include "fw/geometry.h"

namespace fw {

class Canvas;
class Control;
class Form;
class MenuItem;

enum class WidgetKind { Form, Label, CheckBox, ProgressBar, GroupBox, StatusBar, Memo, Button, Image, Edit, Custom };

// Options fixed when a widget is created.
struct WidgetStyle {
  bool readOnly = false;
  bool border = true;
  bool smooth = false;
  bool keyPreview = false;
  bool scrollBars = false;  // custom controls: a horizontal and a vertical bar (shown on demand)
  bool parentColor = true;  // edits: take the background from the parent
};

enum class TextAlign { Left, Center, Right };

enum class ScrollBar { Horizontal, Vertical };

// One scroll bar of a window: its range starts at `min`; no page size is set, so the thumb has
// the system's default size.
struct ScrollInfo {
  bool visible = false;
  int min = 0;
  int max = 0;
  int position = 0;
  friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

// Decoded picture: 32-bit pixels, 0x00RRGGBB, top row first.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// One native window. Coordinates are client coordinates of the parent; a form's bounds are
// screen coordinates of its outer frame.
class WidgetPeer {
 public:
  virtual ~WidgetPeer() = default;

  virtual void setName(const std::string& name) = 0;  // the component's name, for tools and tests
  virtual void setText(const std::string& text) = 0;  // Windows-1254
  virtual std::string text() const = 0;
  virtual void setBounds(const Rect& r) = 0;
  virtual Rect bounds() const = 0;
  virtual Size clientSize() const = 0;
  virtual void setClientSize(Size s) = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void setFont(const Font& font) = 0;
  virtual void setColor(std::uint32_t color) = 0;
  virtual void setHint(const std::string& hint, bool show) = 0;
  virtual Size measureText(const std::string& text) const = 0;
  virtual void bringToFront() = 0;  // the window this control lives in: restored, on top, active
  virtual void setFocus() = 0;
  virtual void invalidate() = 0;
  virtual void invalidateRect(const Rect& r) = 0;  // client coordinates
  virtual void update() = 0;                         // paints what is pending, now
  virtual void setCursor(int cursor) = 0;            // a number registered with registerCursor
  virtual bool focused() const = 0;                  // has the keyboard focus
  virtual void setCapture(bool capture) = 0;         // all mouse input to this window, or let go
  // Draws at once on the client area, outside the paint cycle (custom controls).
  virtual void paintNow(const std::function<void(Canvas&)>& draw) = 0;

  // Scroll bars (WidgetStyle::scrollBars). Showing or hiding one changes the client size, and
  // so does a range change that makes a bar needed or not needed (as the platform does); the
  // control then gets its resize handling at once.
  virtual void showScrollBar(ScrollBar bar, bool show) = 0;
  virtual void setScrollRange(ScrollBar bar, int max, int position) = 0;  // range 0..max and position
  virtual void setScrollPosition(ScrollBar bar, int position) = 0;
  virtual ScrollInfo scrollInfo(ScrollBar bar) const = 0;

  // The text caret: one per GUI thread, created hidden by the window that has the focus.
  virtual void createCaret(Size size) = 0;
  virtual void destroyCaret() = 0;
  virtual void showCaret(bool show) = 0;
  virtual void setCaretPos(Point p) = 0;

  // Assistive technology (fw/accessible.h): an event about an element of the control's tree,
  // and a text to be read out at once, about an element. Backends without it ignore both.
  virtual void accessibleEvent(unsigned /*event*/, int /*element*/) {}
  virtual void announce(const std::string& /*text*/, int /*element*/) {}
};

// The calls that mean something to one kind of window only. The peer of that kind implements
// its interface beside WidgetPeer; its control reaches it through Control::peer<P>().

class CheckPeer {  // check boxes
 public:
  virtual ~CheckPeer() = default;
  virtual void setChecked(bool checked) = 0;
  virtual bool checked() const = 0;
};

class ProgressPeer {  // progress bars
 public:
  virtual ~ProgressPeer() = default;
  virtual void setRange(int min, int max) = 0;
  virtual void setPosition(int position) = 0;
  virtual void setSmooth(bool smooth) = 0;
  virtual int position() const = 0;
};

class PicturePeer {  // images
 public:
  virtual ~PicturePeer() = default;
  virtual void setPicture(std::shared_ptr<const Bitmap> picture) = 0;
};

class EditPeer {  // single-line edits
 public:
  virtual ~EditPeer() = default;
  // The platform's edit control reads the alignment only when its window is created, so the
  // window is created anew (text, font, colour, place and visibility kept).
  virtual void setTextAlignment(TextAlign align) = 0;
};

class FormPeer {  // top-level windows
 public:
  virtual ~FormPeer() = default;
  virtual void setMenu(const std::vector<MenuItem*>* items) = 0;  // the menu bar; null: none
  // The density the window is laid out at, which picks the size of its icons; set before the
  // icon.
  virtual void setDpi(int dpi) = 0;
  // The density of the screen the window is on, as the platform gives it to this window
  // (0: not known).
  virtual int windowDpi() const = 0;
  virtual void setIcon(const std::string& resource) = 0;
  virtual void centerOnScreen() = 0;  // on the whole screen, not the part the taskbar leaves
};

// A text in a font: its advance width, the font's cell height (ascent and descent), its
// internal leading (the part of the cell above the letters' height), and how far the last
// glyph's ink reaches past the advance (an italic letter's overhang: its negative C width).
struct TextMetrics {
  int width = 0;
  int height = 0;
  int internalLeading = 0;
  int overhang = 0;
};

// The edge of a small icon (title bar, notification area) at a density: 16, 20, 24 or 32
// pixels at 96, 120, 144 and 192 pixels per inch; big icons are twice that.
constexpr int smallIconSize(int dpi) { return dpi <= 0 ? 16 : (16 * dpi + 48) / 96; }

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer* parent, const WidgetStyle& style);

namespace backend {

// Application services.
void initialize();
void setApplicationTitle(const std::string& title);
void runMessageLoop(const std::function<bool()>& mainFormAlive);
void processMessages();
void quit();
void bringApplicationToFront();
int screenDpi();
// Measures a text in a font without a window (empty text: width 0, the font's cell height).
TextMetrics measureText(const Font& font, const std::string& text);
Size screenSize();
std::string loadLayoutText(const std::string& name);  // UTF-8 text of a stored layout
std::shared_ptr<const Bitmap> loadPicture(const std::string& name);
void showPopupMenu(const std::vector<MenuItem*>& items, Point screen);
Point cursorPos();
// The default report of an error that escaped a handler (no application events installed).
void reportError(const std::string& message);

// Timers: the callback runs on the GUI thread from the message loop.
std::uintptr_t startTimer(unsigned intervalMs, std::function<void()> tick);
void stopTimer(std::uintptr_t id);

// Cursors by number: 0 is the default arrow; negative numbers are the system's shapes
// (crArrow -2, crCross -3, crIBeam -4, crSizeNS -7, crSizeWE -9, crHandPoint -21); positive
// ones are registered from the program's cursor resources.
void registerCursor(int number, const std::string& resourceName);

}  // namespace backend
}  // namespace fw
