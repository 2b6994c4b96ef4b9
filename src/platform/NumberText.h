#pragma once

#include <QString>

// Numbers in and out of text, always in the C locale whatever the user's locale is.
// Reading takes the longest numeric prefix after leading blanks and ignores the rest:
// "44100 Hz" is 44100, "abc" is 0, as the rest of the program expects.
class NumberText {
public:
    static double doubleValue(QStringView text);
    static qint64 integerValue(QStringView text);
    // Shortest text that reads back as the same value ("44100", "1.5").
    static QString fromDouble(double value);
    // Fixed number of decimals ("3.500"); a value that is not finite reads "inf", "-inf" or
    // "nan", as printf writes it.
    static QString fromDouble(double value, int decimals);
};
