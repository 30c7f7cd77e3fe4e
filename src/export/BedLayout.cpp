#include "export/BedLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessaro {

namespace {

struct Footprint {
    double w = 0, d = 0;
};

// Shelf placement; false for every object that found no place.
std::vector<bool> shelve(const std::vector<Footprint>& size, const std::vector<size_t>& order, double bed,
                         double margin, double gap, std::vector<Vec3>* at) {
    std::vector<bool> placed(size.size(), false);
    const double far = bed - margin + 1e-9;
    double x = margin, y = margin, rowDepth = 0;
    for (size_t i : order) {
        const Footprint& f = size[i];
        if (x > margin && x + f.w > far) {
            y += rowDepth + gap;
            x = margin;
            rowDepth = 0;
        }
        if (x + f.w > far || y + f.d > far) continue;
        if (at) (*at)[i] = {x, y, 0};
        placed[i] = true;
        x += f.w + gap;
        rowDepth = std::max(rowDepth, f.d);
    }
    return placed;
}

}  // namespace

BedFit layOutOnBed(std::vector<MeshObject>& objects, double bedMm, double marginMm, double gapMm) {
    std::vector<Footprint> size(objects.size());
    std::vector<Bounds> bounds(objects.size());
    std::vector<size_t> order;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].mesh.empty()) continue;
        bounds[i] = meshBounds(objects[i].mesh);
        size[i] = {bounds[i].max.x - bounds[i].min.x, bounds[i].max.y - bounds[i].min.y};
        order.push_back(i);
    }
    // Deepest first keeps each row's depth close to what its objects need.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return size[a].d > size[b].d + 1e-9; });

    std::vector<Vec3> at(objects.size());
    const std::vector<bool> placed = shelve(size, order, bedMm, marginMm, gapMm, &at);
    BedFit fit;
    for (size_t i : order)
        if (placed[i])
            objects[i].place = {at[i].x - bounds[i].min.x, at[i].y - bounds[i].min.y, -bounds[i].min.z};
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].mesh.empty() || placed[i]) continue;
        fit.left.push_back(objects[i].name);
        if (std::max(size[i].w, size[i].d) > bedMm - 2 * marginMm + 1e-9) fit.tooLarge.push_back(objects[i].name);
    }
    if (fit.fits()) {
        fit.bedNeeded = bedMm;
        return fit;
    }
    double widest = 0;
    for (const Footprint& f : size) widest = std::max({widest, f.w, f.d});
    for (double side = std::ceil(widest + 2 * marginMm);; side += 1) {
        const std::vector<bool> all = shelve(size, order, side, marginMm, gapMm, nullptr);
        if (std::all_of(order.begin(), order.end(), [&](size_t i) { return bool(all[i]); })) {
            fit.bedNeeded = side;
            return fit;
        }
    }
}

}  // namespace tessaro
