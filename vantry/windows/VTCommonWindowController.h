#pragma once

#include <QWidget>

// Base of the kit's window controllers: the controller is its own top-level window, and it
// runs other windows as application-modal windows or as sheets over itself.
class VTCommonWindowController : public QWidget {
    Q_OBJECT
public:
    explicit VTCommonWindowController(QWidget* parent = nullptr);

    // Shows window application-modal and returns once the session ends (dismissModeWindow,
    // or the window closing); the window is then centred for its next showing.
    void showModeWindow(QWidget* window);
    // Ends the innermost modal session and hides this controller's window.
    void dismissModeWindow();
    // Whether a modal session started by showModeWindow is running.
    static bool isModalSessionRunning();

    // Shows sheet as a window-modal dialog over this window, centred on it.
    void beginSheetWindow(QWidget* sheet);
    void endSheetWindow(QWidget* sheet);
    // Ends this window shown as someone else's sheet.
    void endSheetOfSelfWindow();

    // Centres window on its parent window, or on its screen.
    static void centerWindow(QWidget* window);

protected:
    virtual void windowDidLoad() {}
};
