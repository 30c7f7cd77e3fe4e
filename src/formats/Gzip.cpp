#include "formats/Gzip.h"

#include <zlib.h>

#include <stdexcept>

namespace tessaro::formats {

bool isGzip(std::string_view bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
           static_cast<unsigned char>(bytes[1]) == 0x8B;
}

std::optional<std::string> gunzip(std::string_view bytes, size_t limit, std::string& error)
{
    z_stream zs{};
    // 16 + MAX_WBITS: a gzip header, not a raw zlib one.
    if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) {
        error = "gzip の展開を始められませんでした。";
        return std::nullopt;
    }
    std::string out;
    char chunk[16384];
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = static_cast<uInt>(bytes.size());
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&zs);
            error = "gzip の圧縮データが壊れています。";
            return std::nullopt;
        }
        const size_t got = sizeof chunk - zs.avail_out;
        if (got == 0 && rc == Z_OK && zs.avail_in == 0) {
            inflateEnd(&zs);
            error = "gzip の圧縮データが途中で切れています。";
            return std::nullopt;
        }
        if (out.size() + got > limit) {
            inflateEnd(&zs);
            error = "展開した内容が大きすぎます。";
            return std::nullopt;
        }
        out.append(chunk, got);
    }
    inflateEnd(&zs);
    return out;
}

std::string gzip(std::string_view text)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("gzip: deflateInit2");
    std::string out(deflateBound(&zs, static_cast<uLong>(text.size())) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    zs.avail_in = static_cast<uInt>(text.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("gzip: deflate");
    out.resize(zs.total_out);
    return out;
}

}  // namespace tessaro::formats
