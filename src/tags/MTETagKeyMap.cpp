#include "tags/MTETagKeyMap.h"

#include "tags/MTEFileType.h"

#include <QHash>

#include <algorithm>

namespace {

struct Row {
    const char* name;
    const char* mpeg;
    const char16_t* m4a; // null: the family has no key for the name
    const char* ffmpeg;
    // Vorbis comment field names (unused places null): the first is written, all are read
    // and replaced.
    const char* xiph[3];
    // The WMA (ASF) name: a content description field ("Title", "Author", "Copyright",
    // "Description") or an extended attribute.
    const char* asf;
    // The RIFF INFO chunk id a WAV file may hold the field in; null for none.
    const char* riffInfo;
    // The MP4 item ffmpeg's copy of the source carries the field in, where the "m4a" table
    // names another or none: the tag copy writes it too, so it never keeps an old value.
    const char16_t* mp4Copy = nullptr;
    // An MP4 item read and replaced as the field, never written: ffmpeg reads "desc" as the
    // "description" that Vorbis comments hold the comment in.
    const char* mp4Alias = nullptr;
};

// MP4 keys that begin with U+00A9 compare equal to the item names TagLib decodes.
constexpr Row kRows[] = {
    {"AlbumImg", "APIC", u"covr", "APIC", {}, "WM/Picture", nullptr},
    {"Title", "TIT2", u"\u00A9nam", "title", {"TITLE"}, "Title", "INAM"},
    {"Date", "TDRC", u"\u00A9day", "date", {"DATE", "YEAR"}, "WM/Year", "ICRD"},
    {"Track", "TRCK", u"trkn", "track", {"TRACKNUMBER"}, "WM/TrackNumber", "IPRT"},
    {"LRC", "USLT", u"\u00A9lyr", "lyrics", {"LYRICS", "UNSYNCEDLYRICS"}, "WM/Lyrics", nullptr},
    {"Album", "TALB", u"\u00A9alb", "album", {"ALBUM"}, "WM/AlbumTitle", "IPRD"},
    {"Genre", "TCON", u"\u00A9gen", "genre", {"GENRE"}, "WM/Genre", "IGNR"},
    {"Artist", "TPE1", u"\u00A9ART", "artist", {"ARTIST"}, "Author", "IART"},
    {"AlbumArtist",
     "TPE2",
     u"aART",
     "album_artist",
     {"ALBUMARTIST", "ALBUM ARTIST"},
     "WM/AlbumArtist",
     nullptr},
    {"Publisher",
     "TPUB",
     u"TPUB",
     "publisher",
     {"PUBLISHER", "ORGANIZATION", "LABEL"},
     "WM/Publisher",
     nullptr,
     u"----:com.apple.iTunes:publisher"},
    {"Composer", "TCOM", u"\u00A9wrt", "composer", {"COMPOSER"}, "WM/Composer", nullptr},
    {"Copyright", "TCOP", u"TCOP", "copyright", {"COPYRIGHT"}, "Copyright", "ICOP", u"cprt"},
    {"Comment",
     "COMM",
     u"\u00A9cmt",
     "comment",
     {"COMMENT", "DESCRIPTION"},
     "Description",
     "ICMT",
     nullptr,
     "desc"},
    {"Grouping",
     "TIT1",
     nullptr,
     "grouping",
     {"GROUPING", "CONTENTGROUP"},
     "WM/ContentGroupDescription",
     nullptr,
     u"\u00A9grp"},
};

const Row* rowOf(const QString& logicalName) {
    for (const Row& row : kRows) {
        if (logicalName == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

QVariantMap buildMap() {
    QVariantMap mpeg, m4a, ffmpeg;
    for (const Row& row : kRows) {
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

QStringList xiphNamesOf(const Row& row) {
    QStringList names;
    for (const char* field : row.xiph) {
        if (field)
            names += QString::fromLatin1(field);
    }
    return names;
}

// FFmpeg names a language-tagged frame "<name>-<lang>" or "<name>-<description>-<lang>"; a
// language of three NULs or blanks (as some taggers write it) leaves "<name>-" or "<name>-   ".
bool hasLanguageSuffix(const QString& name) {
    const QString last = name.section(u'-', -1);
    const auto isLanguageCharacter = [](QChar c) { return (c >= u'a' && c <= u'z') || c == u' '; };
    return name.contains(u'-') &&
           (last.isEmpty() ||
            (last.size() == 3 && std::all_of(last.begin(), last.end(), isLanguageCharacter)));
}

// Only lyrics and comments carry a language.
bool takesLanguage(const QString& logicalName) {
    return logicalName == QLatin1String("LRC") || logicalName == QLatin1String("Comment");
}

// Fields that hold a part of the track field: the total beside the number.
constexpr const char* kTrackTotalNames[] = {"TRACKTOTAL", "TOTALTRACKS"};

// Every spelling of a managed text name, lower-cased, to its logical name.
QHash<QString, QString> buildSpellings() {
    QHash<QString, QString> spellings;
    for (const Row& row : kRows) {
        const QString name = QString::fromLatin1(row.name);
        if (name == QLatin1String("AlbumImg"))
            continue;
        QStringList all = xiphNamesOf(row);
        all << QString::fromLatin1(row.mpeg) << QString::fromLatin1(row.ffmpeg);
        if (row.m4a)
            all += QString::fromUtf16(row.m4a);
        if (row.mp4Copy)
            all += QString::fromUtf16(row.mp4Copy).section(u':', -1);
        all += QString::fromLatin1(row.asf);
        if (row.mp4Alias)
            all += QString::fromLatin1(row.mp4Alias);
        if (row.riffInfo)
            all += QString::fromLatin1(row.riffInfo);
        for (const QString& spelling : std::as_const(all))
            spellings.insert(spelling.toLower(), name);
    }
    return spellings;
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

QStringList MTETagKeyMap::xiphFieldNames(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    return row ? xiphNamesOf(*row) : QStringList();
}

QString MTETagKeyMap::asfName(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    return row ? QString::fromLatin1(row->asf) : QString();
}

QString MTETagKeyMap::riffInfoId(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    return row && row->riffInfo ? QString::fromLatin1(row->riffInfo) : QString();
}

QString MTETagKeyMap::bareName(const QString& entryName) {
    if (entryName.startsWith(QLatin1String("TXXX:"), Qt::CaseInsensitive))
        return entryName.mid(5);
    if (entryName.startsWith(QLatin1String("----:")))
        return entryName.section(u':', 2);
    return entryName;
}

QString MTETagKeyMap::logicalNameOfEntry(const QString& entryName) {
    static const QHash<QString, QString> spellings = buildSpellings();
    const QString name = bareName(entryName).toLower();
    if (const auto found = spellings.constFind(name); found != spellings.cend())
        return *found;
    if (!hasLanguageSuffix(name))
        return {};
    const QString logicalName = spellings.value(name.section(u'-', 0, 0));
    return takesLanguage(logicalName) ? logicalName : QString();
}

QString MTETagKeyMap::fieldOfEntry(const QString& entryName) {
    const QString name = bareName(entryName);
    for (const char* total : kTrackTotalNames) {
        if (name.compare(QLatin1String(total), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Track");
    }
    return logicalNameOfEntry(entryName);
}

QString MTETagKeyMap::mp4CopyKey(const QString& logicalName) {
    const Row* row = rowOf(logicalName);
    return row && row->mp4Copy ? QString::fromUtf16(row->mp4Copy) : QString();
}
