#include "ShellTestSupport.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVConvertRun.h"
#include "shell/QVFileInfoViewController.h"
#include "shell/QVMetadataEditWndCtlr.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"
#include "util/GlobalFun.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDraggingImageView.h"
#include "views/QVTipsView.h"

#include "MediaFixtures.h"
#include "ViewTestSupport.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <taglib/aifffile.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <functional>
#include <span>

namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

QImage makeCover(QColor color) {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(color);
    QPainter painter(&image);
    painter.fillRect(0, 0, 150, 100, QColor(240, 200, 20));
    return image;
}

QJsonObject formatTags(const QJsonObject& probe);

QString formatTag(const QJsonObject& probe, const QString& prefix) {
    const QJsonObject tags = formatTags(probe);
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().startsWith(prefix, Qt::CaseInsensitive))
            return it.value().toString();
    }
    return {};
}

// The stream of the attached picture, or an empty object.
QJsonObject attachedPicture(const QJsonObject& probe) {
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject disposition =
            stream.toObject().value(QStringLiteral("disposition")).toObject();
        if (disposition.value(QStringLiteral("attached_pic")).toInt() == 1)
            return stream.toObject();
    }
    return {};
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One text field of the editor: its old value in every source (and the other texts that
// field leaves in a file), and what an edit types.
struct EditedField {
    const char* widget;
    const char* logicalName;
    QStringList oldValues;
    const char* newValue;
};

const EditedField kFields[] = {
    {"_tfTitle", "Title", {"Old title"}, "New title"},
    {"_tfArtist", "Artist", {"Old artist"}, "New artist"},
    {"_tfAlbum", "Album", {"Old album"}, "New album"},
    {"_tfAlbumArtist", "AlbumArtist", {"Old band"}, "New band"},
    {"_tfYear", "Date", {"1999"}, "2024"},
    {"_tfTrackNum", "Track", {"5/9", "5", "9"}, "7/12"},
    {"_tfGenre", "Genre", {"Old genre"}, "New genre"},
    {"_tfComposer", "Composer", {"Old composer"}, "New composer"},
    {"_tfPublisher", "Publisher", {"Old publisher"}, "New publisher"},
    {"_tfCopyright", "Copyright", {"Old copyright"}, "New copyright"},
    {"_tfGrouping", "Grouping", {"Old grouping"}, "New grouping"},
    {"_tvComments", "Comment", {"Old comment"}, "New comment"},
    {"_tvLycirs", "LRC", {"Old lyrics"}, "New lyrics"},
};

TagLib::ByteVector coverBytes() {
    const QByteArray png =
        GlobalFun::imageDataRepresentationOfType(makeCover(Qt::darkGreen), key("png"));
    return TagLib::ByteVector(png.constData(), unsigned(png.size()));
}

std::unique_ptr<TagLib::FLAC::Picture> flacPicture() {
    auto picture = std::make_unique<TagLib::FLAC::Picture>();
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/png");
    picture->setData(coverBytes());
    return picture;
}

void addId3Picture(TagLib::ID3v2::Tag* tag) {
    auto picture = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    picture->setMimeType("image/png");
    picture->setPicture(coverBytes());
    tag->addFrame(picture.release());
}

void addId3Lyrics(TagLib::ID3v2::Tag* tag) {
    auto lyrics = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>();
    lyrics->setText("Old lyrics");
    tag->addFrame(lyrics.release());
}

// Fields no row manages, as taggers write them into each kind of file: a MusicBrainz id,
// ReplayGain and several artists.
const QStringList kUnmanagedValues{"mb-album-id", "-1.5 dB", "Artist One", "Artist Two"};

void addUnmanagedFields(TagLib::ID3v2::Tag* tag) {
    for (const auto& [name, values] :
         {std::pair{"MusicBrainz Album Id", TagLib::StringList("mb-album-id")},
          std::pair{"replaygain_track_gain", TagLib::StringList("-1.5 dB")},
          std::pair{"Artists", TagLib::StringList("Artist One").append("Artist Two")}})
        tag->addFrame(
            new TagLib::ID3v2::UserTextIdentificationFrame(name, values, TagLib::String::UTF8));
}

void addUnmanagedFields(TagLib::Ogg::XiphComment* comment) {
    comment->addField("MUSICBRAINZ_ALBUMID", "mb-album-id");
    comment->addField("REPLAYGAIN_TRACK_GAIN", "-1.5 dB");
    comment->addField("ARTISTS", "Artist One");
    comment->addField("ARTISTS", "Artist Two", false);
}

void addUnmanagedFields(TagLib::MP4::Tag* tag) {
    tag->setItem("----:com.apple.iTunes:MusicBrainz Album Id", TagLib::StringList("mb-album-id"));
    tag->setItem("----:com.apple.iTunes:replaygain_track_gain", TagLib::StringList("-1.5 dB"));
    tag->setItem("----:com.apple.iTunes:ARTISTS",
                 TagLib::StringList("Artist One").append("Artist Two"));
}

void addUnmanagedFields(TagLib::ASF::Tag* tag) {
    tag->setAttribute("MusicBrainz/Album Id", TagLib::String("mb-album-id"));
    tag->setAttribute("replaygain_track_gain", TagLib::String("-1.5 dB"));
    TagLib::ASF::AttributeList artists;
    artists.append(TagLib::ASF::Attribute(TagLib::String("Artist One")));
    artists.append(TagLib::ASF::Attribute(TagLib::String("Artist Two")));
    tag->setAttribute("WM/ARTISTS", artists);
}

// A WAV file as taggers leave it beside ffmpeg's INFO chunk: an ID3 chunk with every field.
bool addWavId3Chunk(const QByteArray& name) {
    TagLib::RIFF::WAV::File file(name.constData());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    TagLib::PropertyMap properties;
    for (const char* field : {"TITLE=Old title", "ARTIST=Old artist", "ALBUM=Old album",
                              "ALBUMARTIST=Old band", "DATE=1999", "GENRE=Old genre",
                              "COMPOSER=Old composer", "DISCNUMBER=2/3", "COPYRIGHT=Old copyright",
                              "LABEL=Old publisher", "TRACKNUMBER=5/9", "COMMENT=Old comment"}) {
        const QString text = key(field);
        properties.insert(MTETagText::toTagString(text.section(u'=', 0, 0)),
                          TagLib::StringList(MTETagText::toTagString(text.section(u'=', 1))));
    }
    tag->setProperties(properties);
    auto grouping =
        std::make_unique<TagLib::ID3v2::TextIdentificationFrame>("TIT1", TagLib::String::UTF8);
    grouping->setText("Old grouping");
    tag->addFrame(grouping.release());
    addId3Lyrics(tag);
    addId3Picture(tag);
    addUnmanagedFields(tag);
    return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone);
}

