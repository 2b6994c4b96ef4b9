#pragma once

#include "tags/MTEContainer.h"
#include "tags/MTEFfmpegMetadata.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagProperties.h"
#include "tags/MTETagWriteResult.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <utility>

namespace TagLib::ID3v1 {
class Tag;
}
namespace TagLib::ID3v2 {
class Tag;
}

// Which ID3 tag was read.
enum MTEID3Version : int {
    MTEID3Version1 = 0,
    MTEID3Version2 = 1,
    MTEID3VersionNone = 2,
};

// The tag model of one audio file: its path, the key table of its tag family and the tags
// read from it. Base of the handlers by format; holds the ID3v1/ID3v2 reading and the ID3v2
// writing. A handler is used by one thread at a time; a copy owns its own dictionaries.
class MTEAudioFile {
public:
    MTEAudioFile();
    MTEAudioFile(const MTEAudioFile&) = default;
    MTEAudioFile& operator=(const MTEAudioFile&) = default;
    virtual ~MTEAudioFile();

    QString strFilePath;
    // Last path component of strFilePath.
    QString strOutFileName;
    // Whole seconds, as the tag library reports them; 0 until read.
    double dAudioLength = 0.0;
    // Tag family of the file.
    int eumFileType = MTEFileTypeOther;
    // What TagLib reads and writes the file as (set by the factory; see container()).
    MTEContainer eumContainer = MTEContainer::None;
    int majorVersion = 0;
    int revisionNumber = 0;
    int tagSize = 0;
    int eumID3Version = MTEID3VersionNone;
    // Family key to text; under the cover key the picture's encoded bytes as read (or a
    // QImage the user gave), an empty QVariant meaning "no picture".
    QVariantMap dicReadInfo;
    // Logical tag name to the family's key (a table of MTETagKeyMap).
    QVariantMap dicMap;
    QString strMineType = QStringLiteral("image/jpeg");
    // "ID3 V2.4.0", "ID3 V1.1", "ID3 Unkown", "" (MP4) or "Vorbis Comment" (FLAC).
    QString strTagVersion;
    // Set when writing into a fresh encode: entries about the encode the file came from
    // (MTETagText::isEncoderEntryName), which ffmpeg carries over, are removed as well.
    // A user's own file keeps them.
    bool bRemovesEncoderEntries = false;
    // Set when writing a row's tags: the logical names whose value is the one the source
    // read. A writer keeps every other spelling of these (ffmpeg's copy, the row's own
    // entries); of every other name it writes, it removes them, so no old value survives.
    QSet<QString> untouchedNames;
    // What the file adds to the table's spellings: the description of the ID3v2 comment frame
    // the comment was read from, Matroska's names in a language.
    MTETagKeyMap::FileSpellings fileSpellings;
    // Fields read with several values (a multi-string ID3v2.4 frame or several frames of one
    // id, repeated Vorbis fields or WMA attributes, an MP4 string list): the family key to
    // the values, which dicReadInfo holds joined ("A; B") as the editor shows them.
    QHash<QString, QStringList> dicValueLists;
    // The disc as read beside the managed fields: "n", or "n/total" when the file holds the
    // total (also in a field of its own); empty for none.
    QString strDiscNumber;
    // The picture type of the cover read (3, front cover, unless the file has none), and so
    // of a cover written unchanged.
    int iPictureType = 3;
    // Set when writing a row's tags: the source's fields outside the managed names that the
    // tag copy writes itself (MTETagProperties::write).
    QList<MTECarriedField> carriedFields;
    // The file's tags as libavformat reads them (MTEFfmpegMetadata::entriesOf), and so as
    // ffmpeg's copy of them starts out; unset when whoever made the handler had no such read.
    std::optional<QList<std::pair<QString, QString>>> ffmpegEntries;
    // Of those, the entries of fields no row manages that TagLib's reading missed
    // (takeWhatTagLibMissed), which the tag copy carries beside the ones TagLib read.
    QList<std::pair<QString, QString>> ffmpegOnlyEntries;

    // eumContainer, or for a handler made without the factory, the container of its path.
    MTEContainer container() const;

    // The value under the family key of "Artist".
    QString strArtist() const;
    // The family key of a logical name ("Title", "AlbumImg"); empty for an empty name or a name
    // the family lacks.
    QString keyOf(const QString& logicalName) const;
    // The value of a logical name in tags keyed by the file's family (what it read, or a row's
    // working copy of it); null where keyOf is empty.
    QVariant valueIn(const QVariantMap& tags, const QString& logicalName) const;
    // The value the file read for a logical name (valueIn of dicReadInfo).
    QVariant getValueForKey(const QString& logicalName) const;

