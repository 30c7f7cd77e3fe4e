#pragma once
// A zip archive made in memory, byte for byte the same for the same entries:
// deflated, in the order added, every entry dated the same (reproducible builds'
// SOURCE_DATE_EPOCH when set, else 1980-01-01 00:00, the earliest date a zip holds).

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

class ZipArchive {
public:
    explicit ZipArchive(int64_t epochSeconds);
    // False when zlib fails, which leaves the archive unusable.
    bool add(const std::string& name, const std::string& bytes);
    std::string finish();

private:
    struct Entry {
        std::string name;
        uint32_t crc = 0, packed = 0, size = 0, offset = 0;
    };
    std::string out_;
    std::vector<Entry> entries_;
    uint16_t dosTime_ = 0, dosDate_ = 0;
};

// The date files are stamped with: SOURCE_DATE_EPOCH when it holds a whole
// number of seconds, else 1980-01-01 00:00 UTC (315532800).
int64_t exportEpoch();

}  // namespace tessaro
