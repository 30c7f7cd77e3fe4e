// Printable blocks: what a slicer needs (closed, outward, right volume and size)
// checked on the files as written, and the 3MF read back with lib3mf.
#include "ExportTempDir.h"
#include "export/BedLayout.h"
#include "export/BlockMesh.h"
#include "export/Export.h"
#include "export/PrintParts.h"
#include "export/MeshFiles.h"
#include "model/Figure.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

using namespace tessaro;
using test::TempDir;
namespace fs = std::filesystem;

namespace {

using Point = std::tuple<float, float, float>;
struct Triangle {
    Point v[3];
};

std::vector<Triangle> readStl(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Triangle> out;
    if (data.size() < 84) return out;
    uint32_t n;
    std::memcpy(&n, data.data() + 80, 4);
    EXPECT_EQ(data.size(), 84 + 50 * size_t(n)) << path;
    for (uint32_t i = 0; i < n && 84 + 50 * size_t(i + 1) <= data.size(); ++i) {
        float f[12];
        std::memcpy(f, data.data() + 84 + 50 * size_t(i), sizeof f);
        out.push_back({{{f[3], f[4], f[5]}, {f[6], f[7], f[8]}, {f[9], f[10], f[11]}}});
    }
    return out;
}

// Every directed edge once and its reverse once: closed and consistently wound.
bool closedAndConsistent(const std::vector<Triangle>& tris) {
    std::map<std::pair<Point, Point>, int> edges;
    for (const Triangle& t : tris)
        for (int k = 0; k < 3; ++k) ++edges[{t.v[k], t.v[(k + 1) % 3]}];
    for (const auto& [e, n] : edges) {
        const auto back = edges.find({e.second, e.first});
        if (n != 1 || back == edges.end() || back->second != 1) return false;
    }
    return !tris.empty();
}

double signedVolume(const std::vector<Triangle>& tris) {
    double v = 0;
    for (const Triangle& t : tris) {
        auto [ax, ay, az] = t.v[0];
        auto [bx, by, bz] = t.v[1];
        auto [cx, cy, cz] = t.v[2];
        v += (double(ax) * (double(by) * cz - double(bz) * cy) - double(ay) * (double(bx) * cz - double(bz) * cx) +
              double(az) * (double(bx) * cy - double(by) * cx)) / 6.0;
    }
    return v;
}

struct Box3 {
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
};
Box3 boundsOf(const std::vector<Triangle>& tris) {
    Box3 b;
    for (const Triangle& t : tris)
        for (const Point& p : t.v) {
            const double c[3] = {std::get<0>(p), std::get<1>(p), std::get<2>(p)};
            for (int a = 0; a < 3; ++a) b.lo[a] = std::min(b.lo[a], c[a]), b.hi[a] = std::max(b.hi[a], c[a]);
        }
    return b;
}

// Extent of block b in cells along the view's x, y, z.
std::array<int, 3> extentOf(const Puzzle& p, int b) {
    int lo[3] = {9, 9, 9}, hi[3] = {-1, -1, -1};
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (p.piece(b, x, y, z)) {
                    const int c[3] = {x, y, z};
                    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
                }
    return {hi[0] - lo[0] + 1, hi[1] - lo[1] + 1, hi[2] - lo[2] + 1};
}


// Pairs of cells meeting along an edge with both cells beside that edge empty.
int edgeContacts(const Puzzle& p, int b) {
    auto f = [&](int x, int y, int z) {
        return x >= 0 && y >= 0 && z >= 0 && x < kGrid && y < kGrid && z < kGrid && p.piece(b, x, y, z) != 0;
    };
    int n = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                for (int a = 0; a < 3; ++a)
                    for (int sb : {-1, 1}) {
                        // Only the partner with the higher first non-zero step, so each pair counts once.
                        int d[3] = {0, 0, 0};
                        d[(a + 1) % 3] = 1;
                        d[(a + 2) % 3] = sb;
                        const int q[3] = {x + d[0], y + d[1], z + d[2]};
                        int s1[3] = {x, y, z}, s2[3] = {x, y, z};
                        s1[(a + 1) % 3] += d[(a + 1) % 3];
                        s2[(a + 2) % 3] += d[(a + 2) % 3];
                        if (f(x, y, z) && f(q[0], q[1], q[2]) && !f(s1[0], s1[1], s1[2]) && !f(s2[0], s2[1], s2[2])) ++n;
                    }
    return n;
}

// A box chamfered on all twelve edges by e: each edge loses a right triangle
// of legs e along its length between the corners, each corner three quarters of e³.
double chamferedBox(double x, double y, double z, double e) {
    return x * y * z - e * e / 2 * 4 * (x + y + z - 6 * e) - 8 * 0.75 * e * e * e;
}

}  // namespace

