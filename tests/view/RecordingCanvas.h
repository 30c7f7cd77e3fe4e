#pragma once
// A canvas that keeps every primitive in drawing order.

#include <cstdint>
#include <string>
#include <vector>

#include "view/Canvas.h"

namespace tessaro::test {

struct Prim {
    enum Kind { Line, FillBox, Box, Text } kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int32_t color = 0;
    int width = 1;
    std::string text;
};

class RecordingCanvas : public Canvas {
public:
    std::vector<Prim> prims;

    void line(float x1, float y1, float x2, float y2, int32_t color, int widthPx) override {
        prims.push_back({Prim::Line, x1, y1, x2, y2, color, widthPx, {}});
    }
    void fillBox(float x1, float y1, float x2, float y2, int32_t color) override {
        prims.push_back({Prim::FillBox, x1, y1, x2, y2, color, 1, {}});
    }
    void box(float x1, float y1, float x2, float y2, int32_t color) override {
        prims.push_back({Prim::Box, x1, y1, x2, y2, color, 1, {}});
    }
    void text(float x, float y, const std::string& utf8) override {
        prims.push_back({Prim::Text, x, y, x, y, 0, 1, utf8});
    }

    std::vector<Prim> ofColor(int32_t color) const {
        std::vector<Prim> out;
        for (const auto& p : prims)
            if (p.color == color && p.kind != Prim::Text) out.push_back(p);
        return out;
    }
    std::vector<Prim> ofKind(Prim::Kind k) const {
        std::vector<Prim> out;
        for (const auto& p : prims)
            if (p.kind == k) out.push_back(p);
        return out;
    }
};

}  // namespace tessaro::test
