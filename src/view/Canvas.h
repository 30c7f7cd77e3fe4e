#pragma once
// What the cube drawing needs from a picture area. Coordinates are twips with
// y growing downwards; colours are 0x00BBGGRR.

#include <cstdint>
#include <string>

namespace tessaro {

class Canvas {
public:
    virtual ~Canvas() = default;

    // A straight line including both end points; width in device pixels.
    virtual void line(float x1, float y1, float x2, float y2, int32_t color, int widthPx) = 0;
    // Solid rectangle covering both corners.
    virtual void fillBox(float x1, float y1, float x2, float y2, int32_t color) = 0;
    // One-pixel outline of the same rectangle.
    virtual void box(float x1, float y1, float x2, float y2, int32_t color) = 0;
    // UTF-8 text whose top-left corner is at (x, y), in the picture's text colour.
    virtual void text(float x, float y, const std::string& utf8) = 0;
};

}  // namespace tessaro
