#pragma once
// A mesh grown triangle by triangle, each corner stored once however many
// triangles share it, so the surface's edges pair up.

#include "export/BlockMesh.h"

#include <map>
#include <tuple>

namespace tessaro {

class MeshBuilder {
public:
    uint32_t vertex(const Vec3& v) {
        auto [it, added] = index_.try_emplace(std::make_tuple(v.x, v.y, v.z), 0u);
        if (added) {
            it->second = static_cast<uint32_t>(mesh_.vertices.size());
            mesh_.vertices.push_back(v);
        }
        return it->second;
    }
    void triangle(uint32_t a, uint32_t b, uint32_t c) { mesh_.triangles.push_back({a, b, c}); }
    Mesh take() { return std::move(mesh_); }

private:
    Mesh mesh_;
    std::map<std::tuple<double, double, double>, uint32_t> index_;
};

}  // namespace tessaro
