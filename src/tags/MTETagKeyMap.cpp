#include "tags/MTETagKeyMap.h"

#include "tags/MTEFileType.h"

#include <QHash>

#include <algorithm>

namespace {

using AsfDescription = MTETagKeyMap::AsfDescription;

// One field and its spelling in every tag format, in TagLib's property map and in ffmpeg's
// keys. Rows with a logical name are the fields a row manages; the others are carried beside
// them under TagLib's property name.
struct Row {
    const char* name = nullptr;
    const char* mpeg = nullptr;    // an ID3v2 frame id, or "TXXX:description"
    const char16_t* m4a = nullptr; // null: the family has no key for the name
    // ffmpeg's generic key, which its muxers turn into each format's own name where they know
    // one.
    const char* ffmpeg = nullptr;
    // Vorbis comment field names (unused places null): the first is written, all are read
    // and replaced.
    const char* xiph[3] = {};
    // The WMA (ASF) name: a content description field ("Title", "Author", "Copyright",
    // "Description") or an extended attribute.
    const char* asf = nullptr;
    // The RIFF INFO chunk ids a WAV file may hold the field in, the usual one first.
    const char* riffInfo[2] = {};
    // The MP4 item ffmpeg's copy of the source carries the field in, where the "m4a" table
    // names another or none: the tag copy writes it too, so it never keeps an old value.
    const char16_t* mp4Copy = nullptr;
    // An MP4 item read and replaced as the field, never written: ffmpeg reads "desc" as the
    // "description" that Vorbis comments hold the comment in.
    const char* mp4Alias = nullptr;
    // TagLib's property name.
    const char* property = nullptr;
    // The AIFF text chunk id, and the key of ffmpeg's copy its AIFF muxer fills the chunk from.
    const char* aiff[2] = {};
    // Other keys ffmpeg's copy gives the field: an ID3v2 frame id it has no name for, the
    // names its MP4 and AIFF readers use, a WMA attribute other programs write it in.
    const char* ffmpegOther[3] = {};
    // The fields (Vorbis comments, ID3v2 user texts, ffmpeg's keys) that hold the total beside
    // the number; the first is written.
    const char* totals[2] = {};
    // Where a WMA file's content description holds the field.
    MTETagKeyMap::AsfDescription asfDescription = MTETagKeyMap::AsfDescription::None;
};

#define FREE_FORM(name) u"----:com.apple.iTunes:" name

// MP4 keys that begin with U+00A9 compare equal to the item names TagLib decodes.
constexpr Row kRows[] = {
    // clang-format off
    {.name = "AlbumImg", .mpeg = "APIC", .m4a = u"covr", .ffmpeg = "APIC", .asf = "WM/Picture"},
    {.name = "Title", .mpeg = "TIT2", .m4a = u"\u00A9nam", .ffmpeg = "title", .xiph = {"TITLE"},
     .asf = "Title", .riffInfo = {"INAM"}, .property = "TITLE", .aiff = {"NAME", "title"},
     .asfDescription = AsfDescription::Title},
    {.name = "Date", .mpeg = "TDRC", .m4a = u"\u00A9day", .ffmpeg = "date", .xiph = {"DATE", "YEAR"},
     .asf = "WM/Year", .riffInfo = {"ICRD"}},
    {.name = "Track", .mpeg = "TRCK", .m4a = u"trkn", .ffmpeg = "track", .xiph = {"TRACKNUMBER"},
     .asf = "WM/TrackNumber", .riffInfo = {"IPRT", "ITRK"}, .property = "TRACKNUMBER",
     .totals = {"TRACKTOTAL", "TOTALTRACKS"}},
    {.name = "LRC", .mpeg = "USLT", .m4a = u"\u00A9lyr", .ffmpeg = "lyrics",
     .xiph = {"LYRICS", "UNSYNCEDLYRICS"}, .asf = "WM/Lyrics"},
    {.name = "Album", .mpeg = "TALB", .m4a = u"\u00A9alb", .ffmpeg = "album", .xiph = {"ALBUM"},
     .asf = "WM/AlbumTitle", .riffInfo = {"IPRD"}},
    {.name = "Genre", .mpeg = "TCON", .m4a = u"\u00A9gen", .ffmpeg = "genre", .xiph = {"GENRE"},
     .asf = "WM/Genre", .riffInfo = {"IGNR"}},
    {.name = "Artist", .mpeg = "TPE1", .m4a = u"\u00A9ART", .ffmpeg = "artist", .xiph = {"ARTIST"},
     .asf = "Author", .riffInfo = {"IART"}, .property = "ARTIST", .aiff = {"AUTH", "author"},
     .ffmpegOther = {"author"}, .asfDescription = AsfDescription::Author},
    {.name = "AlbumArtist", .mpeg = "TPE2", .m4a = u"aART", .ffmpeg = "album_artist",
     .xiph = {"ALBUMARTIST", "ALBUM ARTIST"}, .asf = "WM/AlbumArtist"},
    // MP4 has no atom of its own for the publisher: taggers write a free-form item, which
    // ffmpeg reads as "publisher". An MP4 atom named after an ID3v2 frame ("TPUB", "TCOP", as
    // older builds wrote them) is read as its field and never written.
    {.name = "Publisher", .mpeg = "TPUB", .m4a = FREE_FORM("publisher"), .ffmpeg = "publisher",
     .xiph = {"PUBLISHER", "ORGANIZATION", "LABEL"}, .asf = "WM/Publisher"},
    {.name = "Composer", .mpeg = "TCOM", .m4a = u"\u00A9wrt", .ffmpeg = "composer",
     .xiph = {"COMPOSER"}, .asf = "WM/Composer"},
    {.name = "Copyright", .mpeg = "TCOP", .m4a = u"cprt", .ffmpeg = "copyright",
     .xiph = {"COPYRIGHT"}, .asf = "Copyright", .riffInfo = {"ICOP"},
     .property = "COPYRIGHT", .aiff = {"(c) ", "copyright"},
     .asfDescription = AsfDescription::Copyright},
    {.name = "Comment", .mpeg = "COMM", .m4a = u"\u00A9cmt", .ffmpeg = "comment",
     .xiph = {"COMMENT", "DESCRIPTION"}, .asf = "Description", .riffInfo = {"ICMT"},
     .mp4Alias = "desc", .property = "COMMENT", .aiff = {"ANNO", "comment"},
     .ffmpegOther = {"WM/Comments"}, .asfDescription = AsfDescription::Comment},
    // The grouping is ID3's content group TIT1, as ffmpeg reads and writes it and WMA's
    // WM/ContentGroupDescription stands for it. iTunes' own GRP1 frame, which TagLib calls
    // "GROUPING" too, is a field the row does not manage, carried under its frame id.
    {.name = "Grouping", .mpeg = "TIT1", .ffmpeg = "grouping", .xiph = {"GROUPING", "CONTENTGROUP"},
     .asf = "WM/ContentGroupDescription", .mp4Copy = u"\u00A9grp"},
    // Fields carried beside the managed ones, under TagLib's property name.
    {.mpeg = "UFID", .m4a = FREE_FORM("MusicBrainz Track Id"), .xiph = {"MUSICBRAINZ_TRACKID"},
     .asf = "MusicBrainz/Track Id", .property = "MUSICBRAINZ_TRACKID"},
    {.mpeg = "TXXX:MusicBrainz Album Id", .m4a = FREE_FORM("MusicBrainz Album Id"),
     .xiph = {"MUSICBRAINZ_ALBUMID"}, .asf = "MusicBrainz/Album Id", .property = "MUSICBRAINZ_ALBUMID"},
    {.mpeg = "TXXX:MusicBrainz Artist Id", .m4a = FREE_FORM("MusicBrainz Artist Id"),
     .xiph = {"MUSICBRAINZ_ARTISTID"}, .asf = "MusicBrainz/Artist Id", .property = "MUSICBRAINZ_ARTISTID"},
    {.mpeg = "TXXX:MusicBrainz Album Artist Id", .m4a = FREE_FORM("MusicBrainz Album Artist Id"),
     .xiph = {"MUSICBRAINZ_ALBUMARTISTID"}, .asf = "MusicBrainz/Album Artist Id",
     .property = "MUSICBRAINZ_ALBUMARTISTID"},
    {.mpeg = "TXXX:MusicBrainz Release Group Id", .m4a = FREE_FORM("MusicBrainz Release Group Id"),
     .xiph = {"MUSICBRAINZ_RELEASEGROUPID"}, .asf = "MusicBrainz/Release Group Id",
     .property = "MUSICBRAINZ_RELEASEGROUPID"},
    {.mpeg = "TXXX:MusicBrainz Release Track Id", .m4a = FREE_FORM("MusicBrainz Release Track Id"),
     .xiph = {"MUSICBRAINZ_RELEASETRACKID"}, .asf = "MusicBrainz/Release Track Id",
     .property = "MUSICBRAINZ_RELEASETRACKID"},
    {.mpeg = "TXXX:MusicBrainz Work Id", .m4a = FREE_FORM("MusicBrainz Work Id"),
     .xiph = {"MUSICBRAINZ_WORKID"}, .asf = "MusicBrainz/Work Id", .property = "MUSICBRAINZ_WORKID"},
    {.mpeg = "TXXX:MusicBrainz Album Status", .m4a = FREE_FORM("MusicBrainz Album Status"),
     .xiph = {"RELEASESTATUS"}, .asf = "MusicBrainz/Album Status", .property = "RELEASESTATUS"},
    {.mpeg = "TXXX:MusicBrainz Album Type", .m4a = FREE_FORM("MusicBrainz Album Type"),
     .xiph = {"RELEASETYPE"}, .asf = "MusicBrainz/Album Type", .property = "RELEASETYPE"},
    {.mpeg = "TXXX:MusicBrainz Album Release Country",
     .m4a = FREE_FORM("MusicBrainz Album Release Country"), .xiph = {"RELEASECOUNTRY"},
     .asf = "MusicBrainz/Album Release Country", .property = "RELEASECOUNTRY"},
    {.mpeg = "TXXX:REPLAYGAIN_TRACK_GAIN", .m4a = FREE_FORM("replaygain_track_gain"),
     .xiph = {"REPLAYGAIN_TRACK_GAIN"}, .asf = "replaygain_track_gain", .property = "REPLAYGAIN_TRACK_GAIN"},
    {.mpeg = "TXXX:REPLAYGAIN_TRACK_PEAK", .m4a = FREE_FORM("replaygain_track_peak"),
     .xiph = {"REPLAYGAIN_TRACK_PEAK"}, .asf = "replaygain_track_peak", .property = "REPLAYGAIN_TRACK_PEAK"},
    {.mpeg = "TXXX:REPLAYGAIN_ALBUM_GAIN", .m4a = FREE_FORM("replaygain_album_gain"),
     .xiph = {"REPLAYGAIN_ALBUM_GAIN"}, .asf = "replaygain_album_gain", .property = "REPLAYGAIN_ALBUM_GAIN"},
    {.mpeg = "TXXX:REPLAYGAIN_ALBUM_PEAK", .m4a = FREE_FORM("replaygain_album_peak"),
     .xiph = {"REPLAYGAIN_ALBUM_PEAK"}, .asf = "replaygain_album_peak", .property = "REPLAYGAIN_ALBUM_PEAK"},
    {.mpeg = "TMOO", .m4a = FREE_FORM("MOOD"), .xiph = {"MOOD"}, .asf = "WM/Mood", .property = "MOOD",
     .ffmpegOther = {"TMOO"}},
    {.mpeg = "TEXT", .m4a = FREE_FORM("LYRICIST"), .xiph = {"LYRICIST"}, .asf = "WM/Writer",
     .property = "LYRICIST", .ffmpegOther = {"TEXT"}},
    {.mpeg = "TSRC", .m4a = FREE_FORM("ISRC"), .xiph = {"ISRC"}, .asf = "WM/ISRC", .property = "ISRC",
     .ffmpegOther = {"TSRC"}},
    {.mpeg = "TSOP", .m4a = u"soar", .ffmpeg = "artist-sort", .xiph = {"ARTISTSORT"},
     .asf = "WM/ArtistSortOrder", .property = "ARTISTSORT", .ffmpegOther = {"sort_artist"}},
    {.mpeg = "TSOA", .m4a = u"soal", .ffmpeg = "album-sort", .xiph = {"ALBUMSORT"},
     .asf = "WM/AlbumSortOrder", .property = "ALBUMSORT", .ffmpegOther = {"sort_album"}},
    {.mpeg = "TSOT", .m4a = u"sonm", .ffmpeg = "title-sort", .xiph = {"TITLESORT"},
     .asf = "WM/TitleSortOrder", .property = "TITLESORT", .ffmpegOther = {"sort_name"}},
    {.mpeg = "TSO2", .m4a = u"soaa", .xiph = {"ALBUMARTISTSORT"}, .asf = "WM/AlbumArtistSortOrder",
     .property = "ALBUMARTISTSORT", .ffmpegOther = {"TSO2", "sort_album_artist"}},
    {.mpeg = "TSOC", .m4a = u"soco", .xiph = {"COMPOSERSORT"}, .property = "COMPOSERSORT",
     .ffmpegOther = {"TSOC", "sort_composer"}},
    {.mpeg = "TPOS", .m4a = u"disk", .ffmpeg = "disc", .xiph = {"DISCNUMBER"}, .asf = "WM/PartOfSet",
     .property = "DISCNUMBER", .totals = {"DISCTOTAL", "TOTALDISCS"}},
    {.mpeg = "TBPM", .m4a = u"tmpo", .xiph = {"BPM"}, .asf = "WM/BeatsPerMinute", .property = "BPM",
     .ffmpegOther = {"TBPM"}},
    {.mpeg = "TCMP", .m4a = u"cpil", .ffmpeg = "compilation", .xiph = {"COMPILATION"},
     .property = "COMPILATION", .ffmpegOther = {"TCMP"}},
    // clang-format on
};

#undef FREE_FORM

// The row of a logical name, else of a TagLib property name in any letter case.
const Row* rowOf(const QString& field) {
    for (const Row& row : kRows) {
        if (row.name && field == QLatin1String(row.name))
            return &row;
    }
    for (const Row& row : kRows) {
        if (row.property && field.compare(QLatin1String(row.property), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

QString textOf(const char* text) {
    return text ? QString::fromLatin1(text) : QString();
}

QString textOf(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}

// One column of a row; empty for no row or an empty place.
template <class Text> QString columnOf(const Row* row, Text Row::*column) {
    return row ? textOf(row->*column) : QString();
}

template <std::size_t n> QStringList namesOf(const char* const (&fields)[n]) {
    QStringList names;
    for (const char* field : fields) {
        if (field)
            names += QString::fromLatin1(field);
    }
    return names;
}

// A column of several names; empty for no row.
template <std::size_t n> QStringList namesOf(const Row* row, const char* const (Row::*column)[n]) {
    return row ? namesOf(row->*column) : QStringList();
}

QVariantMap buildMap() {
    QVariantMap mpeg, m4a, ffmpeg;
    for (const Row& row : kRows) {
        if (!row.name)
            continue;
        const QString name = QString::fromLatin1(row.name);
        mpeg.insert(name, QString::fromLatin1(row.mpeg));
        if (row.m4a)
            m4a.insert(name, QString::fromUtf16(row.m4a));
        ffmpeg.insert(name, QString::fromLatin1(row.ffmpeg));
    }
    return {{QStringLiteral("mpeg"), mpeg},
            {QStringLiteral("m4a"), m4a},
            {QStringLiteral("ffmpeg"), ffmpeg}};
}

// Every spelling of the row in any format, in TagLib's map or ffmpeg's keys, bare.
QStringList spellingsOf(const Row& row) {
    QStringList all = namesOf(row.xiph) + namesOf(row.ffmpegOther) + namesOf(row.riffInfo);
    for (const char* name : {row.mpeg, row.ffmpeg, row.asf, row.mp4Alias, row.property}) {
        if (name)
            all += MTETagKeyMap::bareName(QString::fromLatin1(name)).trimmed();
    }
    for (const char16_t* name : {row.m4a, row.mp4Copy}) {
        if (name)
            all += MTETagKeyMap::bareName(QString::fromUtf16(name));
    }
    return all;
}

// FFmpeg names a language-tagged frame "<name>-<lang>" or "<name>-<description>-<lang>", and
// Matroska a tag given in a language "<NAME>-<lang>"; a language of three NULs or blanks (as
// some taggers write it) leaves "<name>-" or "<name>-   ". The name without the language;
// empty for a name without one.
QString withoutLanguage(const QString& name) {
    const QString last = name.section(u'-', -1);
    const auto isLanguageCharacter = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u' ';
    };
    const bool language =
        name.contains(u'-') &&
        (last.isEmpty() ||
         (last.size() == 3 && std::all_of(last.begin(), last.end(), isLanguageCharacter)));
    return language ? name.section(u'-', 0, -2) : QString();
}

// Only lyrics and comments carry a language.
bool takesLanguage(const QString& logicalName) {
    return logicalName == QLatin1String("LRC") || logicalName == QLatin1String("Comment");
}

// Every spelling of the rows the pick takes, lower-cased, to the row's name.
template <class Name> QHash<QString, QString> buildSpellings(Name nameOf) {
    QHash<QString, QString> spellings;
    for (const Row& row : kRows) {
        const QString name = nameOf(row);
        if (name.isEmpty())
            continue;
        for (const QString& spelling : spellingsOf(row))
            spellings.insert(spelling.toLower(), name);
    }
    return spellings;
}

// Managed text names: the logical name.
QString logicalNameOf(const Row& row) {
    return row.name && QLatin1String(row.name) != QLatin1String("AlbumImg")
               ? QString::fromLatin1(row.name)
               : QString();
}

// The others: TagLib's property name.
QString propertyOf(const Row& row) {
    return row.name ? QString() : QString::fromLatin1(row.property);
}

// One place of the AIFF column, of every row that has it: the chunk ids, or the muxer's keys.
QStringList aiffPlaces(int place) {
    QStringList names;
    for (const Row& row : kRows) {
        if (row.aiff[place])
            names += QString::fromLatin1(row.aiff[place]);
    }
    return names;
}

const QHash<QString, QString>& managedSpellings() {
    static const QHash<QString, QString> spellings = buildSpellings(logicalNameOf);
    return spellings;
}

// The logical name a spelling (bare, in any letter case) stands for; empty for none.
QString logicalNameOfSpelling(const QString& spelling) {
    return managedSpellings().value(spelling.toLower());
}

} // namespace

const QVariantMap& MTETagKeyMap::gMusicTagMapInfo() {
    static const QVariantMap map = buildMap();
    return map;
}

void MTETagKeyMap::prepareMusicTagMapInfo() {
    gMusicTagMapInfo();
}

QVariantMap MTETagKeyMap::familyMap(const QString& family) {
    return gMusicTagMapInfo().value(family).toMap();
}

QString MTETagKeyMap::keyForName(const QString& family, const QString& logicalName) {
    return familyMap(family).value(logicalName).toString();
}

QString MTETagKeyMap::familyOfFileType(int fileType) {
    switch (fileType) {
    case MTEFileTypeMpeg:
        return QStringLiteral("mpeg");
    case MTEFileTypeM4A:
        return QStringLiteral("m4a");
    default:
        return QStringLiteral("ffmpeg");
    }
}

QString MTETagKeyMap::sourceFamilyOfFileType(int fileType) {
    return familyOfFileType(fileType);
}

QString MTETagKeyMap::destinationFamilyOfFileType(int fileType) {
    return fileType == MTEFileTypeMpeg ? QStringLiteral("mpeg") : QStringLiteral("m4a");
}

int MTETagKeyMap::fileTypeOfMap(const QVariantMap& dicMap) {
    for (int type : {int(MTEFileTypeMpeg), int(MTEFileTypeM4A)}) {
        if (!dicMap.isEmpty() && dicMap == familyMap(familyOfFileType(type)))
            return type;
    }
    return MTEFileTypeOther;
}

QStringList MTETagKeyMap::xiphFieldNames(const QString& field) {
    return namesOf(rowOf(field), &Row::xiph);
}

QString MTETagKeyMap::asfName(const QString& field) {
    return columnOf(rowOf(field), &Row::asf);
}

MTETagKeyMap::AsfDescription MTETagKeyMap::asfDescriptionOf(const QString& asfName) {
    for (const Row& row : kRows) {
        if (row.asf && asfName == QLatin1String(row.asf))
            return row.asfDescription;
    }
    return AsfDescription::None;
}

QStringList MTETagKeyMap::riffInfoIds(const QString& logicalName) {
    return namesOf(rowOf(logicalName), &Row::riffInfo);
}

QString MTETagKeyMap::bareName(const QString& entryName) {
    if (entryName.startsWith(QLatin1String("TXXX:"), Qt::CaseInsensitive))
        return entryName.mid(5);
    if (entryName.startsWith(QLatin1String("----:")))
        return entryName.section(u':', 2);
    return entryName;
}

QString MTETagKeyMap::logicalNameOfEntry(const QString& entryName) {
    const QString name = bareName(entryName);
    if (const QString logicalName = logicalNameOfSpelling(name); !logicalName.isEmpty())
        return logicalName;
    const QString plain = withoutLanguage(name);
    if (plain.isEmpty())
        return {};
    // "<name>-<description>" as ffmpeg names a described frame.
    QString logicalName = logicalNameOfSpelling(plain);
    if (logicalName.isEmpty())
        logicalName = logicalNameOfSpelling(plain.section(u'-', 0, 0));
    return takesLanguage(logicalName) ? logicalName : QString();
}

QString MTETagKeyMap::logicalNameWithLanguage(const QString& entryName) {
    const QString plain = withoutLanguage(bareName(entryName));
    return plain.isEmpty() ? QString() : logicalNameOfSpelling(plain);
}

QString MTETagKeyMap::fieldOfEntry(const QString& entryName) {
    return fieldOfEntry(entryName, FileSpellings());
}

QString MTETagKeyMap::fieldOfEntry(const QString& entryName, const FileSpellings& file) {
    const QString name = bareName(entryName);
    if (totalNames(QStringLiteral("Track")).contains(name, Qt::CaseInsensitive))
        return QStringLiteral("Track");
    if (const QString logicalName = logicalNameOfEntry(entryName); !logicalName.isEmpty())
        return logicalName;
    if (!file.commentDescription.isEmpty() &&
        name.compare(file.commentDescription, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Comment");
    return file.namesByLanguage ? logicalNameWithLanguage(entryName) : QString();
}

QString MTETagKeyMap::mp4CopyKey(const QString& logicalName) {
    return columnOf(rowOf(logicalName), &Row::mp4Copy);
}

QString MTETagKeyMap::propertyOfEntry(const QString& entryName) {
    static const QHash<QString, QString> spellings = buildSpellings(propertyOf);
    return spellings.value(bareName(entryName).toLower());
}

QString MTETagKeyMap::ffmpegKeyOfProperty(const QString& property) {
    return columnOf(rowOf(property), &Row::ffmpeg);
}

QString MTETagKeyMap::mp4ItemOfProperty(const QString& property) {
    return columnOf(rowOf(property), &Row::m4a);
}

QString MTETagKeyMap::asfNameOfProperty(const QString& property) {
    return columnOf(rowOf(property), &Row::asf);
}

QString MTETagKeyMap::id3FrameOf(const QString& field) {
    return columnOf(rowOf(field), &Row::mpeg);
}

QString MTETagKeyMap::aiffChunkId(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    return row ? textOf(row->aiff[0]) : QString();
}

QStringList MTETagKeyMap::aiffChunkIds() {
    return aiffPlaces(0);
}

QStringList MTETagKeyMap::aiffMuxerKeys() {
    return aiffPlaces(1);
}

QStringList MTETagKeyMap::totalNames(const QString& field) {
    return namesOf(rowOf(field), &Row::totals);
}

bool MTETagKeyMap::isEncodeProperty(const QString& property) {
    static const QStringList names{QStringLiteral("ENCODER"), QStringLiteral("ENCODING"),
                                   QStringLiteral("ENCODERSETTINGS"), QStringLiteral("LENGTH")};
    return names.contains(property, Qt::CaseInsensitive);
}

QString MTETagKeyMap::discField() {
    return QStringLiteral("DISCNUMBER");
}

QString MTETagKeyMap::id3UserTextOfProperty(const QString& property) {
    const QString frame = id3FrameOf(property);
    return frame.startsWith(QLatin1String("TXXX:")) ? bareName(frame) : QString();
}

QStringList MTETagKeyMap::ffmpegKeys(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    if (!row)
        return {};
    QStringList keys = namesOf(row->ffmpegOther);
    if (row->ffmpeg)
        keys.prepend(QString::fromLatin1(row->ffmpeg));
    return keys;
}
