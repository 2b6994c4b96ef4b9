#pragma once

#include "tags/MTEFileType.h"

#include <QString>
#include <QVariantMap>

#include <memory>

// The tag handler of one file. (Grows into the full reader and writer with the tag layer.)
class MTEAudioFile {
public:
    virtual ~MTEAudioFile();

    // Tag family of the file.
    int eumFileType = MTEFileTypeOther;
    // Logical tag name to the format's tag id.
    QVariantMap dicMap;
    // Tag id to text, or to a QImage for the cover.
    QVariantMap dicReadInfo;

    virtual std::shared_ptr<MTEAudioFile> copy() const;
    virtual QVariantMap encodeWithCoder() const;
    static std::shared_ptr<MTEAudioFile> initWithCoder(const QVariantMap& coder);
};
