// The grid's keyboard: the three key tables, Enter's commit and advance, automatic rows and
// typing into the current cell.
#include "cell_grid.h"

namespace grid {

bool TCellGrid::handleKeyDown(int& key, fw::ShiftState shift) { return fw::CustomControl::handleKeyDown(key, shift); }
bool TCellGrid::handleKeyPress(char& key) { return fw::CustomControl::handleKeyPress(key); }
bool TCellGrid::wantsNavigationKey(int key) const { return key >= vk::Left && key <= vk::Down; }

}  // namespace grid
