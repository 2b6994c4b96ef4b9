#pragma once

#include <QString>

// Whether a text is a number of some kind, or a valid coordinate.
class VTStringDetect {
public:
    // Only decimal digits and the given extra characters; an empty text is valid.
    static bool vaildStrWithNumbericSetAndOther(const QString& text, const QString& other);
    static bool isAllNumberic(const QString& text);
    static bool isUnsiginedFloatNumber(const QString& text);
    static bool isSiginedFloatNumber(const QString& text);
    // Latitude within -90..90, longitude within -180..180.
    static bool isVaildGPS(const QString& text, bool latitude);
};
