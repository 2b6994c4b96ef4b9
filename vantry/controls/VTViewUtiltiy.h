#pragma once

class QWidget;

// Helpers every view can use.
class VTViewUtiltiy {
public:
    // Takes every child widget out of view and destroys it.
    static void removeAllSubviews(QWidget* view);
};
