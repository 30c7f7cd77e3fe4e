#pragma once
// Where each object of a 3MF stands: in rows on a square printer bed, and on
// further beds beside the first when they do not all fit on one.

#include "export/MeshFiles.h"

#include <vector>

namespace tessaro {

// Sets every object's `place` (its lowest corner) in reading order: rows along
// X from the bed's corner, `gapMm` apart, a new row when the next would leave
// the bed, a new bed (one bed and a gap further along X) when a row would. The
// tray, last, thus stands beside the blocks when there is room, else alone.
// Returns how many beds are used.
int arrangeOnBeds(std::vector<MeshObject>& objects, double bedMm, double gapMm = 5.0);

}  // namespace tessaro
