#pragma once

#include "shell/MASPreferencesViewController.h"
#include "windows/VTPreferencesWindowController.h"

// The application's toolbar preferences window: the framework's controller under the
// application's window name, defaults keys ("MASPreferences ...") and notification.
class MASPreferencesWindowController : public VTPreferencesWindowController {
    Q_OBJECT
public:
    using MASPanes = std::vector<std::unique_ptr<MASPreferencesViewController>>;

    explicit MASPreferencesWindowController(MASPanes viewControllers, const QString& title = {},
                                            QObject* parent = nullptr);
};
