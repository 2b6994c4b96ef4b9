#pragma once

#include "tags/MTEAudioFile.h"

#include <taglib/mp4item.h>

namespace TagLib::MP4 {
class Tag;
}

// MP4 items of m4a, mp4 and m4r files. The track reads as "n" or "n/total" under "trkn".
class MTEM4AAudioFile : public MTEAudioFile {
public:
    // Total tracks of the "trkn" item read from the file; 0 when none was read.
    int iTotalTrack = 0;

    bool dumpMediaAttribInfo() override;
    // Failed when the file has no MP4 tag (nothing is written) or when saving fails;
    // CoverLeftOut when the cover could be written neither re-encoded nor as it is (the rest
    // is written, the file's own cover is left alone).
    MTETagWriteResult saveID3AttribPath(int mode, const QString& path) override;
    std::shared_ptr<MTEAudioFile> copy() const override;

    // True when the item exists; its copy goes to item.
    static bool findMP4Item(const TagLib::MP4::Tag* tag, const QString& name,
                            TagLib::MP4::Item* item);
    // First text of the item, or the empty string.
    static QString mp4ItemString(const TagLib::MP4::Tag* tag, const QString& name);

private:
    // An untouched field's item beside the "m4a" table ("cprt", ...) that the file holds
    // already, as ffmpeg's copy of the source gave it.
    bool isKeptCopyItem(const TagLib::MP4::Tag* tag, const QString& key) const;
    // A row's entry of a managed field under an item the field is not written under: one named
    // after the field's ID3v2 frame ("TPUB"), as older builds wrote the publisher and the
    // copyright, which no other MP4 reader knows (read as the field, never written); a
    // free-form item of another format's name ("LABEL") holding nothing but the field's values.
    bool isSecondSpellingItem(const QString& key, const QVariant& value) const;
    void readItems(const TagLib::MP4::Tag* tag);
    void readCover(const TagLib::MP4::Tag* tag);
    void writeTrack(TagLib::MP4::Tag* tag, const TagLib::String& name, const QVariant& value) const;
    bool writeCover(TagLib::MP4::Tag* tag, const TagLib::String& name, const QVariant& value,
                    const QString& path) const;
};