// A WMA file as taggers write it: year, lyrics and grouping under their WM/ names only, the
// comment also in WM/Comments.
bool retagWma(const QByteArray& name) {
    TagLib::ASF::File file(name.constData());
    TagLib::ASF::Tag* tag = file.tag();
    for (const char* ffmpegName : {"date", "lyrics", "grouping"})
        tag->removeItem(ffmpegName);
    tag->setAttribute("WM/Year", TagLib::String("1999"));
    tag->setAttribute("WM/Lyrics", TagLib::String("Old lyrics"));
    tag->setAttribute("WM/ContentGroupDescription", TagLib::String("Old grouping"));
    tag->setAttribute("WM/Comments", TagLib::String("Old comment"));
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::FrontCover);
    picture.setMimeType("image/png");
    picture.setPicture(coverBytes());
    tag->setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
    addUnmanagedFields(tag);
    return file.save();
}

// All 13 fields, a disc number and a cover, with the spellings taggers and ffmpeg leave: an
// MP3's only comment described "ID3v1 Comment" and its lyrics also as user text; an M4A's
// copyright in "cprt", its publisher also as free-form LABEL and publisher items (under a
// brand of its own, told apart from an M4A output's); a FLAC's, Ogg's or Opus file's track
// total in TRACKTOTAL, lyrics in ffmpeg's spelling and a field that only looks like a
// managed one; a WAV's fields in an ID3 chunk beside ffmpeg's INFO chunk; a WMA's year,
// lyrics and grouping under WM/ names; an AIFF's ID3 chunk as ffmpeg writes it.
bool makeTaggedSource(const QString& path) {
    const QString type = QFileInfo(path).suffix();
    QString tags = key("title=Old title|artist=Old artist|album=Old album|album_artist=Old band|"
                       "date=1999|genre=Old genre|composer=Old composer|disc=2/3|"
                       "copyright=Old copyright|grouping=Old grouping|publisher=Old publisher|");
    const QStringList xiph{"flac", "ogg", "opus"};
    if (type == QLatin1String("mp3"))
        tags += key("track=5/9");
    else if (xiph.contains(type))
        tags += key("comment=Old comment|lyrics-eng=Old lyrics|track=5|TRACKTOTAL=9|"
                    "ALBUM-ART=keep-me");
    else
        tags += key("comment=Old comment|lyrics=Old lyrics|track=5/9");
    QStringList args{"-brand", "mp42"};
    for (const QString& tag : tags.split(u'|'))
        args << key("-metadata") << tag;
    if (type == QLatin1String("aiff"))
        args << key("-write_id3v2") << key("1");
    if (!MediaFixtures::makeSine(path, 3.5, 44100, 2, type == "m4a" ? args : args.mid(2)))
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (type == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        auto comment = std::make_unique<TagLib::ID3v2::CommentsFrame>(TagLib::String::UTF8);
        comment->setDescription("ID3v1 Comment");
        comment->setText("Old comment");
        tag->addFrame(comment.release());
        addId3Lyrics(tag);
        tag->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
            "lyrics-eng", TagLib::StringList("Old lyrics"), TagLib::String::UTF8));
        addId3Picture(tag);
        addUnmanagedFields(tag);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
    }
    if (type == QLatin1String("m4a")) {
        TagLib::MP4::File file(name.constData());
        for (const char* item : {"----:com.apple.iTunes:LABEL", "----:com.apple.iTunes:publisher"})
            file.tag()->setItem(item, TagLib::StringList("Old publisher"));
        file.tag()->setItem("desc", TagLib::StringList("Old comment"));
        TagLib::MP4::Tag fields;
        addUnmanagedFields(&fields);
        for (const auto& [name, item] : fields.itemMap())
            file.tag()->setItem(name, item);
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, coverBytes()));
        file.tag()->setItem("covr", covers);
        return file.save();
    }
    if (type == QLatin1String("wav"))
        return addWavId3Chunk(name);
    if (type == QLatin1String("wma"))
        return retagWma(name);
    if (type == QLatin1String("aiff")) {
        TagLib::RIFF::AIFF::File file(name.constData());
        addId3Picture(file.tag());
        addUnmanagedFields(file.tag());
        return file.save();
    }
    if (type == QLatin1String("ogg")) {
        TagLib::Ogg::Vorbis::File file(name.constData());
        file.tag()->addPicture(flacPicture().release());
        addUnmanagedFields(file.tag());
        return file.save();
    }
    if (type == QLatin1String("opus")) {
        TagLib::Ogg::Opus::File file(name.constData());
        file.tag()->addPicture(flacPicture().release());
        addUnmanagedFields(file.tag());
        return file.save();
    }
    TagLib::FLAC::File file(name.constData());
    file.addPicture(flacPicture().release());
    addUnmanagedFields(file.xiphComment(true));
    return file.save();
}

