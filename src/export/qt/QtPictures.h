#pragma once
// The pictures and the printable sheet on Qt's painter: PNG through QImage,
// PDF through QPdfWriter, both drawn by the program's own cube view.

#include "export/Export.h"

#include <memory>

class QGuiApplication;

namespace tessaro {

class QtPictureRenderer final : public PictureRenderer {
public:
    bool renderPng(const Grid& grid, const ColorGrid& colors, const ViewParam& view, int width, bool transparent,
                   std::string& bytes, std::string& error) override;
    bool renderSheet(const Puzzle& puzzle, const std::optional<std::optional<Puzzle>>& answer,
                     const SheetContent& content, std::string& bytes, std::string& error) override;
};

// Fonts and painting on images need a QGuiApplication. Where none runs (the
// command line), this makes one on the offscreen platform for its lifetime,
// so no display is needed, and keeps Qt's own notes off stderr; where one
// runs it does nothing.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

private:
    std::unique_ptr<QGuiApplication> app_;
};

}  // namespace tessaro
