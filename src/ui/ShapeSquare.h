#pragma once
// A square drawn on the window's surface: a border and an optional solid fill.
// Clicks pass through to the window underneath, which does the hit test.

#include <QWidget>

#include <cstdint>

namespace tessaro {

class ShapeSquare final : public QWidget {
    Q_OBJECT
public:
    explicit ShapeSquare(QWidget* parent = nullptr);

    void setFill(bool solid, int32_t bgr);
    bool fillSolid() const { return solid_; }
    int32_t fillColor() const { return color_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool solid_ = false;
    int32_t color_ = 0;
};

}  // namespace tessaro
