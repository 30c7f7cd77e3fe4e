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
    int32_t color = 0; // 0x00BBGGRR
    Mesh mesh;
};

// The objects side by side on the build plate in millimetres, `gapMm` apart.
// False with the reason in `error`.
bool threeMf(const std::vector<MeshObject>& objects, std::string& bytes, std::string& error, double gapMm = 5.0);
bool write3mf(const std::vector<MeshObject>& objects, const std::string& path, std::string& error,
              double gapMm = 5.0);

}  // namespace tessaro
