#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// The named images the kit's buttons and cells draw, made here in code: the pop-up
// button's slices "settings-base_left", "settings-base_center" and "settings-base_right",
// its darker slices for the kept highlight "settings-base-on_left", "settings-base-on_center"
// and "settings-base-on_right", its arrows "arrow-down-off" and "arrow-down-on", and the info
// button "NSRevealFreestandingTemplate". An unknown name gives a null image.
class VTButtonImages {
public:
    struct BarColours {
        QColor top, bottom, rim;
    };

    static QImage imageNamed(const QString& name);

private:
    static QImage settingsBase(const QString& part, const BarColours& colours);
    static QImage arrowDown(bool on);
    static QImage revealFreestanding();
};