// The container's tags and its audio stream's, where Ogg files keep theirs.
QJsonObject formatTags(const QJsonObject& probe) {
    QJsonObject tags = MediaFixtures::formatTags(probe);
    const QJsonObject stream = MediaFixtures::firstAudioStream(probe);
    const QJsonObject streamTags = stream.value(QStringLiteral("tags")).toObject();
    for (auto it = streamTags.begin(); it != streamTags.end(); ++it) {
        if (!tags.contains(it.key()))
            tags.insert(it.key(), it.value());
    }
    return tags;
}

// Every text an output holds: ffprobe's tags, and TagLib's property map and raw frames, items
// and fields.
QStringList textsOf(const QJsonObject& probe, const QString& path) {
    QStringList texts;
    for (const QJsonValue& value : formatTags(probe))
        texts += value.toString();
    const auto add = [&texts](const TagLib::StringList& values) {
        for (const TagLib::String& value : values)
            texts += MTETagText::toQString(value);
    };
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    if (ref.isNull())
        return texts; // no TagLib reader (CAF)
    for (const auto& [name, values] : ref.file()->properties())
        add(values);
    TagLib::ID3v2::Tag* id3 = nullptr;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file()))
        id3 = mpeg->ID3v2Tag();
    else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file()))
        id3 = wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(ref.file()))
        id3 = aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
    for (const TagLib::ID3v2::Frame* frame : id3 ? id3->frameList() : TagLib::ID3v2::FrameList())
        texts += MTETagText::toQString(frame->toString());
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file()); wav && wav->hasInfoTag()) {
        for (const auto& [name, value] : wav->InfoTag()->fieldListMap())
            texts += MTETagText::toQString(value);
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(ref.file()); mp4 && mp4->tag()) {
        for (const auto& [name, item] : mp4->tag()->itemMap())
            add(item.toStringList());
    }
    auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(ref.file()->tag());
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(ref.file()))
        xiph = flac->xiphComment();
    for (const auto& [name, values] : xiph ? xiph->fieldListMap() : TagLib::Ogg::FieldListMap())
        add(values);
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(ref.file()); asf && asf->tag()) {
        for (const TagLib::String& text : {asf->tag()->title(), asf->tag()->artist(),
                                           asf->tag()->copyright(), asf->tag()->comment()})
            texts += MTETagText::toQString(text);
        for (const auto& [name, attributes] : asf->tag()->attributeListMap()) {
            for (const TagLib::ASF::Attribute& attribute : attributes)
                texts += MTETagText::toQString(attribute.toString());
        }
    }
    return texts;
}

