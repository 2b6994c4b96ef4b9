#pragma once

#include <QImage>
#include <QString>

// The small images the views draw, by the names the views ask for. They are drawn here in
// code (no image files): "slog_small.png", "pages_pattern" and the eight "frame_*" pieces.
// An unknown name gives a null image.
class QVViewImages {
public:
    static QImage imageNamed(const QString& name);

private:
    static QImage slogan();
    static QImage pagesPattern();
    static QImage framePiece(const QString& name);
};
