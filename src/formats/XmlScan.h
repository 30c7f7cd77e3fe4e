#pragma once
// XML read in one pass, plain or gzip-compressed, keeping nothing of the
// document: the caller sees each element's start (with its attributes), its
// text and its end, and keeps what it needs. Memory stays small whatever the
// file holds, and time is one pass over the bytes, so a small hostile file
// cannot make the reader build a huge tree.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::formats {

struct XmlAttribute {
    std::string name;
    std::string value;  // entities decoded; cut at kMaxValue bytes
    bool cut = false;   // the value was longer than what was kept
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // Each returns false to stop the scan (the handler keeps its own reason).
    // `depth` is 1 for the document's element.
    virtual bool start(std::string_view name, const std::vector<XmlAttribute>& attributes, int depth) = 0;
    virtual bool text(std::string_view chunk, int depth) = 0;  // the text directly inside the element at `depth`
    virtual bool end(std::string_view name, int depth) = 0;
};

struct XmlScanLimits {
    size_t maxBytes = size_t(64) << 20;  // after decompression
    int maxDepth = 256;
    size_t maxAttributes = 32;           // on one element
    size_t maxName = 256;                // of an element or attribute
    size_t maxValue = 4096;              // kept of an attribute's value
};

// Text from a file, safe to print in one line: control characters (also DEL
// and the C1 range) and bytes that are not UTF-8 as \xHH, as `info` shows a
// comment; cut to 40 characters, with "…" when cut here or before (`cut`).
std::string shownText(std::string_view s, bool cut);

// Empty when the handler saw the whole document or stopped the scan itself;
// otherwise one line saying why the bytes are not XML that can be read.
std::string scanXml(std::string_view bytes, XmlHandler& handler, const XmlScanLimits& limits = {});

}  // namespace tessaro::formats
