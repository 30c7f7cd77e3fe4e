#pragma once
// gzip streams in memory, for puzzle files of other programs (read a buffer at
// a time by the XML reader, XmlScan).

#include <string>
#include <string_view>

namespace tessaro::formats {

bool isGzip(std::string_view bytes);

std::string gzip(std::string_view text);

}  // namespace tessaro::formats
