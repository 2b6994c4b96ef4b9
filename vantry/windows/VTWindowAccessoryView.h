#pragma once

class QWidget;

// Puts a view into a window's top strip. The window manager owns the real title bar on
// Linux, so the strip is the top of the window's own content: the view sits there at its
// own width (the one set on it, else its size hint's), as tall as the strip plus the extra
// height a title-bar view is given, and keeps its distance to the nearer side when the
// window is resized.
class VTWindowAccessoryView {
public:
    static constexpr double kTitleBarStripHeight = 22.0;
    static constexpr double kTitleBarViewExtraHeight = 60.0;

    enum AutoresizingMask {
        FlexibleRightAndBottomMargins = 12, // keeps its distance to the left side
        FlexibleLeftAndBottomMargins = 9,   // keeps its distance to the right side
    };

    static void addViewToTitleBarAtXPosition(QWidget* window, QWidget* view, double x);
    // The height the window manager's frame adds above and below the content; 0 where
    // there is no frame (offscreen, or before the window is shown).
    static double heightOfTitleBar(const QWidget* window);
    // Which side a view at x keeps its distance to.
    static AutoresizingMask autoresizingMaskFor(double windowWidth, double x);
};
