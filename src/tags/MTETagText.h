#pragma once

#include <QByteArray>
#include <QImage>
#include <QLoggingCategory>
#include <QSize>
#include <QString>
#include <QVariant>

#include <taglib/tbytevector.h>
#include <taglib/tstring.h>
#include <taglib/tstringlist.h>

Q_DECLARE_LOGGING_CATEGORY(lcTags)

// Conversions between Qt and TagLib values shared by the tag handlers.
class MTETagText {
public:
    static QString toQString(const TagLib::String& text);
    static TagLib::String toTagString(const QString& text);
    // The path in the form the file system takes (TagLib and FFmpeg want bytes).
    static QByteArray fileName(const QString& path);

    // A cover value: encoded image bytes (as read from a file) or a QImage (as the user
    // gives one), decoded here. Null for anything else, including the "no picture" marker.
    static QImage imageOfValue(const QVariant& value);
    // The "no picture" marker stored under a cover key: an empty QVariant.
    static QVariant noPictureMarker() { return {}; }
    static bool isNoPictureMarker(const QVariant& value);
    // JPEG bytes of the cover value; empty when it is no image or cannot be encoded.
    static TagLib::ByteVector jpegBytesOfValue(const QVariant& value);
    static TagLib::ByteVector jpegBytesOfImage(const QImage& image);

    // A cover as the tag writers store it.
    struct CoverPicture {
        enum class Format { None, Jpeg, Png };
        Format format = Format::None; // None: the cover is left out
        bool reencoded = false;       // JPEG made from the decoded picture, not its own bytes
        TagLib::ByteVector bytes;
        QSize size{0, 0}; // as decoded, or as the picture's header gives it; 0 x 0 unknown
        int depth = 0;    // bits a pixel; 0 when unknown
        QString reason;   // why the picture is not re-encoded
        bool isLeftOut() const { return format == Format::None; }
        const char* mimeType() const { return format == Format::Png ? "image/png" : "image/jpeg"; }
    };
    // The cover value for the file at path: re-encoded as JPEG when it decodes within the
    // cover budget. Encoded bytes that do not decode (a picture too big to decode, say) are
    // carried as they are when they are JPEG or PNG, which is logged, and left out otherwise.
    static CoverPicture coverPictureOfValue(const QVariant& value, const QString& path);
    // Logs a cover left out of the file at path, and whether the file keeps a picture of its
    // own (a cover other than the one asked for).
    static void logLeftOutCover(const CoverPicture& cover, const QString& path,
                                bool fileKeepsPicture);

    // The picture bytes as a cover value when they look decodable, judged from the image
    // header and size without decoding the pixels; a null QByteArray otherwise. Rows keep
    // covers encoded: a decoded 1400x1400 cover costs 7.5 MB, its JPEG a few hundred KB.
    // Equal pictures share one copy (MTECoverCache).
    static QByteArray coverBytes(const TagLib::ByteVector& bytes);
    static QByteArray coverBytes(const QByteArray& bytes);
    static bool isDecodableImage(const QByteArray& bytes);

    // The names of a TagLib map's entries (MP4 items, Vorbis fields, ASF attributes) that the
    // predicate picks, gathered before any is removed from the map.
    template <class Map, class Picks>
    static TagLib::StringList namesWhere(const Map& entries, Picks picks) {
        TagLib::StringList names;
        for (const auto& [name, entry] : entries) {
            if (picks(toQString(name)))
                names.append(name);
        }
        return names;
    }

    // Entries about the source's own encode and container, which ffmpeg would carry over as
    // tags: the encoder's gapless delay and padding "iTunSMPB", "iTunPGAP" and loudness
    // "iTunNORM", and the MP4 brands "major_brand", "minor_version", "compatible_brands".
    // They are wrong for any new encode, and the brands are no tags at all, so no output
    // receives them.
    static const QStringList& encoderEntryNames();
    // Such an entry, or the settings a WMA encoder ran with ("WM/EncodingSettings"), by its
    // key (MTETagKeyMap::bareName: the name of a free-form MP4 item or of a user text, an ID3v2
    // comment's description, a Vorbis comment field), in any letter case.
    static bool isEncoderEntryName(const QString& name);

    // A value that stands for text: a string, a number, nothing (the empty text), or the
    // several values of one field as a string list.
    static bool isTextValue(const QVariant& value);
    // A text value with at least one character.
    static bool hasText(const QVariant& value);
    // The values of a text value: each string of a list, else the one text (none when empty).
    static QStringList valuesOf(const QVariant& value);
    // The text of a value, several values joined as the editor shows them.
    static QString textOf(const QVariant& value);
    // A number and the total that a file keeps in a field of its own, as "n/total": the
    // number as it is when it has a total already or the total is no positive number.
    static QString numberWithTotal(const QString& number, const QString& total);
    // Several values of one field as one text: "A; B".
    static QString joinedValues(const QStringList& values);
    // The entry holds values and each is one of the field's, or several of them joined as ffmpeg
    // and the editor join them ("A;B", "A; B"); blanks around a value do not count.
    static bool holdsOnly(const QStringList& fieldValues, const QStringList& entryValues);
    static QStringList toQStringList(const TagLib::StringList& values);
    static TagLib::StringList toTagStringList(const QStringList& values);
};
