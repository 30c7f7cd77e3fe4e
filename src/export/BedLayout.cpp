#include "export/BedLayout.h"

#include <algorithm>

namespace tessaro {

int arrangeOnBeds(std::vector<MeshObject>& objects, double bedMm, double gapMm) {
    int bed = 0;
    double x = 0, y = 0, rowDepth = 0;
    bool any = false;
    for (MeshObject& o : objects) {
        if (o.mesh.empty()) continue;
        const Bounds b = meshBounds(o.mesh);
        const double w = b.max.x - b.min.x, d = b.max.y - b.min.y;
        if (x > 0 && x + w > bedMm) {
            x = 0;
            y += rowDepth + gapMm;
            rowDepth = 0;
        }
        if (y > 0 && y + d > bedMm) {
            ++bed;
            x = y = rowDepth = 0;
        }
        o.place = {bed * (bedMm + 2 * gapMm) + x - b.min.x, y - b.min.y, -b.min.z};
        x += w + gapMm;
        rowDepth = std::max(rowDepth, d);
        any = true;
    }
    return any ? bed + 1 : 0;
}

}  // namespace tessaro
