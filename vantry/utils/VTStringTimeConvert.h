#pragma once

#include <QString>

class VTStringTimeConvert {
public:
    // Kept for callers of the framework's interface: always 0.
    static double convertToTimeInTerval(const QString& text);
};