// The values of every format tag that spells the field, under any of its names; of a number,
// the number alone. MP4 keeps a description (desc) of its own beside the comment.
QStringList probedValues(const QJsonObject& probe, const QString& logicalName) {
    const QJsonObject tags = formatTags(probe);
    const bool mp4 = tags.contains(key("major_brand"));
    QStringList values;
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (MTETagKeyMap::logicalNameOfEntry(it.key()) == logicalName &&
            !(mp4 && it.key() == key("description")))
            values += it.value().toString().section(u'/', 0, 0);
    }
    return values;
}

// A text keeps a value when it holds the words, or the number as a word of its own: a lone
// number also beside a total ("5" in "5/9"), a number with its total only whole.
bool holds(const QStringList& texts, const QString& value) {
    return std::any_of(texts.begin(), texts.end(), [&value](const QString& text) {
        if (value.contains(u' '))
            return text.contains(value);
        const QString separators =
            value.contains(u'/') ? QStringLiteral("[\\s\\[\\]]+") : QStringLiteral("[\\s\\[\\]/]+");
        return text.split(QRegularExpression(separators)).contains(value);
    });
}

// What a plain "ffmpeg -i source -vn output" keeps of the source's tags, less the data about
// the source's encode and container that no output is to carry; none when ffmpeg failed.
std::optional<QJsonObject> plainCopyTags(const QString& source, const QString& suffix) {
    const QString plain = TestEnvironment::makeTempFolder(QStringLiteral("plain")) +
                          QStringLiteral("/plain.") + suffix;
    if (!MediaFixtures::runFfmpeg({key("-i"), source, key("-vn"), plain}))
        return std::nullopt;
    QJsonObject tags = formatTags(MediaFixtures::probe(plain));
    for (const char* name : {"major_brand", "minor_version", "compatible_brands", "iTunSMPB",
                             "iTunPGAP", "iTunNORM", "handler_name", "vendor_id", "encoder"})
        tags.remove(key(name));
    return tags;
}

// The output has the tag under its name in any letter case; a track number may come back as
// number and total. Several values come back as ffmpeg joins them ("A;B"), or as values of
// their own, of which ffprobe shows the first (the texts of the output hold the others). A
// spelling of a managed field in the source's own file (its comment's description) counts as
// the field.
bool keepsTag(const QJsonObject& probe, const QString& name, const QString& value,
              const MTEAudioFile& source) {
    const QJsonObject tags = formatTags(probe);
    const bool track = name.compare(QLatin1String("track"), Qt::CaseInsensitive) == 0;
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        const QString ours = it.value().toString();
        const QString field = MTETagKeyMap::propertyOfEntry(name); // under another format's name
        const QString managed = source.fieldOfEntryName(name);     // or another spelling
        if ((it.key().compare(name, Qt::CaseInsensitive) == 0 ||
             (!field.isEmpty() && MTETagKeyMap::propertyOfEntry(it.key()) == field) ||
             (!managed.isEmpty() && MTETagKeyMap::logicalNameOfEntry(it.key()) == managed)) &&
            (track ? ours.section(u'/', 0, 0) == value.section(u'/', 0, 0)
                   : ours.section(u';', 0, 0) == value.section(u';', 0, 0)))
            return true;
    }
    return false;
}

