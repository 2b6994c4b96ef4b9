#include "shell/MASPreferencesWindowController.h"

#include "platform/NotificationCenter.h"
#include "platform/PreferenceKeys.h"

namespace {

VTPreferencesWindowController::Panes asPanes(MASPreferencesWindowController::MASPanes panes) {
    VTPreferencesWindowController::Panes converted;
    converted.reserve(panes.size());
    for (auto& pane : panes)
        converted.push_back(std::move(pane));
    return converted;
}

} // namespace

MASPreferencesWindowController::MASPreferencesWindowController(MASPanes viewControllers,
                                                               const QString& title,
                                                               QObject* parent)
    : VTPreferencesWindowController(
          asPanes(std::move(viewControllers)), title,
          {QStringLiteral("MASPreferencesWindow"),
           QLatin1String(PreferenceKeys::kMASPreferencesSelectedIdentifierKey),
           QLatin1String(PreferenceKeys::kMASPreferencesFrameTopLeftKey),
           QLatin1String(PreferenceKeys::kMASPreferencesFrameKeyFormat),
           QLatin1String(Notifications::kPreferencesViewChanged)},
          parent) {}