TEST(BlockMesh, SampleBlocksAsStlAreClosedManifoldsWithTheirVolumeAndSize) {
    const Puzzle p = buildSamplePuzzle();
    TempDir dir;
    // Sample blocks 5 and 6 are two cubes each, apart and touching along an edge.
    EXPECT_EQ(edgeContacts(p, 4), 0);
    EXPECT_EQ(edgeContacts(p, 5), 1);
    EXPECT_EQ(blockParts(p, 0), 1);
    EXPECT_EQ(blockParts(p, 4), 2);
    EXPECT_EQ(blockParts(p, 5), 2);
    for (auto [clearance, bevel] : {std::pair{0.2, 0.0}, {0.0, 0.0}, {1.5, 0.0}, {0.0, 1.0}, {0.3, 1.5}}) {
        MeshSizes sizes;
        sizes.cubeMm = 10;
        sizes.clearanceMm = clearance;
        sizes.bevelMm = bevel;
        ASSERT_EQ(meshSizesRefusal(sizes), "");
        for (int b = 0; b < 7; ++b) {
            SCOPED_TRACE("block " + std::to_string(b + 1) + ", clearance " + std::to_string(clearance) + ", bevel " +
                         std::to_string(bevel));
            std::string error;
            std::string name = "b";  // not "b" + ...: g++ 12 warns falsely of overlap at -O2
            name += std::to_string(b) + ".stl";
            const std::string file = dir / name;
            ASSERT_TRUE(writeBinaryStl(blockMesh(p, b, sizes), "test", file, error)) << error;
            const auto tris = readStl(file);
            EXPECT_TRUE(closedAndConsistent(tris));

            const int cells = fncPiece_Count(p, b);
            const double full = cells * 1000.0;
            const double volume = signedVolume(tris);
            if (clearance == 0 && bevel == 0) {
                // Cells touching along an edge each lose a chamfer of kSmallestCutMm there.
                const double e = kSmallestCutMm;
                EXPECT_NEAR(volume, full - edgeContacts(p, b) * e * e * 10, 1e-4);
            } else {
                // Each outer face loses at most its area times the clearance, each cell edge
                // at most its chamfer.
                const double e = bevel;
                EXPECT_LT(volume, full);
                EXPECT_GT(volume, full - cells * (6 * 100.0 * clearance + 12 * 10 * e * e / 2));
            }
            // Printer X, Y, Z are the view's x, z and y; the outermost faces move in by the clearance.
            const auto ext = extentOf(p, b);
            const Box3 box = boundsOf(tris);
            const int along[3] = {ext[0], ext[2], ext[1]};
            for (int a = 0; a < 3; ++a) {
                EXPECT_NEAR(box.lo[a], 0.0, 1e-4);
                EXPECT_NEAR(box.hi[a], along[a] * 10.0 - 2 * clearance, 1e-4);
            }
        }
    }
}

TEST(BlockMesh, BevelledBoxesHaveTheVolumeOfTheirChamfers) {
    Puzzle p{};
    p.piece(0, 0, 0, 0) = 1;
    p.piece(1, 0, 0, 0) = p.piece(1, 1, 0, 0) = 1;
    MeshSizes sizes{17, 0.3, 0, 1.5};
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeBinaryStl(blockMesh(p, 0, sizes), "cube", dir / "cube.stl", error));
    auto tris = readStl(dir / "cube.stl");
    EXPECT_TRUE(closedAndConsistent(tris));
    EXPECT_NEAR(signedVolume(tris), chamferedBox(16.4, 16.4, 16.4, 1.5), 1e-2);
    sizes = {10, 0, 0, 1};
    ASSERT_TRUE(writeBinaryStl(blockMesh(p, 1, sizes), "rod", dir / "rod.stl", error));
    tris = readStl(dir / "rod.stl");
    EXPECT_TRUE(closedAndConsistent(tris));
    EXPECT_NEAR(signedVolume(tris), chamferedBox(20, 10, 10, 1), 1e-3);
}

