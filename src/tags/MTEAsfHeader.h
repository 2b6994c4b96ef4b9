#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What TagLib does not tell of a WMA (ASF) file's header: which values of its attributes sit
// in the extended content description. Writers put the first value of a repeated attribute
// there and the others in the metadata library, which TagLib lists first; readers that keep
// a file's order read the extended content description first.
class MTEAsfHeader {
public:
    // The text values of the extended content description, by attribute name in lower case,
    // in file order; empty when the file has none or is no ASF file.
    static QHash<QString, QStringList> extendedContentTexts(const QString& path);
};