struct EditThenConvert : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        QVAppDelegate::prepareMusicTagMapInfo();
        QVAppDelegate::setPreferenceValue();
        Workspace::setOpener([](const QUrl&) { return true; });
        prompts = std::make_shared<FakePrompts>();
        controller = std::make_unique<QVMainAppController>(shippedCatalogue(), prompts);
        QObject::connect(&controller->convertRun(), &QVConvertRun::runDidEnd,
                         [this](const QString&) { ++runsEnded; });
    }
    void TearDown() override {
        controller.reset();
        Workspace::setOpener({});
    }

    // What a user does in the editor: select all of a field and type over it.
    static void typeOver(QWidget* widget, const QString& text) {
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
        typeText(widget, text);
    }

    void editFirstRow(const std::function<void(QVMetadataEditWndCtlr&)>& edit) { editRow(0, edit); }

    void editRow(int row, const std::function<void(QVMetadataEditWndCtlr&)>& edit) {
        controller->selectRows({row});
        // Owned by the fixture: should the editor never open, the timer goes with the test.
        editorTimer = std::make_unique<QTimer>();
        editorTimer->setSingleShot(true);
        QObject::connect(editorTimer.get(), &QTimer::timeout, [this, edit] {
            QVMetadataEditWndCtlr* editor = controller->metadataEditor();
            ASSERT_NE(editor, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([editor] { return editor->isVisible(); }));
            edit(*editor);
            if (editor->isVisible())
                editor->reject();
        });
        editorTimer->start(0);
        controller->metadataAction()->trigger();
    }

    void chooseFormat(const QString& format) {
        controller->formatPopUp()->setCurrentText(format);
        controller->chooseFormat(format, false);
    }

    // Converts the list into a new folder; the one output file, or empty.
    QString convert(const QString& format) {
        const QString out = convertAll(format);
        QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : QString();
    }

    // Converts the list into a new folder; the folder, or empty when the run did not end.
    QString convertAll(const QString& format) {
        chooseFormat(format);
        const QString out = TestEnvironment::makeTempFolder(QStringLiteral("edited-out"));
        controller->convertRun().setFolderChooser(
            [out](QWidget*, const QVOutputFolderChoice&) -> std::optional<QVOutputFolderChoice> {
                return QVOutputFolderChoice{out, false, false};
            });
        const int before = runsEnded;
        controller->clickStart();
        if (!QTest::qWaitFor(
                [&] { return runsEnded > before && controller->enumAppState() == QVAppStateIdle; },
                60000))
            return {};
        return out;
    }

    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<QVMainAppController> controller;
    std::unique_ptr<QTimer> editorTimer;
    int runsEnded = 0;
};

