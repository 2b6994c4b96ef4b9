#pragma once

#include <QString>
#include <QVariantMap>

// Copies a row's tags into a converted file, re-keyed into the output's tag family.
class MTETagCopy {
public:
    // Writes the tags (keyed by the source's family) into the file at outputPath.
    // False when nothing could be written; an output without tag support is not a failure.
    static bool handleMetadataSave(const QVariantMap& dicToMetadata, int sourceFileType,
                                   const QString& outputPath);
    static QVariantMap convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                     int toType);
};
