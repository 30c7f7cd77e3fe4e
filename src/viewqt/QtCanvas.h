#pragma once
// Canvas on a QPainter: twips to pixels at 15 twips per pixel, line widths in
// pixels whatever the painter's scale, no antialiasing (the view is line art).

#include <QColor>
#include <QFont>

#include "view/Canvas.h"

class QPainter;

namespace tessaro {

constexpr int kTwipsPerPixel = 15;

// 0x00BBGGRR to a QColor.
QColor colorFromBgr(int32_t bgr);

class QtCanvas : public Canvas {
public:
    QtCanvas(QPainter& painter, QColor textColor, QFont font);

    void line(float x1, float y1, float x2, float y2, int32_t color, int widthPx) override;
    void fillBox(float x1, float y1, float x2, float y2, int32_t color) override;
    void box(float x1, float y1, float x2, float y2, int32_t color) override;
    void text(float x, float y, const std::string& utf8) override;

private:
    QPainter& painter_;
    QColor textColor_;
    QFont font_;
};

}  // namespace tessaro
