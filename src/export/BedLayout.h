#pragma once
// Where each object of a 3MF stands on a square printer bed: in rows, a margin
// from the bed's edges and a gap between objects, so none overlaps another or
// hangs over an edge, whatever the sizes.

#include "export/MeshFiles.h"

#include <string>
#include <vector>

namespace tessaro {

struct BedFit {
    std::vector<std::string> left;      // names of the objects that found no place, in the objects' order
    std::vector<std::string> tooLarge;  // of those, the ones wider or deeper than the bed within its margin
    double bedNeeded = 0;           // the smallest whole-mm bed side that holds them all
    bool fits() const { return left.empty(); }
};

// Sets every object's `place` (where its lowest corner stands): rows along X
// starting `marginMm` in from the corner, the deepest objects first, `gapMm`
// apart. Objects that find no place keep theirs and are named in `left`.
BedFit layOutOnBed(std::vector<MeshObject>& objects, double bedMm, double marginMm, double gapMm = 5.0);

}  // namespace tessaro
