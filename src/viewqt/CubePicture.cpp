#include "viewqt/CubePicture.h"

#include <QMouseEvent>
#include <QPainter>

#include "viewqt/QtCanvas.h"

namespace tessaro {

namespace {
constexpr QSize kPictureSize(kPictureWidth / kTwipsPerPixel, kPictureHeight / kTwipsPerPixel);
}

CubePicture::CubePicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(kPictureSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // White, not the window's grey (0xEFEFEF), which swallows the lightest
    // shades: block 1's 0xE0E0E0 tops and the body's free cells.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

QSize CubePicture::sizeHint() const { return kPictureSize; }

void CubePicture::setScene(const Grid& grid, const ColorGrid& colors, const ViewParam& view) {
    grid_ = grid;
    colors_ = colors;
    view_ = view;
    hasScene_ = true;
    update();
}

void CubePicture::clear() {
    hasScene_ = false;
    update();
}

void CubePicture::paintScene(QPainter& painter) const {
    painter.fillRect(QRect(QPoint(0, 0), kPictureSize), palette().color(QPalette::Window));
    if (!hasScene_) return;
    QtCanvas canvas(painter, palette().color(QPalette::WindowText), font());
    subDrawCells(canvas, grid_, colors_, view_);
}

void CubePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintScene(painter);
}

QImage CubePicture::toImage() const {
    QImage image(kPictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    paintScene(painter);
    return image;
}

void CubePicture::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position() * kTwipsPerPixel;
    emit mousePressed(event->button(), event->modifiers(), static_cast<float>(p.x()), static_cast<float>(p.y()));
}

void CubePicture::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position() * kTwipsPerPixel;
    emit mouseMoved(event->buttons(), event->modifiers(), static_cast<float>(p.x()), static_cast<float>(p.y()));
}

QImage renderCubeImage(const Grid& grid, const ColorGrid& colors, const ViewParam& view, QColor background,
                       QColor textColor, const QFont& font) {
    QImage image(kPictureSize, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    QtCanvas canvas(painter, textColor, font);
    subDrawCells(canvas, grid, colors, view);
    return image;
}

}  // namespace tessaro
