#pragma once

// Readable Qt values, and the tag writers' results, in GoogleTest's failure messages.
// Force-included into every test.
#include "tags/MTETagWriteResult.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

inline void PrintTo(const QVariant& value, std::ostream* out) {
    *out << "QVariant(" << value.typeName() << ", " << value.toString().toStdString() << ')';
}

inline void PrintTo(MTETagWriteResult result, std::ostream* out) {
    const char* names[] = {"Written", "CoverLeftOut", "Failed"};
    *out << names[int(result)];
}
