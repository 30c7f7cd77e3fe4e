#include "export/MeshFiles.h"

#include "export/StagedFiles.h"

#include <Model/COM/NMR_DLLInterfaces.h>

#include <cmath>
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

// Owns one lib3mf handle.
class Handle {
public:
    Handle() = default;
    explicit Handle(NMR::PLib3MFBase* p) : p_(p) {}
    ~Handle() {
        if (p_) NMR::lib3mf_release(p_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    NMR::PLib3MFBase* get() const { return p_; }
    NMR::PLib3MFBase** out() { return &p_; }

private:
    NMR::PLib3MFBase* p_ = nullptr;
};

std::string lastError(NMR::PLib3MFBase* p) {
    DWORD code = 0;
    LPCSTR text = nullptr;
    if (p && NMR::lib3mf_getlasterror(p, &code, &text) == LIB3MF_OK && text && *text) return text;
    return "3MF ライブラリのエラー";
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
    Handle model;
    if (NMR::lib3mf_createmodel(model.out()) != LIB3MF_OK) {
        error = "3MF のモデルを作れませんでした";
        return false;
    }
    auto fail = [&](NMR::PLib3MFBase* where) {
        error = lastError(where);
        return false;
    };
    if (NMR::lib3mf_model_setunit(model.get(), NMR::MODELUNIT_MILLIMETER) != LIB3MF_OK) return fail(model.get());

    Handle materials;
    if (NMR::lib3mf_model_addbasematerialgroup(model.get(), materials.out()) != LIB3MF_OK) return fail(model.get());
    DWORD groupId = 0;
    if (NMR::lib3mf_resource_getresourceid(materials.get(), &groupId) != LIB3MF_OK) return fail(materials.get());

    for (const MeshObject& o : objects) {
        if (o.mesh.empty()) continue;
        DWORD materialIndex = 0;
        const auto r = static_cast<BYTE>(o.color & 0xFF), g = static_cast<BYTE>((o.color >> 8) & 0xFF),
                   b = static_cast<BYTE>((o.color >> 16) & 0xFF);
        if (NMR::lib3mf_basematerial_addmaterialutf8(materials.get(), o.name.c_str(), r, g, b, &materialIndex) !=
            LIB3MF_OK)
            return fail(materials.get());
        // The library leaves the display colour's alpha at 0: fully transparent.
        if (NMR::lib3mf_basematerial_setdisplaycolorrgba(materials.get(), materialIndex, r, g, b, 0xFF) != LIB3MF_OK)
            return fail(materials.get());

        Handle object;
        if (NMR::lib3mf_model_addmeshobject(model.get(), object.out()) != LIB3MF_OK) return fail(model.get());
        if (NMR::lib3mf_object_setnameutf8(object.get(), o.name.c_str()) != LIB3MF_OK) return fail(object.get());

        std::vector<NMR::MODELMESHVERTEX> vertices(o.mesh.vertices.size());
        for (size_t i = 0; i < vertices.size(); ++i) {
            const Vec3& v = o.mesh.vertices[i];
            vertices[i].m_fPosition[0] = static_cast<float>(v.x);
            vertices[i].m_fPosition[1] = static_cast<float>(v.y);
            vertices[i].m_fPosition[2] = static_cast<float>(v.z);
        }
        std::vector<NMR::MODELMESHTRIANGLE> triangles(o.mesh.triangles.size());
        for (size_t i = 0; i < triangles.size(); ++i)
            for (int k = 0; k < 3; ++k) triangles[i].m_nIndices[k] = o.mesh.triangles[i][static_cast<size_t>(k)];
        if (NMR::lib3mf_meshobject_setgeometry(object.get(), vertices.data(), static_cast<DWORD>(vertices.size()),
                                               triangles.data(), static_cast<DWORD>(triangles.size())) != LIB3MF_OK)
            return fail(object.get());

        Handle defaults;
        if (NMR::lib3mf_object_createdefaultpropertyhandler(object.get(), defaults.out()) != LIB3MF_OK ||
            NMR::lib3mf_defaultpropertyhandler_setbasematerial(defaults.get(), groupId, materialIndex) != LIB3MF_OK)
            return fail(object.get());

        NMR::MODELTRANSFORM place{};
        for (int i = 0; i < 3; ++i) place.m_fFields[i][i] = 1.0f;
        place.m_fFields[0][3] = static_cast<float>(o.place.x);
        place.m_fFields[1][3] = static_cast<float>(o.place.y);
        place.m_fFields[2][3] = static_cast<float>(o.place.z);
        Handle item;
        if (NMR::lib3mf_model_addbuilditem(model.get(), object.get(), &place, item.out()) != LIB3MF_OK)
            return fail(model.get());
    }

    Handle writer;
    if (NMR::lib3mf_model_querywriter(model.get(), "3mf", writer.out()) != LIB3MF_OK) return fail(model.get());
    ULONG64 size = 0;
    if (NMR::lib3mf_writer_getstreamsize(writer.get(), &size) != LIB3MF_OK) return fail(writer.get());
    bytes.assign(static_cast<size_t>(size), '\0');
    if (NMR::lib3mf_writer_writetobuffer(writer.get(), reinterpret_cast<BYTE*>(bytes.data()), size) != LIB3MF_OK)
        return fail(writer.get());
    return true;
}

}  // namespace tessaro