TEST(BlockMesh, EveryBlockOfAFullBoxIsAClosedManifoldAtEverySetting) {
    // Random blocks with holes, edge and corner contacts, overhangs and concave corners.
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 6; ++round) {
        Puzzle p{};
        for (int z = 0; z < kGrid; ++z)
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x) p.piece(0, x, y, z) = (next() >> 16) % 5 < 2 ? 1 : 0;
        for (auto [clearance, bevel] : {std::pair{0.0, 0.0}, {0.0, 1.0}, {0.4, 2.0}}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", clearance " + std::to_string(clearance) + ", bevel " +
                         std::to_string(bevel));
            TempDir dir;
            std::string error;
            ASSERT_TRUE(writeBinaryStl(blockMesh(p, 0, {10, clearance, 0, bevel}), "r", dir / "r.stl", error));
            const auto tris = readStl(dir / "r.stl");
            EXPECT_TRUE(closedAndConsistent(tris));
            const double full = fncPiece_Count(p, 0) * 1000.0;
            EXPECT_LE(signedVolume(tris), full + 1e-3);
            EXPECT_GT(signedVolume(tris), 0.5 * full);
        }
    }
}

TEST(BlockMesh, PrintedBlockIsNotTheMirrorImage) {
    // Cells (0,0,0), (1,0,0), (0,1,0), (0,0,1): right, down, towards the viewer.
    // On the printer: +X, -Z (down), -Y (towards the viewer), so the corner cube
    // is at high Y and high Z, and the X arm runs along the top at the back.
    Puzzle p{};
    p.piece(0, 0, 0, 0) = p.piece(0, 1, 0, 0) = p.piece(0, 0, 1, 0) = p.piece(0, 0, 0, 1) = 1;
    MeshSizes sizes;
    sizes.clearanceMm = 0;
    const Mesh mesh = blockMesh(p, 0, sizes);
    // The X arm's far end is a square at x = 20 spanning y and z in [10, 20].
    int farFace = 0;
    for (const Vec3& v : mesh.vertices)
        if (v.x == 20) {
            EXPECT_GE(v.y, 10);
            EXPECT_GE(v.z, 10);
            ++farFace;
        }
    EXPECT_GT(farFace, 0);
}

TEST(BlockMesh, TrayIsAClosedOpenTopBoxAroundTheCells) {
    Puzzle p = buildSamplePuzzle();
    p.G_iCells_X = 2, p.G_iCells_Y = 3, p.G_iCells_Z = 4;
    MeshSizes sizes;
    sizes.cubeMm = 10;
    sizes.trayWallMm = 2;
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeBinaryStl(trayMesh(p, sizes), "tray", dir / "tray.stl", error));
    const auto tris = readStl(dir / "tray.stl");
    EXPECT_TRUE(closedAndConsistent(tris));
    // Outside 24 x 44 x 32 (x, depth from z, height from y plus the floor), less the 20 x 40 x 30 hollow.
    EXPECT_NEAR(signedVolume(tris), 24.0 * 44 * 32 - 20.0 * 40 * 30, 1e-2);
    const Box3 box = boundsOf(tris);
    EXPECT_NEAR(box.hi[0], 24, 1e-4);
    EXPECT_NEAR(box.hi[1], 44, 1e-4);
    EXPECT_NEAR(box.hi[2], 32, 1e-4);
    sizes.trayWallMm = 0;
    EXPECT_TRUE(trayMesh(p, sizes).empty());
}

TEST(BlockMesh, SizesOutsideWhatPrintsAreRefused) {
    EXPECT_EQ(meshSizesRefusal(MeshSizes{}), "");
    EXPECT_NE(meshSizesRefusal({-10, 0.2, 0}), "");
    EXPECT_NE(meshSizesRefusal({10, -0.1, 0}), "");
    EXPECT_NE(meshSizesRefusal({10, 3, 0}), "");  // more than a quarter of the cube
    EXPECT_NE(meshSizesRefusal({10, 0.2, -1}), "");
    EXPECT_NE(meshSizesRefusal({NAN, 0.2, 0}), "");
    EXPECT_EQ(meshSizesRefusal({10, 0, 0}), "");
    EXPECT_NE(meshSizesRefusal({10, 0.001, 0}), "");   // too thin for the files' precision
    EXPECT_NE(meshSizesRefusal({10, 0.2, 0, 2.5}), "");  // chamfers of opposite edges would meet
    EXPECT_EQ(meshSizesRefusal({10, 0.2, 0, 2.4}), "");
}

