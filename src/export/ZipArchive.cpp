#include "export/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace tessaro {

namespace {

constexpr int64_t k1980 = 315532800;

void put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

}  // namespace

int64_t exportEpoch() {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text) return k1980;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end != '\0' || v < 0) return k1980;
    return v;
}

ZipArchive::ZipArchive(int64_t epochSeconds) {
    // A zip date runs from 1980 to 2107, in local-less DOS fields read as UTC here.
    const std::time_t t = static_cast<std::time_t>(std::clamp<int64_t>(epochSeconds, k1980, 4354819199));
    std::tm tm{};
    gmtime_r(&t, &tm);
    dosTime_ = static_cast<uint16_t>(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    dosDate_ = static_cast<uint16_t>((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
}

bool ZipArchive::add(const std::string& name, const std::string& bytes) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    std::string packed(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    const int done = deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    if (done != Z_STREAM_END) return false;

    Entry e;
    e.name = name;
    e.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    e.packed = static_cast<uint32_t>(packed.size());
    e.size = static_cast<uint32_t>(bytes.size());
    e.offset = static_cast<uint32_t>(out_.size());
    put32(out_, 0x04034b50);
    put16(out_, 20);  // version needed: deflate
    put16(out_, 0);   // flags
    put16(out_, 8);   // deflate
    put16(out_, dosTime_);
    put16(out_, dosDate_);
    put32(out_, e.crc);
    put32(out_, e.packed);
    put32(out_, e.size);
    put16(out_, static_cast<uint32_t>(name.size()));
    put16(out_, 0);
    out_ += name;
    out_ += packed;
    entries_.push_back(std::move(e));
    return true;
}

std::string ZipArchive::finish() {
    const auto start = static_cast<uint32_t>(out_.size());
    for (const Entry& e : entries_) {
        put32(out_, 0x02014b50);
        put16(out_, 0x0314);  // made by: Unix, 2.0
        put16(out_, 20);
        put16(out_, 0);
        put16(out_, 8);
        put16(out_, dosTime_);
        put16(out_, dosDate_);
        put32(out_, e.crc);
        put32(out_, e.packed);
        put32(out_, e.size);
        put16(out_, static_cast<uint32_t>(e.name.size()));
        put16(out_, 0);  // extra
        put16(out_, 0);  // comment
        put16(out_, 0);  // disk
        put16(out_, 0);  // internal attributes
        put32(out_, 0100644u << 16);  // a plain file, rw-r--r--
        put32(out_, e.offset);
        out_ += e.name;
    }
    const auto size = static_cast<uint32_t>(out_.size()) - start;
    put32(out_, 0x06054b50);
    put16(out_, 0);
    put16(out_, 0);
    put16(out_, static_cast<uint32_t>(entries_.size()));
    put16(out_, static_cast<uint32_t>(entries_.size()));
    put32(out_, size);
    put32(out_, start);
    put16(out_, 0);
    return std::move(out_);
}

}  // namespace tessaro