TEST_F(EditThenConvert, EditedTagsLyricsAndCoverReachTheOutput) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("edit-sources"));
    const QString coverFile = folder + QStringLiteral("/new cover.png");
    ASSERT_TRUE(makeCover(QColor(30, 90, 200)).save(coverFile));
    // A valid PNG that decodes to more than Qt's default ceiling of 128 MB.
    const QString bigCoverFile = folder + QStringLiteral("/6000.png");
    ASSERT_TRUE(makeCover(QColor(30, 90, 200)).scaled(6000, 6000).save(bigCoverFile));
    // A PNG too big to decode as a cover, carried into the outputs as it is.
    const QByteArray hugePng = MediaFixtures::plainPng(20000, 20000);
    enum class Cover { Replace, Remove, Keep };
    struct Case {
        const char* name;
        const char* source;
        bool sourceHasCover;
        const char* format;
        Cover cover;
        int coverWidth = 300;
        int commentLength = 0;
    } cases[] = {
        {"mp3 row to MP3, new cover", "-song 'one'.mp3", false, "MP3", Cover::Replace},
        {"m4a row to AAC, new cover", "song é.m4a", false, "AAC", Cover::Replace},
        {"mp3 row with a cover to MP3, cover removed", "covered.mp3", true, "MP3", Cover::Remove},
        {"mp3 row to MP3, 6000x6000 cover", "big cover.mp3", false, "MP3", Cover::Replace, 6000},
        {"mp3 row with a huge PNG cover to MP3", "huge cover.mp3", true, "MP3", Cover::Keep},
        {"mp3 row with a huge PNG cover to FLAC", "huge cover.mp3", true, "FLAC", Cover::Keep},
        {"mp3 row with a huge PNG cover to AAC", "huge cover.mp3", true, "AAC", Cover::Keep},
        {"mp3 row with a 40,000-character comment to WMA", "long comment.mp3", false, "WMA",
         Cover::Replace, 300, 40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = folder + u'/' + QString::fromUtf8(c.source);
        ASSERT_TRUE(MediaFixtures::makeSine(source, 3.5, 44100, 2));
        QVariantMap sourceTags{{key("TIT2"), key("Old")}};
        if (c.sourceHasCover) {
            sourceTags.insert(key("APIC"), c.cover == Cover::Keep ? QVariant(hugePng)
                                                                  : QVariant(makeCover(Qt::red)));
        }
        const QString longComment(c.commentLength, u'c');
        if (c.commentLength)
            sourceTags.insert(key("COMM"), longComment);
        if (sourceTags.size() > 1) {
            ASSERT_EQ(MTETagCopy::handleMetadataSave(sourceTags, MTEFileTypeMpeg, source),
                      MTETagWriteResult::Written);
        }
        const QByteArray sourceBytes = contentsOf(source);
        controller->loadAndParseFiles({source});
        ASSERT_TRUE(waitForIdle(*controller));
        ASSERT_EQ(controller->getMusicCount(), 1)
            << (prompts->alerts.empty() ? std::string()
                                        : prompts->alerts.front().message.toStdString());
        const QString lyrics = QStringLiteral("First line\nSecond line ✓");

        editFirstRow([&](QVMetadataEditWndCtlr& editor) {
            editor.setImageChooser([&](QWidget*, const QStringList&) {
                return c.coverWidth == 6000 ? bigCoverFile : coverFile;
            });
            typeOver(editor.findChild<QLineEdit*>(key("_tfTitle")), QStringLiteral("Été 85"));
            typeOver(editor.findChild<QLineEdit*>(key("_tfArtist")), key("The Editors"));
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabLyrics);
            auto* lyricsView = editor.findChild<QPlainTextEdit*>(key("_tvLycirs"));
            QTest::keyClicks(lyricsView, key("First line"));
            QTest::keyClick(lyricsView, Qt::Key_Return);
            typeText(lyricsView, QStringLiteral("Second line ✓"));
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
            const char* button = c.cover == Cover::Replace ? "_btnAddImg" : "_btnDeleteImg";
            if (c.cover != Cover::Keep)
                QTest::mouseClick(editor.findChild<QPushButton*>(QLatin1String(button)),
                                  Qt::LeftButton);
            QTest::mouseClick(editor.okButton(), Qt::LeftButton);
        });

        const QString output = convert(QLatin1String(c.format));
        ASSERT_FALSE(output.isEmpty());
        const QJsonObject probe = MediaFixtures::probe(output);
        EXPECT_EQ(formatTag(probe, key("title")), QStringLiteral("Été 85"));
        EXPECT_EQ(formatTag(probe, key("artist")), key("The Editors"));
        EXPECT_EQ(formatTag(probe, key(c.format == QLatin1String("WMA") ? "WM/Lyrics" : "lyrics")),
                  lyrics);
        const QStringList texts = textsOf(probe, output);
        EXPECT_FALSE(texts.contains(key("Old")));
        if (c.commentLength) {
            EXPECT_TRUE(texts.contains(longComment)); // whole
        }
        const QJsonObject picture = attachedPicture(probe);
        if (c.cover == Cover::Replace) {
            EXPECT_EQ(picture.value(key("codec_name")).toString(), key("mjpeg"));
            EXPECT_EQ(picture.value(key("width")).toInt(), c.coverWidth);
        } else if (c.cover == Cover::Keep) {
            EXPECT_EQ(picture.value(key("codec_name")).toString(), key("png"));
            const auto written =
                MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(output, true);
            EXPECT_TRUE(written->getValueForKey(key("AlbumImg")).toByteArray() == hugePng);
        } else {
            EXPECT_TRUE(picture.isEmpty());
        }
        EXPECT_EQ(contentsOf(source), sourceBytes); // the user's file is never written
        controller->clickClear();
    }
}