    // Resets dicReadInfo to empty texts and "no picture" for every key of dicMap.
    void initProperties();
    // Reads the file again from scratch.
    void restoreFromLocalFile();

    // Reads the file's tags. The base reads nothing.
    virtual bool dumpMediaAttribInfo();
    // Writes dicReadInfo into a file (mode 0: the file at path; 1 or 2: a new copy of the
    // handler's own file made near path). The base writes nothing: Failed.
    virtual MTETagWriteResult saveID3AttribPath(int mode, const QString& path);

    // Stores a field's values under its key: one as it is, several joined and listed in
    // dicValueLists.
    void storeValues(const QString& key, const QStringList& values);
    // After TagLib read the file, whose texts (each value of each entry) are valuesRead: takes
    // what libavformat reads of the file (ffmpegEntries, read now when unset) and TagLib
    // missed. TagLib 1.13 stops reading an ID3v2 tag at a zero-size frame or behind an ID3v2.3
    // extended header, and drops a text that is no valid UTF-8, where libavformat reads on (a
    // bad byte as U+FFFD). A managed field TagLib found no text for takes libavformat's value,
    // the disc its number, the other fields go to ffmpegOnlyEntries; where TagLib missed any of
    // them and found no cover, libavformat's cover is taken.
    void takeWhatTagLibMissed(QSet<QString> valuesRead);
    // Stores the value of an entry that spells a managed name otherwise (ffmpeg's copy of
    // the lyrics as user text "lyrics-eng", a free-form item) under the name's family key
    // when that holds no text yet, so what the file shows is what gets edited and copied.
    void adoptOtherSpelling(const QString& entryName, const QString& value);
    // The logical name an entry spells in this file (MTETagKeyMap::fieldOfEntry with the file's
    // own spellings); empty for none.
    QString fieldOfEntryName(const QString& entryName) const;
    // The entry spells a name this write changes (not untouched), under a key the write does
    // not use, while dicReadInfo holds the name: a writer removes it.
    // So is, in ID3 tags, Vorbis comments and WMA attributes, an entry of an untouched name under
    // a spelling the output's format does not use, holding nothing but values dicReadInfo holds
    // for the name (isSecondSpelling): ffmpeg's copy of the field under its own key or the
    // source's, which would show the field twice. One with a value of its own stays.
    bool isStaleSpelling(const QString& entryName, const QStringList& values = {}) const;
    bool isSecondSpelling(const QString& entryName, const QStringList& values,
                          const QString& logicalName) const;
    // The keys dicReadInfo holds a logical name under in this file's family.
    QStringList writtenKeysOf(const QString& logicalName) const;

    void dumpID3V1Info(const TagLib::ID3v1::Tag* tag);
    void dumpID3V2Info(const TagLib::ID3v2::Tag* tag);
    // Writes dicReadInfo as an ID3v2.4 tag into the file at path (an MPEG file, or the ID3
    // chunk of a WAV or AIFF file, by the handler's container) and removes its ID3v1 tag and
    // a WAV file's INFO chunk. Failed when the file is not valid or has no ID3v2 tag (an MP3
    // file; the others get one) or when saving fails; CoverLeftOut when the cover could be
    // written neither re-encoded nor as it is (the rest is written, the file's own pictures
    // are left alone).
    MTETagWriteResult saveID3V2Info(const QString& path);
    // Applies dicReadInfo to an ID3v2 tag; false when the cover could not be written.
    bool writeID3V2Tag(TagLib::ID3v2::Tag* tag, const QString& path) const;
    // Fills an ID3v1 tag from dicReadInfo (not saved to disk).
    void saveID3V1Info(TagLib::ID3v1::Tag* tag) const;

    virtual std::shared_ptr<MTEAudioFile> copy() const;
    QVariantMap encodeWithCoder() const;
    // A handler of the class that fits the coded family table.
    static std::shared_ptr<MTEAudioFile> initWithCoder(const QVariantMap& coder);

protected:
    void readPicture(const TagLib::ID3v2::Tag* tag);
    // One entry libavformat read and TagLib missed; false when there is nothing to take.
    bool takeMissedEntry(const QString& key, const QString& value);
    // libavformat's cover (its reading of the file, made now when there is none) where the
    // file has no cover read.
    void takeFfmpegCover(std::optional<MTEFfmpegMetadata>& reading);
    // The file to write for a save mode; empty when preparing it failed.
    QString targetPathForMode(int mode, const QString& path) const;
};
