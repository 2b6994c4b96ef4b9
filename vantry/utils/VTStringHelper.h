#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

// Text utilities.
class VTStringHelper {
public:
    // A set of UTF-16 units, tested one at a time.
    using CharacterSet = std::function<bool(QChar)>;
    static CharacterSet characterSet(const QString& characters);
    static CharacterSet whitespaceSet();

    // The whole text in lower case with [start, start + length) in upper case; a range
    // reaching past the end returns the text unchanged.
    static QString uppercaseStringInRange(const QString& text, qsizetype start, qsizetype length);
    static double widthOfStringWithFont(const QString& text, const QFont& font);
    static QString stringByReplacingCharactersInSetWithString(const QString& text,
                                                              const CharacterSet& set,
                                                              const QString& replacement);
    static QString stringByTrimmingTrailingCharactersInSet(const QString& text,
                                                           const CharacterSet& set);
    // "1023 B", "1 kB", "1.5 MB", "1.0 GB".
    static QString sizeStringWithBytes(qint64 bytes);

    // Runs the text through /bin/sh -c and returns its standard output (a null string when
    // the output is not UTF-8). The shell interprets the whole text: never pass it anything
    // that came from a file name, a tag or any other text the user or a file controls.
    static QString runAsCommand(const QString& shellCommand);
    // Runs a program with an argument vector, no shell involved; standard output as above.
    static QString runAsCommand(const QStringList& argumentVector);
};
