#pragma once

#include <QString>

class QVStringDigit {
public:
    // A whole 32-bit integer with an optional sign; blanks around it are allowed.
    static bool isPureInt(const QString& text);
};
