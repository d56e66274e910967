// What assistive technology (screen readers) reads from a self-painted control: a tree of
// elements with roles, names, values, states and places, computed from the control's own
// state when asked. Platform-free: the win32 backend serves it as IAccessible objects, tests
// call it directly. Roles, states, directions and events are numbered as the platform's
// (Microsoft Active Accessibility), so the backend passes them through unchanged.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fw/geometry.h"

namespace fw::access {

namespace role {
inline constexpr int Client = 0x0A;
inline constexpr int Table = 0x18;
inline constexpr int ColumnHeader = 0x19;
inline constexpr int Row = 0x1C;
inline constexpr int Cell = 0x1D;
inline constexpr int StaticText = 0x29;
inline constexpr int CheckButton = 0x2C;
inline constexpr int ProgressBar = 0x30;
}  // namespace role

namespace state {
inline constexpr unsigned Unavailable = 0x1;
inline constexpr unsigned Selected = 0x2;
inline constexpr unsigned Focused = 0x4;
inline constexpr unsigned Checked = 0x10;
inline constexpr unsigned ReadOnly = 0x40;
inline constexpr unsigned Invisible = 0x8000;
inline constexpr unsigned Offscreen = 0x10000;
inline constexpr unsigned Focusable = 0x100000;
inline constexpr unsigned Selectable = 0x200000;
inline constexpr unsigned ExtSelectable = 0x2000000;
inline constexpr unsigned MultiSelectable = 0x1000000;
}  // namespace state

enum class Nav { Up = 1, Down = 2, Left = 3, Right = 4, Next = 5, Previous = 6, FirstChild = 7, LastChild = 8 };

namespace event {
inline constexpr unsigned Show = 0x8002;
inline constexpr unsigned Reorder = 0x8004;
inline constexpr unsigned Focus = 0x8005;
inline constexpr unsigned Selection = 0x8006;
inline constexpr unsigned SelectionWithin = 0x8009;
inline constexpr unsigned NameChange = 0x800C;
inline constexpr unsigned ValueChange = 0x800E;
}  // namespace event

// An element of a control's tree. 0 is the control itself; the model numbers the others,
// each with a value of its own (negative), and the same numbers name them in events, so that a
// client can ask the control for the element an event was about.
using ElementId = int;
inline constexpr ElementId kSelf = 0;

class Model {
 public:
  virtual ~Model() = default;

  // False for a number that names nothing (any longer).
  virtual bool exists(ElementId id) const = 0;
  virtual int childCount(ElementId id) const = 0;
  // index from 0 to childCount - 1.
  virtual ElementId child(ElementId id, int index) const = 0;
  // None for the control itself.
  virtual std::optional<ElementId> parent(ElementId id) const = 0;
  virtual int role(ElementId id) const = 0;
  // Windows-1254, as every text of the program.
  virtual std::string name(ElementId id) const = 0;
  virtual std::string value(ElementId id) const = 0;
  virtual unsigned state(ElementId id) const = 0;
  // Client coordinates of the control; empty for an element that has no place.
  virtual Rect location(ElementId id) const = 0;
  // The element in that direction from `from` (children for FirstChild and LastChild).
  virtual std::optional<ElementId> navigate(ElementId from, Nav direction) const = 0;
  // The deepest element under a client point; none outside the control.
  virtual std::optional<ElementId> hitTest(Point client) const = 0;
  // The element that has the keyboard focus inside the control, when the control has it.
  virtual std::optional<ElementId> focus() const = 0;
  virtual std::vector<ElementId> selection() const = 0;
};

}  // namespace fw::access
