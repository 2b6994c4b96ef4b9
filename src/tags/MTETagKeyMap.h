#pragma once

#include <QString>
#include <QVariantMap>

// The process-wide table from logical tag names ("Title", "AlbumImg", ...) to the key each
// tag family uses: "mpeg" (ID3v2 frame ids), "m4a" (MP4 item atoms), "ffmpeg" (FFmpeg
// metadata keys). Built once on first use and never changed, so any thread may read it.
class MTETagKeyMap {
public:
    // Where a WMA file's content description holds a field; None: in an attribute.
    enum class AsfDescription { None, Title, Author, Copyright, Comment };
    // What a file adds to the table's spellings: ffmpeg keeps a described comment frame under
    // its description, and Matroska names a tag given in a language "<NAME>-<lang>" ("TITLE-eng").
    // A tag copy hands the source's to the output, whose entries ffmpeg copied from it.
    struct FileSpellings {
        QString commentDescription;
        bool namesByLanguage = false;
    };

    // Family name to (logical name to family key).
    static const QVariantMap& gMusicTagMapInfo();
    // Start-up builds the table before anything can add files; readers that come first
    // build it themselves, so nobody ever sees an empty table.
    static void prepareMusicTagMapInfo();

    // The table of one family; empty for an unknown family name.
    static QVariantMap familyMap(const QString& family);
    // The family key of a logical name; empty when the family lacks the name.
    static QString keyForName(const QString& family, const QString& logicalName);

    // The family a handler of this file type reads with.
    static QString familyOfFileType(int fileType);
    // Families of the tag copy: any type but mpeg and m4a reads as "ffmpeg"; anything but
    // mpeg is written as "m4a".
    static QString sourceFamilyOfFileType(int fileType);
    static QString destinationFamilyOfFileType(int fileType);
    // A field is named by its logical name, or (a field no row manages) by TagLib's property name.
    // Vorbis comment field names of a field; the first is the one written.
    static QStringList xiphFieldNames(const QString& field);
    // The WMA name of a field: a content description field or an attribute.
    static QString asfName(const QString& field);
    // The content description field an ASF name stands for.
    static AsfDescription asfDescriptionOf(const QString& asfName);
    // The RIFF INFO chunk ids of a logical name, the usual one first; none when INFO has none.
    static QStringList riffInfoIds(const QString& logicalName);
    // The name inside a user text frame ("TXXX:name") or a free-form MP4 item
    // ("----:mean:name"), which may hold colons itself; any other name as it is.
    static QString bareName(const QString& entryName);
    // The logical text name an entry of free name stands for: a Vorbis comment field, an MP4
    // item, an FFmpeg key, or the bare name of "TXXX:description" or "----:mean:name". Any
    // family's spelling in any letter case counts; lyrics and comment names also with FFmpeg's
    // language suffix ("lyrics-eng", "lyrics-desc-eng"). Empty for anything else.
    static QString logicalNameOfEntry(const QString& entryName);
    // The logical name of "<name>-<lang>" for any field, as Matroska names a tag given in a
    // language; empty for anything else.
    static QString logicalNameWithLanguage(const QString& entryName);
    // As logicalNameOfEntry, and also entries that hold a part of a field: the track totals
    // (totalNames) belong to "Track". A new value of the field replaces them too; they are never
    // read as the field's value. With the spellings a file adds.
    static QString fieldOfEntry(const QString& entryName);
    static QString fieldOfEntry(const QString& entryName, const FileSpellings& file);
    // The MP4 item that other readers, ffmpeg among them, find a field in beside the "m4a"
    // table: "\u00A9grp" for "Grouping" (which the table lacks). Empty for the others.
    static QString mp4CopyKey(const QString& logicalName);
    // TagLib's property name of a field carried beside the managed ones that an entry of any
    // format spells, in any letter case: an ID3v2 frame or user text, a Vorbis field, an MP4
    // item, a WMA attribute, or a key of ffmpeg's copy ("TMOO", "artist-sort", "MusicBrainz
    // Album Id"). Empty for anything else.
    static QString propertyOfEntry(const QString& entryName);
    // ffmpeg's generic key of such a field ("disc"); empty where it has none.
    static QString ffmpegKeyOfProperty(const QString& property);
    // The description of the ID3v2 user text that holds such a field ("MusicBrainz Album Id");
    // empty where it has a frame of its own.
    static QString id3UserTextOfProperty(const QString& property);
    // The MP4 item and the WMA name that other programs read such a field from; empty where
    // there is none.
    static QString mp4ItemOfProperty(const QString& property);
    static QString asfNameOfProperty(const QString& property);
    // The ID3v2 frame id ("TPOS") or user text ("TXXX:MusicBrainz Album Id") of a field.
    static QString id3FrameOf(const QString& field);
    // The fields that hold the total beside a field's number ("TRACKTOTAL", "TOTALTRACKS" for
    // "Track"), the one written first; none for a field without.
    static QStringList totalNames(const QString& field);
    // TagLib's name of the disc number, carried beside the managed fields with its total.
    static QString discField();
    // The keys ffmpeg's copy gives a logical name: the "ffmpeg" family's and the others its
    // readers use ("author").
    static QStringList ffmpegKeys(const QString& logicalName);
    // The AIFF text chunk id ("NAME", "AUTH", "(c) ", "ANNO") of a logical name; empty for none.
    static QString aiffChunkId(const QString& logicalName);
    // Every AIFF text chunk id, and the keys of ffmpeg's copy that its AIFF muxer writes into
    // them.
    static QStringList aiffChunkIds();
    static QStringList aiffMuxerKeys();
    // TagLib's names of entries about one encode, wrong for any other: the encoder, its
    // settings, the length.
    static bool isEncodeProperty(const QString& property);
    // The file type whose family table equals the map; MTEFileTypeOther when none does.
    static int fileTypeOfMap(const QVariantMap& dicMap);
};