// Cells in view coordinates (x right, y down, z away) as block 0 of a puzzle.
Puzzle blockOf(std::initializer_list<std::array<int, 3>> cells) {
    Puzzle p{};
    for (const auto& c : cells) p.piece(0, c[0], c[1], c[2]) = 1;
    return p;
}

TEST(PrintOrientation, BlocksTurnToTheFaceThatNeedsTheLeastSupport) {
    const MeshSizes sizes;  // 10 mm cubes, 0.2 mm clearance
    // An L tricube standing up, its arm hanging out at the top: it lies flat.
    PrintSet set = printParts(blockOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), sizes, false, 190);
    ASSERT_EQ(set.parts.size(), 1u);
    // What hangs reaches in over the clearance taken off the cube below.
    EXPECT_NEAR(set.blocks[0].overAirAsMade, 10 * 9.6, 1e-6);
    EXPECT_NEAR(set.blocks[0].overAir, 0, 1e-9);
    Bounds b = meshBounds(set.parts[0].mesh);
    EXPECT_NEAR(b.max.z, 9.6, 1e-9);
    EXPECT_NEAR(b.max.x, 19.6, 1e-9);  // the long side along X
    EXPECT_NEAR(b.min.z, 0, 1e-12);

    // A 3D cross with one arm twice as long has no rotation without support:
    // lying, three arms hang (one of them long); standing on the long arm's end, four short ones.
    const Puzzle cross = blockOf({{1, 1, 1}, {0, 1, 1}, {2, 1, 1}, {3, 1, 1}, {1, 0, 1}, {1, 2, 1}, {1, 1, 0}, {1, 1, 2}});
    set = printParts(cross, sizes, false, 190);
    const double arm = 10 * 9.6;
    EXPECT_NEAR(set.blocks[0].overAirAsMade, 3 * arm + 20 * 9.6, 1e-6);
    EXPECT_NEAR(set.blocks[0].overAir, 4 * arm, 1e-6);
    EXPECT_NEAR(meshBounds(set.parts[0].mesh).max.z, 39.6, 1e-9);
    // As made it keeps its orientation.
    set = printParts(cross, sizes, true, 190);
    EXPECT_NEAR(set.blocks[0].overAir, set.blocks[0].overAirAsMade, 1e-9);

    // Chamfered at 45° the turned L still needs nothing, and every rotation is a closed mesh.
    TempDir dir;
    std::string error;
    const Mesh bevelled = blockMesh(cross, 0, {10, 0.3, 0, 1.5});
    for (int r = 0; r < kRotations; ++r) {
        ASSERT_TRUE(writeBinaryStl(rotated(bevelled, r), "r", dir / "r.stl", error)) << error;
        EXPECT_TRUE(closedAndConsistent(readStl(dir / "r.stl"))) << "rotation " << r;
    }
    set = printParts(blockOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), {10, 0.3, 0, 1.5}, false, 190);
    EXPECT_NEAR(set.blocks[0].overAir, 0, 1e-9);
    EXPECT_GT(set.blocks[0].overAirAsMade, 50);

    // A bar longer than the bed is wide stands up rather than lying off the bed.
    set = printParts(blockOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), {40, 0.2, 0, 0}, false, 140);
    b = meshBounds(set.parts[0].mesh);
    EXPECT_LE(std::max(b.max.x, b.max.y), 140);
    EXPECT_NEAR(b.max.z, 159.6, 1e-9);
}

