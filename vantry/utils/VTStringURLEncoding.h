#pragma once

#include <QString>
#include <QStringConverter>

// Percent-escaping in a chosen encoding: only letters, digits and "-._~" stay as they are.
class VTStringURLEncoding {
public:
    static QString urlEncodeUsingEncoding(const QString& text, QStringConverter::Encoding encoding);
};