// Several editing sessions in one editor window, the real conversion, ffprobe and TagLib:
// an edited or cleared field keeps its old value under no spelling and its new one once;
// an untouched output keeps all that a plain ffmpeg copy keeps. Every output keeps the disc
// number nobody edits, and none carries the source's MP4 brands as tags (an M4A output
// lists its own container's).
TEST_F(EditThenConvert, OutputsHoldOnlyTheChosenValuesAndKeepWhatNobodyEdits) {
    const QString pairs[][2] = {
        {"mp3", "MP3"},  {"m4a", "AAC"},   {"flac", "FLAC"},        {"mp3", "AAC"},
        {"m4a", "MP3"},  {"flac", "MP3"},  {"mp3", "FLAC"},         {"mp3", "OGG"},
        {"m4a", "Opus"}, {"wav", "WMA"},   {"wma", "MP3"},          {"ogg", "AAC"},
        {"opus", "WAV"}, {"aiff", "FLAC"}, {"wav", "AAC"},          {"flac", "WAV"},
        {"mp3", "AIFF"}, {"ogg", "CAF"},   {"mp3", "MPEG-2 Audio"}, {"wma", "OGG"},
        {"m4a", "CAF"},  {"opus", "AIFF"}, {"aiff", "WMA"},         {"wav", "MPEG-2 Audio"},
        {"m4a", "WAV"},  {"flac", "ALAC"}, {"wma", "Ringtone"},     {"m4a", "MPEG-2 Audio"}};
    QStringList formats;
    for (const auto& [source, output] : pairs) {
        if (!formats.contains(output))
            formats += output;
    }
    const QStringList modes{key("edited"), key("cleared"), key("untouched")};
    // The user sees each old value, then types over it or clears it; M4A rows offer no
    // Grouping.
    const auto edit = [](bool clear) {
        return [clear](QVMetadataEditWndCtlr& editor) {
            for (const EditedField& field : kFields) {
                auto* line = editor.findChild<QLineEdit*>(key(field.widget));
                auto* text = editor.findChild<QPlainTextEdit*>(key(field.widget));
                QWidget* widget = line ? static_cast<QWidget*>(line) : text;
                if (!widget->isEnabled())
                    continue;
                editor.tabView()->setCurrentIndex(key(field.widget) == key("_tvLycirs") ? 2 : 0);
                EXPECT_EQ(line ? line->text() : text->toPlainText(), field.oldValues.first())
                    << field.widget;
                QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(widget, Qt::Key_Delete);
                typeText(widget, clear ? QString() : key(field.newValue));
            }
            QTest::mouseClick(editor.okButton(), Qt::LeftButton);
        };
    };
    for (const QString& format : std::as_const(formats)) {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("pair-sources"));
        QStringList paths;
        for (const auto& [source, output] : pairs) {
            for (const QString& mode : modes) {
                if (output == format)
                    paths += folder + QStringLiteral("/%1-%2.%2").arg(mode, source);
            }
        }
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(makeTaggedSource(path));
        controller->loadAndParseFiles(paths);
        ASSERT_TRUE(waitForIdle(*controller));
        ASSERT_EQ(controller->getMusicCount(), paths.size());
        chooseFormat(key("MP3")); // edited with MP3 chosen; the output format is picked after
        for (int row = 0; row < paths.size(); ++row) {
            const QString name =
                QFileInfo(controller->fileList().musicAt(row)->strFilePath).fileName();
            if (!name.startsWith(modes[2]))
                editRow(row, edit(name.startsWith(modes[1])));
        }
        const QString out = convertAll(format);
        for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QFileInfo output(it.next());
            const int mode = int(modes.indexOf(output.baseName().section(u'-', 0, 0)));
            const QString source =
                folder + u'/' + output.baseName() + u'.' + output.baseName().section(u'-', 1);
            SCOPED_TRACE(output.baseName().toStdString() + " to " + format.toStdString());
            const QJsonObject probe = MediaFixtures::probe(output.filePath());
            const QStringList texts = textsOf(probe, output.filePath());
            if (mode == 2) {
                // ffmpeg knows a ringtone by the M4A it is.
                const QString suffix = output.suffix() == key("m4r") ? key("m4a") : output.suffix();
                const std::optional<QJsonObject> plain = plainCopyTags(source, suffix);
                ASSERT_TRUE(plain);
                const auto read =
                    MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(source,
                                                                                         true);
                for (auto tag = plain->begin(); tag != plain->end(); ++tag)
                    EXPECT_TRUE(keepsTag(probe, tag.key(), tag.value().toString(), *read))
                        << tag.key().toStdString() << " lost";
            }
            for (const QString& value : kUnmanagedValues) // nobody edits them
                EXPECT_TRUE(holds(texts, value)) << qPrintable(value) << " lost";
            for (const EditedField& field : kFields) {
                if (field.logicalName == key("Grouping") && source.endsWith(key(".m4a")) &&
                    mode != 2) // M4A rows offer no Grouping
                    continue;
                if (mode == 2) { // kept, also where a plain ffmpeg copy loses it
                    EXPECT_TRUE(holds(texts, field.oldValues.first().section(u'/', 0, 0)))
                        << field.logicalName << " lost";
                    continue;
                }
                for (const QString& old : field.oldValues)
                    EXPECT_FALSE(holds(texts, old))
                        << field.logicalName << " kept " << qPrintable(old);
                EXPECT_TRUE(mode || holds(texts, key(field.newValue).section(u'/', 0, 0)))
                    << field.logicalName;
            }
            for (const EditedField& field : kFields) { // each field once, the chosen value
                if (field.logicalName == key("Grouping") && source.endsWith(key(".m4a")) &&
                    mode != 2)
                    continue;
                const QString chosen = mode == 0   ? key(field.newValue)
                                       : mode == 1 ? QString()
                                                   : field.oldValues.first();
                EXPECT_EQ(probedValues(probe, QLatin1String(field.logicalName)),
                          chosen.isEmpty() ? QStringList()
                                           : QStringList{chosen.section(u'/', 0, 0)})
                    << field.logicalName;
            }
            EXPECT_EQ(formatTag(probe, key("disc")), key("2/3"));
            EXPECT_EQ(attachedPicture(probe).isEmpty(), format == "CAF"); // CAF holds none
            EXPECT_EQ(formatTag(probe, key("major_brand")),
                      (QStringList{"AAC", "ALAC", "Ringtone"}.contains(format)) ? key("M4A ")
                                                                                : QString());
            EXPECT_FALSE(formatTag(probe, key("compatible_brands")).contains(key("mp42")));
            paths.removeIf([&](const QString& path) {
                return QFileInfo(path).baseName() == output.baseName();
            });
        }
        EXPECT_EQ(paths, QStringList()); // each source has its output
        controller->clickClear();
    }
}

