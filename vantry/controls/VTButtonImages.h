#pragma once

#include <QImage>
#include <QString>

// The named images the kit's buttons and cells draw, made here in code: the pop-up
// button's slices "settings-base_left", "settings-base_center" and "settings-base_right",
// its arrows "arrow-down-off" and "arrow-down-on", and the info button
// "NSRevealFreestandingTemplate". An unknown name gives a null image.
class VTButtonImages {
public:
    static QImage imageNamed(const QString& name);

private:
    static QImage settingsBase(const QString& part);
    static QImage arrowDown(bool on);
    static QImage revealFreestanding();
};
