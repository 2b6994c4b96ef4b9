#include "tags/MTETagKeyMap.h"

#include "tags/MTEFileType.h"

namespace {

struct Row {
    const char* name;
    const char* mpeg;
    const char16_t* m4a; // null: the family has no key for the name
    const char* ffmpeg;
};

// MP4 keys that begin with U+00A9 compare equal to the item names TagLib decodes.
constexpr Row kRows[] = {
    {"AlbumImg", "APIC", u"covr", "APIC"},
    {"Title", "TIT2", u"\u00A9nam", "title"},
    {"Date", "TDRC", u"\u00A9day", "date"},
    {"Track", "TRCK", u"trkn", "track"},
    {"LRC", "USLT", u"\u00A9lyr", "lyrics"},
    {"Album", "TALB", u"\u00A9alb", "album"},
    {"Genre", "TCON", u"\u00A9gen", "genre"},
    {"Artist", "TPE1", u"\u00A9ART", "artist"},
    {"AlbumArtist", "TPE2", u"aART", "album_artist"},
    {"Publisher", "TPUB", u"TPUB", "publisher"},
    {"Composer", "TCOM", u"\u00A9wrt", "composer"},
    {"Copyright", "TCOP", u"TCOP", "copyright"},
    {"Comment", "COMM", u"\u00A9cmt", "comment"},
    {"Grouping", "TIT1", nullptr, "grouping"},
};

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