TEST(PrintOrientation, ALooseBlockIsWrittenAsPiecesEachOnTheBed) {
    // The sample's block 5: two cubes that share no face, one far above the other.
    const Puzzle p = buildSamplePuzzle();
    for (bool asMade : {false, true}) {
        const PrintSet set = printParts(p, MeshSizes{}, asMade, 190);
        std::vector<std::string> names;
        for (const PrintPart& part : set.parts)
            if (part.block == 4) {
                names.push_back(part.file + " " + part.name);
                EXPECT_NEAR(meshBounds(part.mesh).min.z, 0, 1e-12);
                EXPECT_NEAR(meshBounds(part.mesh).max.z, 9.6, 1e-9);
                EXPECT_NEAR(part.overAir, 0, 1e-9);
            }
        EXPECT_EQ(names, (std::vector<std::string>{"block5-a ブロック 5-a", "block5-b ブロック 5-b"}));
    }
    TempDir dir;
    ExportRequest r;
    r.stlDir = dir / "stl";
    const ExportOutcome out = exportPuzzle(p, r, nullptr);
    ASSERT_EQ(out.status, ExportStatus::Written) << out.message;
    EXPECT_FALSE(fs::exists(dir / "stl/block5.stl"));
    for (const char* f : {"stl/block5-a.stl", "stl/block5-b.stl", "stl/block6-a.stl", "stl/block6-b.stl"}) {
        const auto tris = readStl(dir / f);
        EXPECT_TRUE(closedAndConsistent(tris)) << f;
        EXPECT_NEAR(boundsOf(tris).lo[2], 0, 1e-6) << f;
    }
    ASSERT_EQ(out.warnings.size(), 2u);
    EXPECT_EQ(out.warnings[0], "ブロック 5 は面でつながっていないため、2 個の部品（block5-a、block5-b）に分けて書き出しました。"
                               "辺や角だけで接するキューブは別の部品です。");
    // The files an earlier export wrote for pieces count as its block files.
    std::ofstream(dir / "stl/block8-c.stl") << "old";
    EXPECT_EQ(staleExportFiles(p, r), std::vector<std::string>{dir / "stl/block8-c.stl"});
}

TEST(BedLayout, ObjectsKeepTheMarginNeverOverlapAndAreRefusedWhenTheyDoNotFit) {
    const Puzzle p = buildSamplePuzzle();
    const PrintSet set = printParts(p, {15, 0.2, 0, 0}, false, 190);
    std::vector<MeshObject> objects;
    for (const PrintPart& part : set.parts) objects.push_back({part.name, 0, part.mesh, {}});
    objects.push_back({"トレイ", 0, trayMesh(p, {15, 0.2, 2, 0}), {}});
    auto onBed = [&](double bed, double margin) {
        std::vector<Bounds> at;
        for (const MeshObject& o : objects) {
            const Bounds b = meshBounds(o.mesh);
            at.push_back({{b.min.x + o.place.x, b.min.y + o.place.y, b.min.z + o.place.z},
                          {b.max.x + o.place.x, b.max.y + o.place.y, b.max.z + o.place.z}});
            EXPECT_NEAR(at.back().min.z, 0, 1e-9) << o.name;
            EXPECT_GE(at.back().min.x, margin - 1e-9) << o.name;
            EXPECT_GE(at.back().min.y, margin - 1e-9) << o.name;
            EXPECT_LE(at.back().max.x, bed - margin + 1e-9) << o.name;
            EXPECT_LE(at.back().max.y, bed - margin + 1e-9) << o.name;
        }
        for (size_t i = 0; i < at.size(); ++i)
            for (size_t j = i + 1; j < at.size(); ++j)
                EXPECT_TRUE(at[i].max.x <= at[j].min.x || at[j].max.x <= at[i].min.x || at[i].max.y <= at[j].min.y ||
                            at[j].max.y <= at[i].min.y)
                    << objects[i].name << " / " << objects[j].name;
    };
    BedFit fit = layOutOnBed(objects, 200, 5);
    EXPECT_TRUE(fit.fits());
    onBed(200, 5);

    fit = layOutOnBed(objects, 80, 5);
    ASSERT_FALSE(fit.fits());
    // The size it names holds everything, with the same margin.
    fit = layOutOnBed(objects, fit.bedNeeded, 5);
    EXPECT_TRUE(fit.fits());
    onBed(fit.bedNeeded, 5);
    EXPECT_FALSE(layOutOnBed(objects, fit.bedNeeded - 1, 5).fits());
}