// Renders the editor's tabs and the locked state into TestEnvironment::renderFolder().
TEST(MetadataEditorRender, FourTabsAndTheLockedBand) {
    TestEnvironment::reset();
    QVAppDelegate::prepareMusicTagMapInfo();
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("render-source"));
    const QString source = folder + QStringLiteral("/Song of the render.mp3");
    ASSERT_TRUE(MediaFixtures::makeSine(source, 3.5, 44100, 1));
    ASSERT_EQ(MTETagCopy::handleMetadataSave(
                  {{key("TIT2"), key("Render Song")},
                   {key("TPE1"), key("The Renderers")},
                   {key("TALB"), key("Offscreen")},
                   {key("TCON"), key("Ambient")},
                   {key("TRCK"), key("3/12")},
                   {key("COMM"), key("Drawn without a screen.")},
                   {key("USLT"), key("[00:01.00] first line\n[00:02.00] second line")},
                   {key("APIC"), makeCover(QColor(30, 90, 200))}},
                  MTEFileTypeMpeg, source),
              MTETagWriteResult::Written);
    auto prompts = std::make_shared<FakePrompts>();
    QVMainAppController controller(shippedCatalogue(), prompts);
    controller.loadAndParseFiles({source});
    ASSERT_TRUE(waitForIdle(controller));
    ASSERT_EQ(controller.getMusicCount(), 1);

    std::optional<QVFormatSetting> chosen = shippedCatalogue().getFormatWithName(key("MP3"));
    QVMetadataEditWndCtlr editor(shippedCatalogue(), [&chosen] { return chosen; });
    editor.setMusicInfo(controller.fileList().musicAt(0));
    editor.show();
    const char* names[] = {"tags", "artwork", "lyrics", "info"};
    for (int tab = 0; tab < 4; ++tab) {
        editor.tabView()->setCurrentIndex(tab);
        ASSERT_TRUE(QVCoverThumbnails::waitForAllDecodes(60000)); // delivered by the wait below
        QTest::qWait(20);
        const QImage image = renderOf(editor);
        ASSERT_TRUE(image.save(TestEnvironment::renderFolder() +
                               QStringLiteral("/metadata-editor-%1.png").arg(names[tab])));
        if (tab == QVMetadataEditWndCtlr::kTabArtwork) {
            const QRect well(editor.artworkWell()->mapTo(&editor, QPoint(0, 0)),
                             editor.artworkWell()->size());
            EXPECT_GT(countPixels(image, well, QColor(30, 90, 200)), 1000);
        }
    }
    EXPECT_EQ(editor.findChild<QLineEdit*>(key("_tfTitle"))->text(), key("Render Song"));

    chosen = shippedCatalogue().getFormatWithName(key("AC3"));
    editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabTags);
    editor.setMusicInfo(controller.fileList().musicAt(0));
    QTest::qWait(20);
    const QImage locked = renderOf(editor);
    ASSERT_TRUE(locked.save(TestEnvironment::renderFolder() +
                            QStringLiteral("/metadata-editor-locked.png")));
    const QRect band = editor.tipsView()->geometry();
    // The band is darker than the window and carries red text.
    EXPECT_GT(countPixels(locked, band, QColor(Qt::red), 60), 30);
    const QRect below(0, band.bottom() + 1, editor.width(), 10);
    const auto meanLightness = [&locked](const QRect& area) {
        qint64 sum = 0, n = 0;
        for (int y = area.top(); y <= area.bottom(); y += 2)
            for (int x = area.left(); x <= area.right(); x += 2, ++n)
                sum += QColor(locked.pixel(x, y)).lightness();
        return n ? sum / n : 0;
    };
    EXPECT_LT(meanLightness(band), meanLightness(below) - 60);
    // Its text is whole and every field and label beside it can be read.
    EXPECT_EQ(layoutFaults(&editor, controlsOf(&editor)), QStringList());
}

} // namespace
