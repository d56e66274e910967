// Controls: components with a native window, placed inside a parent control.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fw/accessible.h"
#include "fw/backend.h"
#include "fw/component.h"
#include "fw/font.h"
#include "fw/geometry.h"
#include "fw/scale.h"
#include "fw/shell.h"

namespace fw {

class PopupMenu;

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class MouseButton { Left, Right, Middle };

using NotifyEvent = std::function<void(Component& sender)>;
using KeyPressEvent = std::function<void(Component& sender, char& key)>;
using MouseEvent = std::function<void(Component& sender, MouseButton button, Point at)>;
// Virtual key codes as the platform numbers them (VK_RETURN 13, VK_LEFT 37, 'C' 67 ...); a
// handler that sets the key to 0 has eaten it.
using KeyEvent = std::function<void(Component& sender, int& key, ShiftState shift)>;
using MouseButtonEvent = std::function<void(Component& sender, MouseButton button, ShiftState shift, Point at)>;
using MouseMoveEvent = std::function<void(Component& sender, ShiftState shift, Point at)>;

// Scroll codes of a scroll bar's notification, numbered as the platform's (SB_LINEUP ...).
namespace scroll {
inline constexpr int LineUp = 0;
inline constexpr int LineDown = 1;
inline constexpr int PageUp = 2;
inline constexpr int PageDown = 3;
inline constexpr int ThumbPosition = 4;
inline constexpr int ThumbTrack = 5;
inline constexpr int Top = 6;
inline constexpr int Bottom = 7;
inline constexpr int EndScroll = 8;
}  // namespace scroll

class Control : public Component {
 public:
  Control(Component* owner, Control* parent, WidgetKind kind, const WidgetStyle& style = {});
  ~Control() override;

  void setName(std::string name) override;
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  WidgetPeer& peer() const { return *peer_; }
  // The peer's interface for this control's kind (fw/backend.h); a kind that has none is a
  // programming error, caught as std::bad_cast.
  template <class P>
  P& peer() const {
    return dynamic_cast<P&>(*peer_);
  }

  Rect bounds() const { return bounds_; }
  void setBounds(const Rect& r);
  int left() const { return bounds_.left; }
  int top() const { return bounds_.top; }
  int width() const { return bounds_.width(); }
  int height() const { return bounds_.height(); }
  void setLeft(int v) { setBounds(bounds_.offset(v - bounds_.left, 0)); }
  void setTop(int v) { setBounds(bounds_.offset(0, v - bounds_.top)); }
  void setWidth(int v) { setBounds({bounds_.left, bounds_.top, bounds_.left + v, bounds_.bottom}); }
  void setHeight(int v) { setBounds({bounds_.left, bounds_.top, bounds_.right, bounds_.top + v}); }
  Size clientSize() const { return peer_->clientSize(); }

  const std::string& caption() const;
  void setCaption(const std::string& text);  // Windows-1254
  std::string text() const { return peer_->text(); }

  bool visible() const { return visible_; }
  virtual void setVisible(bool v);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);

