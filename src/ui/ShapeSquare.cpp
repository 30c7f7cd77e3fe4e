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
    if (solid_) p.fillRect(r, colorFromBgr(color_));
    p.setPen(Qt::black);
    p.drawRect(r);
}

}  // namespace tessaro
