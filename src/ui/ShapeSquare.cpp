#include "ui/ShapeSquare.h"

#include "viewqt/QtCanvas.h"

#include <QPainter>

namespace tessaro {

ShapeSquare::ShapeSquare(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeSquare::setFill(bool solid, int32_t bgr) {
    if (solid == solid_ && bgr == color_) return;
    solid_ = solid;
    color_ = bgr;
    update();
}

void ShapeSquare::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (solid_) {
        const QColor fill = colorFromBgr(color_);
        p.fillRect(r, fill);
        // A darker ring inside the border: a filled square stands apart from an
        // empty one even when its colour is nearly the window's (free body cells).
        p.setPen(fill.darker(135));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }
    p.setPen(Qt::black);
    p.drawRect(r);
}

}  // namespace tessaro