TEST(ThreeMf, EveryBlockIsItsOwnOpaqueObjectOnTheBedAndReadsBack) {
    const Puzzle p = buildSamplePuzzle();
    MeshSizes sizes;
    sizes.cubeMm = 15;  // too many for one row on a 200 mm bed
    sizes.trayWallMm = 2;
    std::vector<MeshObject> objects;
    for (int b = 0; b < 7; ++b)
        objects.push_back({"ブロック " + std::to_string(b + 1), pieceColor(b + 1, 0), blockMesh(p, b, sizes), {}});
    objects.push_back({"トレイ", 0xF0F0F0, trayMesh(p, sizes), {}});
    ASSERT_TRUE(layOutOnBed(objects, 200, 5).fits());
    EXPECT_GT(objects.back().place.y, 0);  // the tray in a later row
    TempDir dir;
    std::string error;
    ASSERT_TRUE(write3mf(objects, dir / "all.3mf", error)) << error;

    using namespace NMR;
    PLib3MFModel* model = nullptr;
    ASSERT_EQ(lib3mf_createmodel(&model), LIB3MF_OK);
    PLib3MFModelReader* reader = nullptr;
    ASSERT_EQ(lib3mf_model_queryreader(model, "3mf", &reader), LIB3MF_OK);
    ASSERT_EQ(lib3mf_reader_readfromfileutf8(reader, (dir / "all.3mf").c_str()), LIB3MF_OK);
    PLib3MFModelResourceIterator* it = nullptr;
    ASSERT_EQ(lib3mf_model_getmeshobjects(model, &it), LIB3MF_OK);
    size_t count = 0;
    BOOL more = false;
    while (lib3mf_resourceiterator_movenext(it, &more) == LIB3MF_OK && more) {
        PLib3MFModelResource* res = nullptr;
        ASSERT_EQ(lib3mf_resourceiterator_getcurrent(it, &res), LIB3MF_OK);
        ASSERT_LT(count, objects.size());
        char name[64] = {};
        ULONG needed = 0;
        lib3mf_object_getnameutf8(res, name, sizeof name, &needed);
        EXPECT_EQ(std::string(name), objects[count].name);
        DWORD triangles = 0;
        lib3mf_meshobject_gettrianglecount(res, &triangles);
        EXPECT_EQ(triangles, objects[count].mesh.triangles.size());
        BOOL manifold = false;
        lib3mf_meshobject_ismanifoldandoriented(res, &manifold);
        EXPECT_TRUE(manifold) << name;
        PLib3MFDefaultPropertyHandler* props = nullptr;
        ASSERT_EQ(lib3mf_object_createdefaultpropertyhandler(res, &props), LIB3MF_OK);
        DWORD group = 0, index = 0;
        EXPECT_EQ(lib3mf_defaultpropertyhandler_getbasematerial(props, &group, &index), LIB3MF_OK) << name;
        EXPECT_EQ(index, count);
        PLib3MFModelBaseMaterial* materials = nullptr;
        ASSERT_EQ(lib3mf_model_getbasematerialbyid(model, group, &materials), LIB3MF_OK);
        BYTE r = 0, g = 0, b = 0, alpha = 0;
        ASSERT_EQ(lib3mf_basematerial_getdisplaycolor(materials, index, &r, &g, &b, &alpha), LIB3MF_OK);
        EXPECT_EQ(alpha, 255) << name;
        EXPECT_EQ(r | g << 8 | b << 16, objects[count].color) << name;
        lib3mf_release(materials);
        lib3mf_release(props);
        lib3mf_release(res);
        ++count;
    }
    EXPECT_EQ(count, objects.size());
    lib3mf_release(it);

    // Every object, moved to where its build item puts it, lies on the 200 mm bed within its margin.
    PLib3MFModelBuildItemIterator* items = nullptr;
    ASSERT_EQ(lib3mf_model_getbuilditems(model, &items), LIB3MF_OK);
    size_t placed = 0;
    while (lib3mf_builditemiterator_movenext(items, &more) == LIB3MF_OK && more) {
        PLib3MFModelBuildItem* item = nullptr;
        ASSERT_EQ(lib3mf_builditemiterator_getcurrent(items, &item), LIB3MF_OK);
        MODELTRANSFORM t{};
        ASSERT_EQ(lib3mf_builditem_getobjecttransform(item, &t), LIB3MF_OK);
        PLib3MFModelObjectResource* object = nullptr;
        ASSERT_EQ(lib3mf_builditem_getobjectresource(item, &object), LIB3MF_OK);
        DWORD vertices = 0;
        lib3mf_meshobject_getvertexcount(object, &vertices);
        for (DWORD v = 0; v < vertices; ++v) {
            MODELMESHVERTEX at{};
            lib3mf_meshobject_getvertex(object, v, &at);
            for (int axis = 0; axis < 2; ++axis) {
                const float onBed = at.m_fPosition[axis] + t.m_fFields[axis][3];
                EXPECT_GE(onBed, 5 - 1e-3f);
                EXPECT_LE(onBed, 195.001f);
            }
        }
        lib3mf_release(object);
        lib3mf_release(item);
        ++placed;
    }
    EXPECT_EQ(placed, objects.size());
    lib3mf_release(items);
    lib3mf_release(reader);
    lib3mf_release(model);
}
