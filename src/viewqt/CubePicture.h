#pragma once
// A picture area for the cube view: 3375 x 3135 twips (225 x 209 pixels). It
// keeps the last scene and repaints it in full whenever Qt asks; child widgets
// (the count label on top) are allowed.

#include <QImage>
#include <QWidget>

#include "model/Puzzle.h"
#include "view/CubeView.h"

namespace tessaro {

class CubePicture : public QWidget {
    Q_OBJECT
public:
    explicit CubePicture(QWidget* parent = nullptr);

    // Frame, cells and axes of the grid (subDrawCells). Copies its arguments.
    void setScene(const Grid& grid, const ColorGrid& colors, const ViewParam& view);
    // Blank picture: background only.
    void clear();
    bool hasScene() const { return hasScene_; }

    // The picture as it is painted, for checks and snapshots.
    QImage toImage() const;

    QSize sizeHint() const override;

signals:
    // Positions in twips from the picture's top-left corner.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void paintScene(QPainter& painter) const;

    Grid grid_{};
    ColorGrid colors_{};
    ViewParam view_{};
    bool hasScene_ = false;
};

// Draws one scene onto a fresh image of the picture's size.
QImage renderCubeImage(const Grid& grid, const ColorGrid& colors, const ViewParam& view, QColor background,
                       QColor textColor, const QFont& font);

}  // namespace tessaro
