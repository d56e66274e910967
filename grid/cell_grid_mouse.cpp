// The grid's mouse: hit zones and their cursors, presses, drags and the release.
#include "cell_grid.h"

namespace grid {

TGridCoord TCellGrid::CellAtPoint(int, int) const { return {}; }
int TCellGrid::ColumnAtX(int) const { return -1; }
int TCellGrid::RowAtY(int) const { return -1; }
THitZone TCellGrid::ZoneAt(int, int) { return hzNone; }
int TCellGrid::CursorOfZone(THitZone) { return crDefault; }
void TCellGrid::handleMouseDown(fw::MouseButton button, fw::ShiftState shift, fw::Point at) {
  fw::CustomControl::handleMouseDown(button, shift, at);
}
void TCellGrid::handleMouseMove(fw::ShiftState shift, fw::Point at) { fw::CustomControl::handleMouseMove(shift, at); }
void TCellGrid::handleMouseUp(fw::MouseButton button, fw::Point at) { fw::CustomControl::handleMouseUp(button, at); }

}  // namespace grid
