#pragma once

#include <QMainWindow>

// The main window's class: resizes animate for a fixed 0.2 s and cursor shapes stay on.
class QVMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit QVMainWindow(QWidget* parent = nullptr);

    bool hasFadeOutOver() const { return _hasFadeOutOver; }
    void setHasFadeOutOver(bool over) { _hasFadeOutOver = over; }

    // Seconds an animated resize to newFrame takes.
    double animationResizeTime(const QRect& newFrame) const;
    // Cursor shapes of child widgets are never switched off.
    void disableCursorRects() {}

private:
    bool _hasFadeOutOver = false;
};