  const Font& font() const { return font_; }
  void setFont(const Font& f);
  void setColor(std::uint32_t c);
  void setHint(const std::string& hint);
  void setShowHint(bool show);
  Align align() const { return align_; }
  void setAlign(Align a);
  bool autoSize() const { return autoSize_; }
  void setAutoSize(bool on);
  PopupMenu* popupMenu() const { return popupMenu_; }
  void setPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }
  int cursor() const { return cursor_; }
  void setCursor(int c) {
    cursor_ = c;
    peer_->setCursor(c);
  }
  void bringToFront() { peer_->bringToFront(); }
  void setFocus() { peer_->setFocus(); }
  bool focused() const { return peer_->focused(); }

  // Lays the aligned children out in the alignment area, in creation order.
  void realign();
  // The part of the client area that aligned children share.
  virtual Rect alignRect() const;

  // Mouse capture: while set, every mouse message goes to this control.
  void setCapture(bool on) { peer_->setCapture(on); }

  // Assistive technology. A control with a tree of its own (self-painted) gives its model,
  // made when a client first asks; the others are read through the platform's own objects,
  // which take their name, value and description from here where these are set.
  virtual const access::Model* accessibleModel() { return nullptr; }
  const std::string& hint() const { return hint_; }
  const std::string& accessibleName() const { return accessibleName_; }
  void setAccessibleName(const std::string& name) { accessibleName_ = name; }
  // Read as named by another control's text (a label beside it), and with a value that is
  // another control's text (the number shown next to a bar).
  Control* accessibleLabel() const { return accessibleLabel_; }
  void setAccessibleLabel(Control* label) { accessibleLabel_ = label; }
  Control* accessibleValue() const { return accessibleValue_; }
  void setAccessibleValue(Control* source) { accessibleValue_ = source; }
  // An event about an element of the control's tree (fw/accessible.h).
  void raiseAccessibleEvent(unsigned event, access::ElementId element) { peer_->accessibleEvent(event, element); }
  // Reads a text out at once (a new call), about an element of the control's tree.
  void announce(const std::string& text, access::ElementId about) { peer_->announce(text, about); }

  NotifyEvent onClick;
  MouseEvent onMouseUp;
  MouseButtonEvent onMouseDown;
  MouseMoveEvent onMouseMove;
  KeyEvent onKeyDown;
  KeyPressEvent onKeyPress;

  // Called by the backend on the GUI thread.
  void handleClick();
  virtual void handleMouseUp(MouseButton button, Point at);
  void handleContextMenu(Point screen);
  virtual void handleResize();

  // Input, as the platform delivers it to this control's window (client coordinates). The
  // defaults are the framework's own handling: they raise the events above. A double click
  // arrives as a second press.
  virtual void handleMouseDown(MouseButton button, ShiftState shift, Point at);
  virtual void handleMouseMove(ShiftState shift, Point at);
  // Returns true when the key or character is eaten: the window's own handling (an edit
  // control's typing) is then skipped. The defaults eat what a handler set to 0.
  virtual bool handleKeyDown(int& key, ShiftState shift);
  virtual bool handleKeyPress(char& key);
  // The window's own scroll bars. For the thumb codes the position is the bar's full 32-bit
  // tracking position.
  virtual void handleScroll(ScrollBar /*bar*/, int /*code*/, int /*position*/) {}
  // Returns true when the control scrolled; the message then goes no further.
  virtual bool handleMouseWheel(int /*delta*/, ShiftState /*shift*/, Point /*at*/) { return false; }
  // The keyboard focus came or went; `next` is the control that gets it (null: none of ours).
  virtual void handleFocusGained() {}
  virtual void handleFocusLost(Control* /*next*/) {}
  // Keys the dialog manager would otherwise take for moving the focus (arrows, Tab) that the
  // control wants for itself. Characters always reach a control that wants them
  // (wantsCharacters), never a mnemonic.
  virtual bool wantsNavigationKey(int /*key*/) const { return false; }
  virtual bool wantsCharacters() const { return false; }

  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
  void loaded() override;
  // While held, the window waits: new bounds and fonts are only recorded. When the hold ends
  // the control sizes itself to its content (propertiesApplied), then its window gets its font
  // and its place, once each. A layout sets Left, Top, Width, Height and the font's fields one
  // by one: one move and one font instead of a handful of each.
  void holdWindow(bool hold);
  // Places the windows of this control and those inside it whose bounds still wait: an aligned
  // control's wait for its parent's alignment, which may never move it (end of loading).
  void placeWaitingWindows();
  // A control made while one of these lives starts held, so that not even the font it takes
  // from its parent when made reaches its window before the layout's own (the layout reader).
  class MadeHeld {
   public:
    MadeHeld();
    ~MadeHeld();
    MadeHeld(const MadeHeld&) = delete;
    MadeHeld& operator=(const MadeHeld&) = delete;
  };

  // The density the control is laid out at: its form's (the screen's for a control outside
  // a form).
  virtual int dpi() const;
  // Lays the control out again at another density: its font, its bounds and its children, each
  // value from its layout's design value where it still has it (fw/scale.h), then its size to
  // its content. Forms call it when their window changes screens.
  virtual void changeScale(int oldDpi, int newDpi);

 protected:
  // The font and the children at the new density, without the control's own bounds.
  void scaleContent(int oldDpi, int newDpi);
  // The design height of the control's own font, for a font a control sets itself.
  void setDesignFontHeight(int h) { designFontHeight_ = h; }
  int designWidth() const { return designWidth_; }
  int designHeight() const { return designHeight_; }
  // Sizes the control to its content (labels); called when automatic sizing is on.
  virtual void fitToContent() {}
  // The layout's properties are all applied and the window still waits for them: a size that
  // follows from them is worked out here, so that the window is placed once.
  virtual void propertiesApplied();
  // The control's font changed (set, or taken over from the parent).
  virtual void fontChanged() {}
  void setBoundsQuietly(const Rect& r);
  // Gives the window bounds that wait, held or not.
  void placeWindowNow();
  // Records bounds that the window already has (moved or sized from outside).
  void noteBounds(const Rect& r) { bounds_ = r; }

 private:
  void inheritFont(const Font& f);

  Control* parent_;
  std::vector<Control*> children_;
  std::unique_ptr<WidgetPeer> peer_;
  Rect bounds_;
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  bool parentFont_ = true;
  bool autoSize_ = false;
  bool loading_ = true;
  bool windowHeld_ = false;
  bool boundsPending_ = false;
  bool fontPending_ = false;
  bool scaling_ = false;  // changeScale is at work on this control
  bool showHint_ = false;
  std::string hint_;
  std::string accessibleName_;
  Control* accessibleLabel_ = nullptr;
  Control* accessibleValue_ = nullptr;
  Font font_;
  Align align_ = Align::None;
  PopupMenu* popupMenu_ = nullptr;
  int cursor_ = 0;
  // The layout's values in design pixels (kNoDesign: none).
  int designLeft_;
  int designTop_;
  int designWidth_;
  int designHeight_;
  int designFontHeight_;
};

// Applies one stored font field (the part after "Font.": Name, Height, Charset, Color, Style);
// for a control's own font and for the other fonts a component keeps.
void applyFontProperty(Font& font, std::string_view field, const LayoutProperty& p, LoadContext& ctx);

}  // namespace fw
