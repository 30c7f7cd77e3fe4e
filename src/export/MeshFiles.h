#pragma once
// Meshes to files a slicer reads: binary STL (one solid per file) and 3MF (one
// object per mesh, each in its own colour), made in memory; an export hands the
// bytes to StagedFiles, which writes the whole set or nothing.

#include "export/BlockMesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

std::string binaryStl(const Mesh& mesh, const std::string& header);
// One file through the safe writer; false with the reason in `error`.
bool writeBinaryStl(const Mesh& mesh, const std::string& header, const std::string& path, std::string& error);

struct MeshObject {
    std::string name;  // UTF-8
    int32_t color = 0; // 0x00BBGGRR, shown opaque
    Mesh mesh;
    Vec3 place;        // where the mesh's origin stands on the build plate (BedLayout)
};

// Each object at its place on the build plate, in millimetres. False with the reason in `error`.
bool threeMf(const std::vector<MeshObject>& objects, std::string& bytes, std::string& error);
bool write3mf(const std::vector<MeshObject>& objects, const std::string& path, std::string& error);

}  // namespace tessaro
