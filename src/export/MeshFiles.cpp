#include "export/MeshFiles.h"

#include "export/StagedFiles.h"

#include "export/ZipArchive.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tessaro {

namespace {

void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putF32(std::string& out, double v) {
    const float f = static_cast<float>(v);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    putU32(out, bits);
}

Vec3 normalOf(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
    Vec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len > 0) n = {n.x / len, n.y / len, n.z / len};
    return n;
}

// Shortest text that reads back as the same float: the same mesh, the same bytes.
void putNumber(std::string& out, double v) {
    char buf[32];
    float f = static_cast<float>(v);
    if (f == 0) f = 0;  // no "-0"
    const auto r = std::to_chars(buf, buf + sizeof buf, f);
    out.append(buf, r.ptr);
}

std::string xmlText(const std::string& s) {
    std::string out;
    for (char c : s) switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    return out;
}

std::string hexColor(int32_t bgr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02XFF", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return buf;
}

}  // namespace

std::string binaryStl(const Mesh& mesh, const std::string& header) {
    std::string out(80, ' ');
    // A binary file must not start with "solid", or readers take it for text.
    out.replace(0, std::min<size_t>(header.size(), 80), header.substr(0, 80));
    putU32(out, static_cast<uint32_t>(mesh.triangles.size()));
    for (const auto& t : mesh.triangles) {
        const Vec3 &a = mesh.vertices[t[0]], &b = mesh.vertices[t[1]], &c = mesh.vertices[t[2]];
        const Vec3 n = normalOf(a, b, c);
        for (const Vec3& v : {n, a, b, c}) {
            putF32(out, v.x);
            putF32(out, v.y);
            putF32(out, v.z);
        }
        out.append(2, '\0');
    }
    return out;
}

bool writeBinaryStl(const Mesh& mesh, const std::string& header, const std::string& path, std::string& error) {
    return saveExportFile(path, binaryStl(mesh, header), error);
}

bool write3mf(const std::vector<MeshObject>& objects, const std::string& path, std::string& error) {
    std::string bytes;
    return threeMf(objects, bytes, error) && saveExportFile(path, bytes, error);
}

bool threeMf(const std::vector<MeshObject>& objects, std::string& bytes, std::string& error) {
    // The 3MF core model alone: no UUIDs, nothing that changes from run to run.
    std::string model =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<model unit=\"millimeter\" xml:lang=\"ja-JP\" "
        "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
        " <metadata name=\"Application\">Tessaro</metadata>\n <resources>\n  <basematerials id=\"1\">\n";
    for (const MeshObject& o : objects)
        if (!o.mesh.empty())
            model += "   <base name=\"" + xmlText(o.name) + "\" displaycolor=\"" + hexColor(o.color) + "\"/>\n";
    model += "  </basematerials>\n";
    int id = 2, index = 0;
    std::string build = " <build>\n";
    for (const MeshObject& o : objects) {
        if (o.mesh.empty()) continue;
        model += "  <object id=\"" + std::to_string(id) + "\" type=\"model\" name=\"" + xmlText(o.name) +
                 "\" pid=\"1\" pindex=\"" + std::to_string(index) + "\">\n   <mesh>\n    <vertices>\n";
        for (const Vec3& v : o.mesh.vertices) {
            model += "     <vertex x=\"";
            putNumber(model, v.x);
            model += "\" y=\"";
            putNumber(model, v.y);
            model += "\" z=\"";
            putNumber(model, v.z);
            model += "\"/>\n";
        }
        model += "    </vertices>\n    <triangles>\n";
        for (const auto& t : o.mesh.triangles)
            model += "     <triangle v1=\"" + std::to_string(t[0]) + "\" v2=\"" + std::to_string(t[1]) + "\" v3=\"" +
                     std::to_string(t[2]) + "\"/>\n";
        model += "    </triangles>\n   </mesh>\n  </object>\n";
        build += "  <item objectid=\"" + std::to_string(id) + "\" transform=\"1 0 0 0 1 0 0 0 1 ";
        putNumber(build, o.place.x);
        build += " ";
        putNumber(build, o.place.y);
        build += " ";
        putNumber(build, o.place.z);
        build += "\"/>\n";
        ++id;
        ++index;
    }
    model += " </resources>\n" + build + " </build>\n</model>\n";

    ZipArchive zip(exportEpoch());
    const bool ok =
        zip.add("[Content_Types].xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>"
                "</Types>\n") &&
        zip.add("_rels/.rels",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
                "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/></Relationships>\n") &&
        zip.add("3D/3dmodel.model", model);
    if (!ok) {
        error = "3MF を圧縮できませんでした";
        return false;
    }
    bytes = zip.finish();
    return true;
}

}  // namespace tessaro
