#include "viewqt/QtCanvas.h"

#include <QPainter>
#include <QPen>
#include <QRect>
#include <QString>
#include <cmath>
#include <utility>

namespace tessaro {

namespace {

// Truncating keeps a face outline and the hatching 10 twips beyond it in
// separate pixel columns more often than rounding would.
int px(float twips) { return static_cast<int>(std::floor(twips / kTwipsPerPixel)); }
QPoint pt(float x, float y) { return {px(x), px(y)}; }

QPen pen(int32_t color, int widthPx) {
    QPen p(colorFromBgr(color));
    p.setCosmetic(true);
    p.setWidth(widthPx);
    // Thick lines end round, so the wide frame lines join up like strokes of a pen.
    p.setCapStyle(widthPx > 1 ? Qt::RoundCap : Qt::SquareCap);
    return p;
}

}  // namespace

QColor colorFromBgr(int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QtCanvas::QtCanvas(QPainter& painter, QColor textColor, QFont font)
    : painter_(painter), textColor_(textColor), font_(std::move(font)) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void QtCanvas::line(float x1, float y1, float x2, float y2, int32_t color, int widthPx) {
    painter_.setPen(pen(color, widthPx));
    painter_.drawLine(pt(x1, y1), pt(x2, y2));
}

void QtCanvas::fillBox(float x1, float y1, float x2, float y2, int32_t color) {
    painter_.fillRect(QRect(pt(x1, y1), pt(x2, y2)).normalized(), colorFromBgr(color));
}

void QtCanvas::box(float x1, float y1, float x2, float y2, int32_t color) {
    // A one-pixel outline of rect (x, y, w, h) covers columns x..x+w, so this
    // lands on both corners, like the filled box.
    const QRect r = QRect(pt(x1, y1), pt(x2, y2)).normalized();
    painter_.setPen(pen(color, 1));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(r.x(), r.y(), r.width() - 1, r.height() - 1);
}

void QtCanvas::text(float x, float y, const std::string& utf8) {
    painter_.setPen(textColor_);
    painter_.setFont(font_);
    const QPoint topLeft = pt(x, y);
    painter_.drawText(QRect(topLeft, QSize(1000, 1000)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                      QString::fromStdString(utf8));
}

}  // namespace tessaro
