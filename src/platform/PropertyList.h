#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists (XML or binary) as Qt values: dictionaries become QVariantMap, arrays
// QVariantList, strings QString, integers qulonglong (negative ones qlonglong), reals
// double, data QByteArray, dates QDateTime in UTC.
class PropertyList {
public:
    // Larger inputs are refused unread.
    static constexpr qsizetype kMaxBytes = 64 * 1024 * 1024;

    // An invalid QVariant when the bytes are not a property list.
    static QVariant fromData(const QByteArray& bytes);
    static QVariant fromFile(const QString& path);
    // The dictionary at the root of a file, or an empty map.
    static QVariantMap dictionaryWithContentsOfFile(const QString& path);
    static QByteArray toXml(const QVariant& value);
};
