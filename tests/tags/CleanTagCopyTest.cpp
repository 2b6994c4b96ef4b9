#include "TagTestData.h"
#include "engine/ConvertOperationTestSupport.h"
#include "engine/LSMediaDecoder.h"
#include "engine/LSMediaLoader.h"
#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTEId3File.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"

#include <QColorSpace>
#include <QFile>

#include <taglib/aifffile.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <gtest/gtest.h>

#include <functional>

using namespace TagTestData;

namespace {

std::shared_ptr<MTEAudioFile> readTags(const QString& path) {
    return MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
}

QString makeAudio(const QString& name, const QStringList& extra = {}) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("clean")) + u'/' + name;
    EXPECT_TRUE(MediaFixtures::makeSine(path, 1.0, 44100, 2, extra));
    return path;
}

// What the conversion job does: ffmpeg converts with its default metadata mapping, then
// the row's tags are copied in.
QString convertWithTags(const std::shared_ptr<MTEAudioFile>& source, const QString& outputName) {
    const QString output =
        TestEnvironment::makeTempFolder(QStringLiteral("out")) + u'/' + outputName;
    EXPECT_TRUE(MediaFixtures::runFfmpeg({QStringLiteral("-i"), source->strFilePath, output}));
    EXPECT_EQ(MTETagCopy::handleMetadataSave(source->dicReadInfo, source->eumFileType, output),
              MTETagWriteResult::Written);
    return output;
}

QStringList probedTagsMentioning(const QString& path, const QString& word) {
    QStringList found;
    const QJsonObject probe = MediaFixtures::probe(path);
    QList<QJsonObject> tagSets{formatTags(probe)};
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray())
        tagSets += stream.toObject().value(QStringLiteral("tags")).toObject();
    for (const QJsonObject& tags : tagSets) {
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (it.key().contains(word, Qt::CaseInsensitive) ||
                it.value().toString().contains(word, Qt::CaseInsensitive))
                found += it.key() + u'=' + it.value().toString();
        }
    }
    return found;
}

QStringList& capturedLines() {
    static QStringList lines;
    return lines;
}

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    capturedLines() += message;
}

// The colour the picture shows, in sRGB, in its top right quarter.
QColor shownColour(QImage image) {
    if (image.colorSpace().isValid())
        image.convertToColorSpace(QColorSpace::SRgb);
    return image.pixelColor(image.width() * 3 / 4, image.height() / 4);
}

// The MIME type of the file's picture, or the format of its MP4 cover.
QString pictureTypeOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (path.endsWith(QLatin1String(".wma"))) {
        TagLib::ASF::File file(name.constData());
        const auto pictures = file.tag()->attribute("WM/Picture");
        return pictures.isEmpty() ? QString()
                                  : MTETagText::toQString(pictures.front().toPicture().mimeType());
    }
    if (path.endsWith(QLatin1String(".m4a"))) {
        const auto covers =
            TagLib::MP4::File(name.constData()).tag()->item("covr").toCoverArtList();
        return covers.isEmpty() ? QString() : QString::number(covers.front().format());
    }
    TagLib::String type;
    if (path.endsWith(QLatin1String(".flac"))) {
        TagLib::FLAC::File file(name.constData());
        for (const TagLib::FLAC::Picture* picture : file.pictureList())
            type = picture->mimeType();
    } else {
        TagLib::MPEG::File file(name.constData());
        for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag(true)->frameListMap()["APIC"])
            type = static_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)->mimeType();
    }
    return MTETagText::toQString(type);
}

void addComment(TagLib::ID3v2::Tag* tag, const char* description, const char* text) {
    auto* frame = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
    frame->setLanguage("eng");
    frame->setDescription(description);
    frame->setText(text);
    tag->addFrame(frame);
}

void addUserText(TagLib::ID3v2::Tag* tag, const char* description, const char* text) {
    auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
    frame->setDescription(description);
    frame->setText(text);
    tag->addFrame(frame);
}

// An MP3 or M4A source as an iTunes encode leaves it: gapless and loudness data beside the
// user's title and comment.
QString makeSourceWithEncoderData(const QString& extension) {
    const QString path = makeAudio(QStringLiteral("encoded.") + extension,
                                   {QStringLiteral("-metadata"), QStringLiteral("title=Song"),
                                    QStringLiteral("-metadata"), QStringLiteral("comment=real")});
    const QByteArray name = QFile::encodeName(path);
    if (extension == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData());
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        addComment(tag, "iTunNORM", " 00000C4F 00000C4F 0000DF8D");
        addComment(tag, "iTunPGAP", "0");
        addUserText(tag, "iTunSMPB", " 00000000 00000210 000007E0 0000000000AC4BB0");
        EXPECT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    } else {
        TagLib::MP4::File file(name.constData());
        for (const char* entry : {"iTunSMPB", "iTunNORM", "iTunPGAP"})
            file.tag()->setItem(TagLib::String("----:com.apple.iTunes:") + entry,
                                TagLib::StringList(TagLib::String(" 00000000 00000210")));
        EXPECT_TRUE(file.save());
    }
    return path;
}

} // namespace

TEST(CleanTagCopy, EncoderDataOfTheSourceNeverReachesTheOutput) {
    struct Case {
        const char* source;
        const char* output;
    };
    const Case cases[] = {{"mp3", "mp3"}, {"mp3", "flac"}, {"mp3", "m4a"},
                          {"m4a", "m4a"}, {"m4a", "mp3"},  {"m4a", "flac"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " to " + c.output);
        const auto source = readTags(makeSourceWithEncoderData(QLatin1String(c.source)));
        ASSERT_TRUE(source);
        const QString output = convertWithTags(source, QStringLiteral("out.") + c.output);

        EXPECT_EQ(probedTagsMentioning(output, QStringLiteral("iTun")), QStringList());
        const QJsonObject tags = formatTags(MediaFixtures::probe(output));
        EXPECT_EQ(probeTag(tags, QStringLiteral("title")), QStringLiteral("Song"));
        EXPECT_EQ(probeTag(tags, QStringLiteral("comment")), QStringLiteral("real"));
    }
    // The user's own file keeps its encoder data when its tags are written.
    const QString own = makeSourceWithEncoderData(QStringLiteral("mp3"));
    const auto handler = readTags(own);
    handler->dicReadInfo.insert(QStringLiteral("TIT2"), QStringLiteral("Edited"));
    ASSERT_EQ(handler->saveID3AttribPath(0, own), MTETagWriteResult::Written);
    EXPECT_EQ(probedTagsMentioning(own, QStringLiteral("iTunSMPB")).size(), 1);
}

TEST(CleanTagCopy, AnId3v1TagWithoutYearOrTrackGivesNoZeroInTheOutput) {
    struct Case {
        const char* name;
        QStringList v1Fields;
        const char* date;
        const char* track;
    };
    const Case cases[] = {
        {"no year or track", {}, "", ""},
        {"year and track", {QStringLiteral("date=1999"), QStringLiteral("track=7")}, "1999", "7"},
    };
    for (const Case& c : cases) {
        QStringList arguments{QStringLiteral("-write_id3v1"), QStringLiteral("1"),
                              QStringLiteral("-metadata"), QStringLiteral("title=Old")};
        for (const QString& field : c.v1Fields)
            arguments << QStringLiteral("-metadata") << field;
        const QString sourcePath = makeAudio(QStringLiteral("v1.mp3"), arguments);
        {
            TagLib::MPEG::File file(QFile::encodeName(sourcePath).constData());
            ASSERT_TRUE(file.strip(TagLib::MPEG::File::ID3v2));
        }
        const auto source = readTags(sourcePath);
        ASSERT_EQ(source->strTagVersion, QStringLiteral("ID3 V1.1"));
        if (c.v1Fields.isEmpty()) { // read as the ID3v1 tag holds it
            EXPECT_EQ(source->getValueForKey(QStringLiteral("Date")).toString(),
                      QStringLiteral("0"));
        }

        for (const char* outputName : {"out.mp3", "out.m4a", "out.flac"}) {
            SCOPED_TRACE(std::string(c.name) + " into " + outputName);
            const QString output = makeAudio(QLatin1String(outputName));
            ASSERT_EQ(
                MTETagCopy::handleMetadataSave(source->dicReadInfo, source->eumFileType, output),
                MTETagWriteResult::Written);
            const QJsonObject tags = formatTags(MediaFixtures::probe(output));
            EXPECT_EQ(probeTag(tags, QStringLiteral("title")), QStringLiteral("Old"));
            EXPECT_EQ(probeTag(tags, QStringLiteral("date")), QLatin1String(c.date));
            EXPECT_EQ(probeTag(tags, QStringLiteral("track")), QLatin1String(c.track));
        }
    }
}

TEST(CleanTagCopy, TheCommentIsTheFrameWithoutDescription) {
    struct Frame {
        const char* description;
        const char* text;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
        const char* comment;
    };
    const Case cases[] = {
        {"loudness data before the comment", {{"iTunNORM", " 0000 1111"}, {"", "mine"}}, "mine"},
        {"loudness data after the comment", {{"", "mine"}, {"iTunNORM", " 0000 1111"}}, "mine"},
        {"only described frames", {{"Custom1", "first"}, {"Custom2", "second"}}, "first"},
        {"encoder data before a described frame",
         {{"iTunPGAP", "0"}, {"Note", "described"}},
         "described"},
        {"only encoder data", {{"iTunNORM", " 0000 1111"}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = makeAudio(QStringLiteral("comments.mp3"));
        {
            TagLib::MPEG::File file(QFile::encodeName(path).constData());
            for (const Frame& frame : c.frames)
                addComment(file.ID3v2Tag(true), frame.description, frame.text);
            ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
        }
        EXPECT_EQ(readTags(path)->getValueForKey(QStringLiteral("Comment")).toString(),
                  QLatin1String(c.comment));
    }
}

TEST(CleanTagCopy, ReadersJoinTheTrackTotal) {
    struct Case {
        const char* file;
        const char* track;
        const char* totalField;
        const char* read;
    };
    const Case cases[] = {
        {"a.ogg", "5", "TRACKTOTAL=12", "5/12"},
        {"b.opus", "5", "TOTALTRACKS=9", "5/9"},
        {"c.ogg", "5/7", "TRACKTOTAL=12", "5/7"},
        {"d.ogg", "5", "TRACKTOTAL=0", "5"},
        {"e.ogg", "5", nullptr, "5"},
        {"f.mka", "5", "TRACKTOTAL=12", "5/12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QStringList arguments{QStringLiteral("-metadata"), QStringLiteral("track=") + c.track};
        if (c.totalField)
            arguments << QStringLiteral("-metadata") << QLatin1String(c.totalField);
        const auto source = readTags(makeAudio(QLatin1String(c.file), arguments));
        EXPECT_EQ(source->getValueForKey(QStringLiteral("Track")).toString(),
                  QLatin1String(c.read));

        const QString output = makeAudio(QStringLiteral("out.m4a"));
        ASSERT_EQ(MTETagCopy::handleMetadataSave(source->dicReadInfo, source->eumFileType, output),
                  MTETagWriteResult::Written);
        EXPECT_EQ(probeTag(formatTags(MediaFixtures::probe(output)), QStringLiteral("track")),
                  QLatin1String(c.read));
    }
}

TEST(CleanTagCopy, CoversAreKeptEncodedAndStillReachTheOutputs) {
    const QImage picture = makeCover(300, 200);
    // Too big to decode within the cover budget: carried as they are, or left out.
    const QByteArray png = MediaFixtures::plainPng(20000, 20000);
    const QByteArray jpeg = jpegClaiming(20000, 20000);
    const QByteArray bmp = bmpClaiming(12000, 12000);
    // Noise: its JPEG is more than a WMA attribute holds where readers look for covers.
    QImage noise(800, 800, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x ^ y) & 255, y & 255));
    // Texts and a colour profile that every JPEG of it carries, more than a WMA cover holds.
    QImage annotated = makeCover(300, 200);
    annotated.setText(QStringLiteral("Comment"), QString(70000, u'x'));
    annotated.setColorSpace(QColorSpace::ProPhotoRgb);
    struct Case {
        const char* source;
        const char* output;
        QVariant cover;
        const char* codec;       // of the output's picture; empty for none
        const char* pictureType; // the MIME type, or the MP4 cover format
        const char* logged;
    };
    const Case cases[] = {
        {"mp3", "m4a", picture, "mjpeg", "13", ""},
        {"m4a", "flac", picture, "mjpeg", "image/jpeg", ""},
        {"flac", "mp3", picture, "mjpeg", "image/jpg", ""},
        {"mp3", "flac", png, "png", "image/png", "written as its original PNG bytes"},
        {"flac", "m4a", png, "png", "14", "written as its original PNG bytes"},
        {"m4a", "mp3", png, "png", "image/png", "written as its original PNG bytes"},
        {"m4a", "m4a", jpeg, "mjpeg", "13", "written as its original JPEG bytes"},
        {"flac", "flac", jpeg, "mjpeg", "image/jpeg", "written as its original JPEG bytes"},
        {"mp3", "mp3", jpeg, "mjpeg", "image/jpeg", "written as its original JPEG bytes"},
        {"mp3", "mp3", bmp, "", "", "12000 × 12000 pixels, more than a cover can hold"},
        {"m4a", "m4a", bmp, "", "", "left out"},
        {"flac", "flac", bmp, "", "", "; the file has no cover"},
        {"mp3", "wma", picture, "mjpeg", "image/jpeg", ""},
        {"mp3", "ogg", png, "png", "", "written as its original PNG bytes"},
        {"m4a", "wma", noise, "mjpeg", "image/jpeg", ""},
        {"mp3", "wma", annotated, "mjpeg", "image/jpeg", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " to " + c.output + ", " + c.logged);
        const QString sourcePath = makeAudio(QStringLiteral("covered.") + c.source);
        const int sourceType = MTEAudioCreator::fileTypeOfPath(sourcePath);
        const QVariantMap withCover = MTETagCopy::convertMetadataFromTypeToType(
            {{QStringLiteral("APIC"), c.cover}}, MTEFileTypeMpeg, sourceType);
        capturedLines().clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        EXPECT_EQ(MTETagCopy::handleMetadataSave(withCover, sourceType, sourcePath),
                  *c.codec ? MTETagWriteResult::Written : MTETagWriteResult::CoverLeftOut);
        qInstallMessageHandler(previous);
        const QString logged = QString::fromUtf8(*c.logged ? c.logged : "cover of");
        EXPECT_EQ(capturedLines().filter(logged).size(), *c.logged ? 1 : 0);

        const auto source = readTags(sourcePath);
        const QVariant cover = source->getValueForKey(QStringLiteral("AlbumImg"));
        if (c.cover.metaType().id() == QMetaType::QImage) {
            EXPECT_EQ(cover.metaType().id(), QMetaType::QByteArray);
            EXPECT_TRUE(cover.toByteArray().startsWith("\xFF\xD8"));
            EXPECT_EQ(coverImage(*source).size(), c.cover.value<QImage>().size());
        }

        const QString output = makeAudio(QStringLiteral("out.") + c.output);
        ASSERT_EQ(MTETagCopy::handleMetadataSave(source->dicReadInfo, sourceType, output),
                  MTETagWriteResult::Written);
        const QJsonObject stream = attachedPictureStream(MediaFixtures::probe(output));
        EXPECT_EQ(stream.value(QStringLiteral("codec_name")).toString(), QLatin1String(c.codec));
        EXPECT_EQ(pictureTypeOf(output), QLatin1String(c.pictureType));
        if (c.cover.metaType().id() == QMetaType::QImage && c.cover == noise) {
            EXPECT_LT(stream.value(QStringLiteral("width")).toInt(), noise.width()); // made to fit
        } else if (c.cover.metaType().id() == QMetaType::QImage) {
            EXPECT_EQ(stream.value(QStringLiteral("width")).toInt(), 300);
            EXPECT_EQ(stream.value(QStringLiteral("height")).toInt(), 200);
            const QColor shown = shownColour(coverImage(*readTags(output)));
            const QColor wanted = shownColour(c.cover.value<QImage>());
            EXPECT_NEAR(shown.red(), wanted.red(), 8);
            EXPECT_NEAR(shown.green(), wanted.green(), 8);
            EXPECT_NEAR(shown.blue(), wanted.blue(), 8);
        } else if (*c.codec) { // the picture's own bytes, unchanged
            const QVariant written = readTags(output)->getValueForKey(QStringLiteral("AlbumImg"));
            EXPECT_TRUE(written.toByteArray() == c.cover.toByteArray());
        }
    }
}

TEST(CleanTagCopy, OnlyAPictureWhoseHeaderDecodesIsKept) {
    const QByteArray jpeg =
        GlobalFun::imageDataRepresentationOfType(makeCover(12, 10), QStringLiteral("jpeg"));
    const QByteArray png =
        GlobalFun::imageDataRepresentationOfType(makeCover(12, 10), QStringLiteral("png"));
    struct Case {
        const char* name;
        QByteArray first;
    };
    const Case cases[] = {
        {"JPEG start then junk",
         QByteArray("\xFF\xD8\xFF\xE0", 4) + MediaFixtures::randomBytes(64)},
        {"PNG signature then junk", png.left(8) + MediaFixtures::randomBytes(64)},
        {"JPEG cut inside its header", jpeg.left(20)},
        {"text", QByteArray("not an image")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = makeAudio(QStringLiteral("pictures.mp3"));
        {
            TagLib::MPEG::File file(QFile::encodeName(path).constData());
            for (const QByteArray& bytes : {c.first, png}) {
                auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
                frame->setPicture(TagLib::ByteVector(bytes.constData(), unsigned(bytes.size())));
                file.ID3v2Tag(true)->addFrame(frame);
            }
            ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
        }
        EXPECT_EQ(readTags(path)->getValueForKey(QStringLiteral("AlbumImg")).toByteArray(), png);
    }
}

TEST(CleanTagCopy, AnMp4CoverThatDoesNotDecodeIsLoggedAndNotKept) {
    const QString path = makeAudio(QStringLiteral("broken cover.m4a"));
    {
        TagLib::MP4::File file(QFile::encodeName(path).constData());
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG,
                                            TagLib::ByteVector("\x89PNG\r\n\x1a\n broken", 15)));
        file.tag()->setItem("covr", covers);
        ASSERT_TRUE(file.save());
    }
    capturedLines().clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    const auto handler = readTags(path);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(capturedLines().contains(QStringLiteral("failed to get image")));
    EXPECT_FALSE(handler->dicReadInfo.contains(QStringLiteral("covr")));
    EXPECT_EQ(handler->strMineType, QStringLiteral("image/png"));
}

TEST(TagHandlerChoice, TheProbedCodecOverrulesAMisleadingExtension) {
    struct Case {
        const char* path;
        const char* codec;
        int type;
    };
    const Case cases[] = {
        {"/m/song.mp3", "mp3", MTEFileTypeMpeg},
        {"/m/song.MP3", "mp2", MTEFileTypeMpeg},
        {"/m/song.mp3", "", MTEFileTypeMpeg},
        {"/m/silence.mp3", "pcm_s16le", MTEFileTypeOther},
        {"/m/lossless.mp3", "flac", MTEFileTypeOther},
        {"/m/song.flac", "flac", MTEFileTypeMpeg},
        {"/m/song.flac", "mp3", MTEFileTypeOther},
        {"/m/song.m4a", "pcm_s16le", MTEFileTypeM4A},
        {"/m/song.ogg", "vorbis", MTEFileTypeMpeg},
        {"/m/song.ogg", "opus", MTEFileTypeMpeg},
        {"/m/song.ogg", "theora", MTEFileTypeOther},
        {"/m/song.opus", "mp3", MTEFileTypeOther},
        {"/m/song.wav", "mp3", MTEFileTypeMpeg},
        {"/m/song.mka", "vorbis", MTEFileTypeOther},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            MTEAudioCreator::fileTypeOfPathAndCodec(QLatin1String(c.path), QLatin1String(c.codec)),
            c.type)
            << c.path << " holding " << c.codec;
}

TEST(CleanTagCopy, TracksWithTheSamePictureShareOneCopy) {
    const QVariantMap cover{{QStringLiteral("APIC"), makeCover(64, 48)}};
    QList<QByteArray> read;
    for (const char* name : {"first.mp3", "second.mp3"}) {
        const QString path = makeAudio(QLatin1String(name));
        ASSERT_EQ(MTETagCopy::handleMetadataSave(cover, MTEFileTypeMpeg, path),
                  MTETagWriteResult::Written);
        read += readTags(path)->getValueForKey(QStringLiteral("AlbumImg")).toByteArray();
    }
    ASSERT_FALSE(read.front().isEmpty());
    EXPECT_TRUE(read.front().isSharedWith(read.back()));

    const QString other = makeAudio(QStringLiteral("other.mp3"));
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("APIC"), makeCover(30, 30)}},
                                             MTEFileTypeMpeg, other),
              MTETagWriteResult::Written);
    EXPECT_FALSE(readTags(other)
                     ->getValueForKey(QStringLiteral("AlbumImg"))
                     .toByteArray()
                     .isSharedWith(read.front()));
}

namespace {

using TagLib::ID3v2::Tag;

void addTextFrame(Tag* tag, const char* id, const TagLib::StringList& values) {
    auto frame = std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(id, TagLib::String::UTF8);
    frame->setText(values);
    tag->addFrame(frame.release());
}

void addPicture(Tag* tag, TagLib::ID3v2::AttachedPictureFrame::Type type, const QImage& image) {
    const QByteArray png = GlobalFun::imageDataRepresentationOfType(image, QStringLiteral("png"));
    auto frame = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
    frame->setType(type);
    frame->setMimeType("image/png");
    frame->setPicture(TagLib::ByteVector(png.constData(), unsigned(png.size())));
    tag->addFrame(frame.release());
}

// Every value of an entry as TagLib finds it in the file: an ID3v2 frame ("TPE1",
// "TXXX:desc"), a Vorbis comment field, an MP4 item (number pairs as "n/total"), a WMA
// attribute in the file's order, with the picture frames' types as "APIC"; or as ffprobe shows
// it ("ffprobe:title").
QStringList rawValues(const QString& path, const QString& name) {
    const QByteArray file = QFile::encodeName(path);
    QStringList values;
    if (name.startsWith(QLatin1String("ffprobe:"))) {
        const QJsonObject probe = MediaFixtures::probe(path);
        const QJsonObject stream = MediaFixtures::firstAudioStream(probe);
        QString value = probeTag(formatTags(probe), name.mid(8));
        if (value.isEmpty())
            value = probeTag(stream.value(QStringLiteral("tags")).toObject(), name.mid(8));
        return value.isEmpty() ? values : QStringList{value};
    }
    if (path.endsWith(QLatin1String(".wma"))) {
        TagLib::ASF::File wma(file.constData());
        const auto attributes = MTEAsfTags::attributesInFileOrder(wma.tag(), path);
        const auto found = attributes.find(MTETagText::toTagString(name));
        for (const auto& attribute :
             found == attributes.end() ? TagLib::ASF::AttributeList() : found->second)
            values += MTETagText::toQString(attribute.toString());
        return values;
    }
    if (path.endsWith(QLatin1String(".m4a"))) {
        TagLib::MP4::File mp4(file.constData());
        const TagLib::MP4::Item item = mp4.tag()->item(MTETagText::toTagString(name));
        if (name == QLatin1String("trkn") || name == QLatin1String("disk"))
            return item.isValid() ? QStringList{QStringLiteral("%1/%2")
                                                    .arg(item.toIntPair().first)
                                                    .arg(item.toIntPair().second)}
                                  : values;
        return MTETagText::toQStringList(item.toStringList());
    }
    TagLib::Ogg::XiphComment* xiph = nullptr;
    std::unique_ptr<TagLib::File> owner;
    if (path.endsWith(QLatin1String(".flac"))) {
        auto flac = std::make_unique<TagLib::FLAC::File>(file.constData());
        xiph = flac->xiphComment();
        owner = std::move(flac);
    } else if (path.endsWith(QLatin1String(".opus"))) {
        auto opus = std::make_unique<TagLib::Ogg::Opus::File>(file.constData());
        xiph = opus->tag();
        owner = std::move(opus);
    } else if (path.endsWith(QLatin1String(".ogg"))) {
        auto ogg = std::make_unique<TagLib::Ogg::Vorbis::File>(file.constData());
        xiph = ogg->tag();
        owner = std::move(ogg);
    }
    if (xiph)
        return MTETagText::toQStringList(xiph->fieldListMap()[MTETagText::toTagString(name)]);
    MTEId3File id3(path, MTEAudioCreator::containerOfPath(path), false);
    const TagLib::ID3v2::Tag* tag = id3.tag(false);
    for (const TagLib::ID3v2::Frame* frame : tag ? tag->frameList() : TagLib::ID3v2::FrameList()) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
        const auto* user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        const auto* id = dynamic_cast<const TagLib::ID3v2::UniqueFileIdentifierFrame*>(frame);
        if (id && name == QLatin1String("UFID"))
            values += QString::fromLatin1(id->identifier().data(), id->identifier().size());
        else if (user &&
                 QStringLiteral("TXXX:") + MTETagText::toQString(user->description()) == name)
            values += MTETagText::toQStringList(user->fieldList()).mid(1);
        else if (text && !user && MTETagText::toQString(frame->frameID()) == name)
            values += MTETagText::toQStringList(text->fieldList());
        else if (picture && name == QLatin1String("APIC"))
            values += QString::number(picture->type());
    }
    return values;
}

// A row as the loader makes it: the source probed and its tags read.
std::shared_ptr<QVMusicInfo> loadedRow(const QString& path, const QString& outputExtension) {
    const QHash<QString, QString> encoders{
        {"mp3", "libmp3lame"}, {"m4a", "aac"},   {"flac", "flac"},     {"ogg", "libvorbis"},
        {"opus", "libopus"},   {"wma", "wmav2"}, {"wav", "pcm_s16le"}, {"aiff", "pcm_s16be"},
        {"mp2", "mp2"},        {"caf", "alac"}};
    auto row = makeRow(path, outputExtension, encoders.value(outputExtension), 1.0);
    LSMediaDecoder().dumpMediaStreamInfoWithFileMedia(path, *row->mediaInfo);
    LSMediaLoader::readTags(*row);
    return row;
}

// Converts the row through the conversion job, tags copied; the output, or empty on failure.
QString convertThroughJob(const std::shared_ptr<QVMusicInfo>& row) {
    gShouldCopyMetadata.store(true);
    auto job = ConvertOperation::initWithMedia(row);
    job->setStrOutFilePath(TestEnvironment::makeTempFolder(QStringLiteral("out")));
    RecordingDelegate delegate;
    if (!runJob(job, delegate) || row->mediaInfo->eumCvtState.load() != LSConvertStateSucceeded)
        return {};
    return job->strOutFilePath();
}

} // namespace

// Files as taggers and rippers write them, converted as the conversion job does: a field the
// user leaves keeps every value and its meaning; one the user edits leaves no old spelling.
TEST(CleanTagCopy, TaggersFilesKeepTheirValuesAndLoseEveryOldSpellingOnEdit) {
    const QImage front = makeCover(40, 30);
    const QImage back = makeCover(20, 20);
    const QString longNotes(40000, u'n');
    struct Case {
        const char* name;
        const char* source;
        QStringList ffmpegTags;
        std::function<void(const QByteArray&)> tagger;
        const char* edit; // "logical name=new value", or nothing
        const char* output;
        const char* entry;
        QStringList values;
        const char* editorShows = nullptr; // under the first logical name of the edit or "Artist"
    };
    const auto id3 = [](std::function<void(Tag*)> change, bool v23 = false) {
        return [change, v23](const QByteArray& file) {
            TagLib::MPEG::File mp3(file.constData());
            change(mp3.ID3v2Tag(true));
            mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers,
                     v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
        };
    };
    const auto twoArtists = id3([](Tag* tag) {
        tag->removeFrames("TPE1");
        addTextFrame(tag, "TPE1", TagLib::StringList("Artist A").append("Artist B"));
    });
    const auto twoFrames = id3(
        [](Tag* tag) {
            for (const char* artist : {"Artist A", "Artist B"})
                addTextFrame(tag, "TPE1", TagLib::StringList(artist));
        },
        true);
    const auto repeatedField = [](const QByteArray& file) {
        TagLib::FLAC::File flac(file.constData());
        flac.xiphComment()->addField("ARTIST", "Artist B", false);
        flac.save();
    };
    const auto stringList = [](const QByteArray& file) {
        TagLib::MP4::File mp4(file.constData());
        mp4.tag()->setItem("\251ART", TagLib::StringList("Artist A").append("Artist B"));
        mp4.save();
    };
    const auto genreNumber =
        id3([](Tag* tag) { addTextFrame(tag, "TCON", TagLib::StringList("(35)")); }, true);
    const auto trackTotal = id3([](Tag* tag) {
        tag->addFrame(
            new TagLib::ID3v2::UserTextIdentificationFrame("TRACKTOTAL", TagLib::StringList("9")));
    });
    const auto backFirst = id3([&](Tag* tag) {
        addPicture(tag, TagLib::ID3v2::AttachedPictureFrame::BackCover, back);
        addPicture(tag, TagLib::ID3v2::AttachedPictureFrame::FrontCover, front);
    });
    const auto backOnly = id3(
        [&](Tag* tag) { addPicture(tag, TagLib::ID3v2::AttachedPictureFrame::BackCover, back); });
    const auto colonComment = id3([](Tag* tag) { addComment(tag, "x:y", "Old comment"); });
    const auto noLanguage = id3([](Tag* tag) {
        auto lyrics = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>();
        lyrics->setLanguage(TagLib::ByteVector("\0\0\0", 3));
        lyrics->setText("Old lyrics");
        tag->addFrame(lyrics.release());
    });
    const auto asf = [](std::function<void(TagLib::ASF::Tag*)> change) {
        return [change](const QByteArray& file) {
            TagLib::ASF::File wma(file.constData());
            change(wma.tag());
            wma.save();
        };
    };
    const auto twoAuthors = asf([](TagLib::ASF::Tag* tag) {
        tag->setArtist("Artist A");
        tag->setAttribute("Author", TagLib::String("Artist B"));
    });
    const auto genres = asf([](TagLib::ASF::Tag* tag) {
        TagLib::ASF::AttributeList list;
        for (const char* genre : {"G1", "G2", "G3"})
            list.append(TagLib::ASF::Attribute(TagLib::String(genre)));
        tag->setAttribute("WM/Genre", list);
    });
    const auto asfMusicBrainz = asf([](TagLib::ASF::Tag* tag) {
        tag->setAttribute("MusicBrainz/Album Id", TagLib::String("mb-album"));
    });
    const auto work = id3([](Tag* tag) { addUserText(tag, "Work", "Old work"); });
    const auto replayGain =
        id3([](Tag* tag) { addUserText(tag, "replaygain_track_gain", "-1.5"); });
    const auto artists = id3([](Tag* tag) {
        tag->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
            "Artists", TagLib::StringList("A1").append("A2"), TagLib::String::UTF8));
    });
    const auto notes = id3([&](Tag* tag) {
        tag->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
            "Notes", TagLib::StringList(MTETagText::toTagString(longNotes)), TagLib::String::UTF8));
    });
    const auto moodComment = id3([](Tag* tag) { addComment(tag, "mood=x", "Old comment"); });
    const auto wavId3 = [](const QByteArray& file) {
        TagLib::RIFF::WAV::File wav(file.constData());
        addTextFrame(wav.ID3v2Tag(), "TIT2", TagLib::StringList("Old title"));
        addTextFrame(wav.ID3v2Tag(), "TPE1", TagLib::StringList("Artist A").append("Artist B"));
        addTextFrame(wav.ID3v2Tag(), "TPOS", TagLib::StringList("2/3"));
        wav.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone);
    };
    const auto bwfId3 = [](const QByteArray& file) {
        TagLib::RIFF::WAV::File wav(file.constData());
        addUserText(wav.ID3v2Tag(), "CATALOGNUMBER", "CAT-7");
        addUserText(wav.ID3v2Tag(), "REPLAYGAIN_TRACK_GAIN", "-2.5 dB");
        addTextFrame(wav.ID3v2Tag(), "TSRC", TagLib::StringList("GBXXX2600001"));
        wav.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone);
    };
    const auto longKeyWithEquals = id3([&](Tag* tag) {
        tag->addFrame(new TagLib::ID3v2::UserTextIdentificationFrame(
            "Key=Name", TagLib::StringList(MTETagText::toTagString(longNotes)),
            TagLib::String::UTF8));
    });
    const auto musicBrainzIds = id3([](Tag* tag) {
        tag->addFrame(
            new TagLib::ID3v2::UniqueFileIdentifierFrame("http://musicbrainz.org", "mb-track"));
        addUserText(tag, "MusicBrainz Album Id", "mb-album");
    });
    const auto twoValues = id3([](Tag* tag) {
        addTextFrame(tag, "TMOO", TagLib::StringList("Calm").append("Dark"));
        addTextFrame(tag, "TSOP", TagLib::StringList("S1").append("S2"));
        addTextFrame(tag, "TEXT", TagLib::StringList("L1").append("L2"));
        addTextFrame(tag, "TSRC", TagLib::StringList("I1").append("I2"));
    });
    const auto aiffId3 = [](const QByteArray& file) {
        TagLib::RIFF::AIFF::File aiff(file.constData());
        aiff.tag()->setAlbum("Album");
        aiff.tag()->setGenre("Rock");
        aiff.save();
    };
    const auto encodingSettings = asf([](TagLib::ASF::Tag* tag) {
        tag->setAttribute("WM/EncodingSettings", TagLib::String("Lavc59 wmav2"));
    });
    const auto noDescription = id3([](Tag* tag) { addUserText(tag, "", "lonely value"); });
    const QStringList both{"Artist A", "Artist B"};
    const QStringList disc{"-metadata", "DISCNUMBER=1", "-metadata", "DISCTOTAL=2"};
    const QStringList description{"-metadata", "description=Old"};
    const QStringList track{"-metadata", "track=5"};
    const QStringList chunks{"-metadata",         "title=Old title",    "-metadata",
                             "author=Old artist", "-metadata",          "copyright=Old copyright",
                             "-metadata",         "comment=Old comment"};
    const QStringList infoTitle{"-metadata", "title=INFO title"};
    const QStringList bext{"-fflags", "+bitexact", "-write_bext",
                           "1",       "-metadata", "description=Take 7"};
    const QStringList musicBrainz{"-metadata", "MUSICBRAINZ_ALBUMID=mb-album"};
    const QStringList grouping{"-metadata", "grouping=Old grouping"};
    const QStringList vorbisGain{"-metadata", "REPLAYGAIN_TRACK_GAIN=-1.5"};
    const QStringList vorbisComment{"-metadata", "comment=Old comment"};
    const QStringList channelMask{"-metadata", "WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x3"};
    const char* freeFormId = "----:com.apple.iTunes:MusicBrainz Album Id";
    const QStringList label{"-metadata", "publisher=Old label", "-metadata", "copyright=Old (c)"};
    const auto englishLyrics = id3([](Tag* tag) {
        auto lyrics = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>();
        lyrics->setLanguage("eng");
        lyrics->setText("Old lyrics");
        tag->addFrame(lyrics.release());
    });
    const auto wmaYearAndComments = asf([](TagLib::ASF::Tag* tag) {
        tag->setAttribute("WM/Year", TagLib::String("1999"));
        tag->setAttribute("WM/Lyrics", TagLib::String("Old lyrics"));
        tag->setAttribute("WM/Comments", TagLib::String("Old comment"));
    });
    const QStringList dateAndGrouping{"-metadata", "date=1999", "-metadata",
                                      "grouping=Old grouping"};
    const QStringList organization{"-metadata", "ORGANIZATION=Old label"};
    const QStringList noId3{"-write_id3v2", "0"};
    const QStringList noInfo{"-fflags", "+bitexact"};
    const auto zeroSizeFrame = [](const QByteArray& file) {
        addRawId3Tag(file, rawId3Tag(4, {{"TIT2", "Odd Title"},
                                         {"TXXX", ""},
                                         {"TPE1", "Odd Artist"},
                                         {"TCON", "Acid"},
                                         {"TXXX", QByteArray("MusicBrainz Album Id\0mb", 23)}}));
    };
    const auto v23ExtendedHeader = [](const QByteArray& file) {
        addRawId3Tag(file, rawId3Tag(3, {{"TIT2", "Odd Title"}, {"TPE1", "Odd Artist"}}, true));
    };
    const auto badByte = [](const QByteArray& file) {
        addRawId3Tag(file, rawId3Tag(4, {{"TIT2", "Bad \xff Title"}, {"TPE1", "Odd Artist"}}));
    };
    const auto classical = id3([](Tag* tag) {
        addTextFrame(tag, "TIT1", TagLib::StringList("some work"));
        addTextFrame(tag, "GRP1", TagLib::StringList("some grouping"));
    });
    const auto twoPublisherItems = [](const QByteArray& file) {
        TagLib::MP4::File mp4(file.constData());
        for (const char* item : {"----:com.apple.iTunes:LABEL", "----:com.apple.iTunes:publisher"})
            mp4.tag()->setItem(item, TagLib::StringList("Old label"));
        mp4.save();
    };
    const auto oldMp4Atoms = [](const QByteArray& file) {
        TagLib::MP4::File mp4(file.constData());
        mp4.tag()->setItem("TPUB", TagLib::StringList("Old label"));
        mp4.tag()->setItem("TCOP", TagLib::StringList("Old (c)"));
        mp4.save();
    };
    // clang-format off
    const Case cases[] = {
        {"ID3v2.4 strings into FLAC", "mp3", {}, twoArtists, nullptr, "flac", "ARTIST", both, "Artist A; Artist B"},
        {"ID3v2.4 strings into AAC", "mp3", {}, twoArtists, nullptr, "m4a", "\u00A9ART", both},
        {"ID3v2.4 strings into Ogg", "mp3", {}, twoArtists, nullptr, "ogg", "ARTIST", both},
        {"two ID3v2.3 frames of one id into MP3", "mp3", {}, twoFrames, nullptr, "mp3", "TPE1", both},
        {"repeated Vorbis fields into MP3", "flac", {"-metadata", "artist=Artist A"}, repeatedField, nullptr, "mp3", "TPE1", both},
        {"an MP4 string list into FLAC", "m4a", {}, stringList, nullptr, "flac", "ARTIST", both},
        {"an edited field is written as typed", "mp3", {}, twoArtists, "Artist=A/B; C", "flac", "ARTIST", {"A/B; C"}},
        {"an ID3v1 genre number", "mp3", {}, genreNumber, nullptr, "flac", "GENRE", {"House"}},
        {"a track total in user text into FLAC", "mp3", track, trackTotal, nullptr, "flac", "TRACKTOTAL", {"9"}},
        {"a track total in user text into AAC", "mp3", track, trackTotal, nullptr, "m4a", "trkn", {"5/9"}},
        {"a disc total of its own into MP3", "flac", disc, {}, nullptr, "mp3", "TPOS", {"1/2"}},
        {"a disc total of its own into AAC", "flac", disc, {}, nullptr, "m4a", "disk", {"1/2"}},
        {"a back cover listed first", "mp3", {}, backFirst, nullptr, "mp3", "APIC", {"3"}},
        {"a lone back cover stays one", "mp3", {}, backOnly, nullptr, "mp3", "APIC", {"4"}},
        {"a comment described with a colon", "mp3", {}, colonComment, "Comment=New", "mp3", "TXXX:x:y", {}},
        {"lyrics in no language", "mp3", {}, noLanguage, "LRC=New", "flac", "LYRICS-", {}},
        {"a Matroska title in a language", "mka", {"-metadata", "title=Old", "-metadata", "TITLE-eng=Old"}, {}, "Title=New", "mp3", "TXXX:TITLE-eng", {}},
        {"an untouched MP4 description", "m4a", description, {}, nullptr, "m4a", "desc", {"Old"}},
        {"an MP4 description on a comment edit", "m4a", description, {}, "Comment=New", "m4a", "desc", {}},
        {"an MP4 description into WAV on a comment edit", "m4a", description, {}, "Comment=New", "wav", "TDES", {}},
        {"an MP4 description into MPEG-2 Audio on a comment edit", "m4a", description, {}, "Comment=New", "mp2", "TDES", {}},
        {"AIFF text chunks into WAV", "aiff", chunks, {}, nullptr, "wav", "TPE1", {"Old artist"}, "Old artist"},
        {"AIFF text chunks into MPEG-2 Audio", "aiff", chunks, {}, nullptr, "mp2", "TCOP", {"Old copyright"}},
        {"AIFF text chunks into AIFF", "aiff", chunks, {}, nullptr, "aiff", "TIT2", {"Old title"}},
        {"an AIFF author chunk on an artist edit", "aiff", chunks, {}, "Artist=New", "aiff", "ffprobe:author", {}},
        {"a WAV's ID3 chunk beside INFO into CAF", "wav", infoTitle, wavId3, nullptr, "caf", "ffprobe:title", {"Old title"}},
        {"a WAV's disc into CAF", "wav", infoTitle, wavId3, nullptr, "caf", "ffprobe:disc", {"2/3"}},
        {"several values into CAF", "wav", infoTitle, wavId3, nullptr, "caf", "ffprobe:artist", {"Artist A; Artist B"}},
        {"a tag named with '=' into CAF", "mp3", {}, moodComment, "Comment=New", "caf", "ffprobe:mood", {}},
        {"two WMA Author values into MP3", "wma", {}, twoAuthors, nullptr, "mp3", "TPE1", both, "Artist A; Artist B"},
        {"repeated WMA attributes in the file's order", "wma", {}, genres, nullptr, "flac", "GENRE", {"G1", "G2", "G3"}},
        {"an untouched several-valued artist into WMA", "mp3", {}, twoArtists, nullptr, "wma", "ffprobe:artist", {"Artist A; Artist B"}},
        {"Vorbis MusicBrainz ids into AAC", "flac", musicBrainz, {}, nullptr, "m4a", freeFormId, {"mb-album"}},
        {"WMA MusicBrainz ids into AAC", "wma", {}, asfMusicBrainz, nullptr, "m4a", freeFormId, {"mb-album"}},
        {"ID3 ReplayGain into AAC", "mp3", {}, replayGain, nullptr, "m4a", "----:com.apple.iTunes:replaygain_track_gain", {"-1.5"}},
        {"an ID3 work into AAC", "mp3", {}, work, nullptr, "m4a", "\u00A9wrk", {"Old work"}},
        {"an ID3 work into MPEG-2 Audio", "mp3", {}, work, nullptr, "mp2", "TXXX:Work", {"Old work"}},
        {"an M4A grouping into WAV", "m4a", grouping, {}, nullptr, "wav", "TIT1", {"Old grouping"}},
        {"several unmanaged values into MP3", "mp3", {}, artists, nullptr, "mp3", "TXXX:Artists", {"A1", "A2"}},
        {"several unmanaged values into Opus", "mp3", {}, artists, nullptr, "opus", "ARTISTS", {"A1", "A2"}},
        {"a value too long for ffmpeg's WMA copy", "mp3", {}, notes, nullptr, "wma", "Notes", {longNotes}},
        {"several unmanaged values into WMA", "mp3", {}, artists, nullptr, "wma", "Artists", {"A1", "A2"}},
        {"a Broadcast WAV's ID3 chunk into Opus", "wav", bext, bwfId3, nullptr, "opus", "CATALOGNUMBER", {"CAT-7"}},
        {"a key with '=' too long for ffmpeg's WMA copy", "mp3", track, longKeyWithEquals, nullptr, "wma", "Key=Name", {longNotes}},
        {"an ID3 MusicBrainz track id into MP3", "mp3", {}, musicBrainzIds, nullptr, "mp3", "UFID", {"mb-track"}},
        {"an ID3 MusicBrainz track id into FLAC", "mp3", {}, musicBrainzIds, nullptr, "flac", "MUSICBRAINZ_TRACKID", {"mb-track"}},
        {"an ID3 MusicBrainz track id into AAC", "mp3", {}, musicBrainzIds, nullptr, "m4a", "----:com.apple.iTunes:MusicBrainz Track Id", {"mb-track"}},
        {"an ID3 MusicBrainz track id into WMA", "mp3", {}, musicBrainzIds, nullptr, "wma", "MusicBrainz/Track Id", {"mb-track"}},
        {"an ID3 MusicBrainz album id into FLAC", "mp3", {}, musicBrainzIds, nullptr, "flac", "MUSICBRAINZ_ALBUMID", {"mb-album"}},
        {"no ffmpeg spelling of it beside in Opus", "mp3", {}, musicBrainzIds, nullptr, "opus", "MUSICBRAINZ ALBUM ID", {}},
        {"an ID3 MusicBrainz album id into WMA", "mp3", {}, musicBrainzIds, nullptr, "wma", "MusicBrainz/Album Id", {"mb-album"}},
        {"no ffmpeg spelling of it beside in WMA", "mp3", {}, musicBrainzIds, nullptr, "wma", "MusicBrainz Album Id", {}},
        {"no frame id of the mood beside in FLAC", "mp3", {}, twoValues, nullptr, "flac", "TMOO", {}},
        {"no dashed artist sort beside in Ogg", "mp3", {}, twoValues, nullptr, "ogg", "ARTIST-SORT", {}},
        {"no frame id of the mood beside in WMA", "mp3", {}, twoValues, nullptr, "wma", "TMOO", {}},
        {"no frame id of the mood beside in CAF", "mp3", {}, twoValues, nullptr, "caf", "ffprobe:TMOO", {}},
        {"AIFF chunks beside an ID3 chunk into WAV", "aiff", chunks, aiffId3, nullptr, "wav", "TPE1", {"Old artist"}, "Old artist"},
        {"AIFF chunks beside an ID3 chunk into AIFF", "aiff", chunks, aiffId3, nullptr, "aiff", "TCOP", {"Old copyright"}},
        {"AIFF chunks beside an ID3 chunk into AAC", "aiff", chunks, aiffId3, nullptr, "m4a", "\u00A9ART", {"Old artist"}},
        {"no author beside the artist in MP3", "aiff", chunks, aiffId3, nullptr, "mp3", "TXXX:author", {}},
        {"no author beside the artist in FLAC", "aiff", chunks, aiffId3, nullptr, "flac", "AUTHOR", {}},
        {"WMA encoder settings into AAC", "wma", {}, encodingSettings, nullptr, "m4a", "----:com.apple.iTunes:WM/EncodingSettings", {}},
        {"WMA encoder settings into WAV", "wma", {}, encodingSettings, nullptr, "wav", "TXXX:WM/ENCODINGSETTINGS", {}},
        {"a user text without description into MP3", "mp3", {}, noDescription, nullptr, "mp3", "TXXX:lonely value", {}},
        {"a user text without description into AAC", "mp3", {}, noDescription, nullptr, "m4a", "----:com.apple.iTunes:lonely value", {}},
        {"a WAV's disc into CAF once", "wav", infoTitle, wavId3, nullptr, "caf", "ffprobe:DISCNUMBER", {}},
        {"a Vorbis MusicBrainz album id into MP3", "flac", musicBrainz, {}, nullptr, "mp3", "TXXX:MusicBrainz Album Id", {"mb-album"}},
        {"a Vorbis MusicBrainz album id into WMA", "flac", musicBrainz, {}, nullptr, "wma", "MusicBrainz/Album Id", {"mb-album"}},
        {"an ID3 MusicBrainz album id into Ogg", "mp3", {}, musicBrainzIds, nullptr, "ogg", "MUSICBRAINZ_ALBUMID", {"mb-album"}},
        {"no second spelling of an untouched Vorbis comment", "ogg", vorbisComment, {}, nullptr, "opus", "DESCRIPTION", {}},
        {"a FLAC channel mask is no tag", "flac", channelMask, {}, nullptr, "flac", "WAVEFORMATEXTENSIBLE_CHANNEL_MASK", {}},
        {"Vorbis ReplayGain into AAC", "flac", vorbisGain, {}, nullptr, "m4a", "----:com.apple.iTunes:replaygain_track_gain", {"-1.5"}},
        {"no frame id of the lyricist beside in Opus", "mp3", {}, twoValues, nullptr, "opus", "TEXT", {}},
        {"no frame id of the ISRC beside in Opus", "mp3", {}, twoValues, nullptr, "opus", "TSRC", {}},
        {"no dashed artist sort beside in WMA", "mp3", {}, twoValues, nullptr, "wma", "artist-sort", {}},
        {"no second artist sort in CAF", "mp3", {}, twoValues, nullptr, "caf", "ffprobe:ARTISTSORT", {}},
        {"AIFF chunks beside an ID3 chunk into MPEG-2 Audio", "aiff", chunks, aiffId3, nullptr, "mp2", "TPE1", {"Old artist"}},
        {"no comment user text beside the comment in MP3", "aiff", chunks, aiffId3, nullptr, "mp3", "TXXX:comment", {}},
        {"no author beside the artist in Opus", "aiff", chunks, aiffId3, nullptr, "opus", "AUTHOR", {}},
        {"WMA encoder settings into MPEG-2 Audio", "wma", {}, encodingSettings, nullptr, "mp2", "TXXX:WM/ENCODINGSETTINGS", {}},
        {"a user text without description into WAV", "mp3", {}, noDescription, nullptr, "wav", "TXXX:LONELY VALUE", {}},
        {"a user text without description into AIFF", "mp3", {}, noDescription, nullptr, "aiff", "TXXX:lonely value", {}},
        {"a user text without description into MPEG-2 Audio", "mp3", {}, noDescription, nullptr, "mp2", "TXXX:LONELY VALUE", {}},
        {"the publisher into AAC as no ID3 frame", "mp3", label, {}, nullptr, "m4a", "TPUB", {}},
        {"the copyright into AAC as no ID3 frame", "mp3", label, {}, nullptr, "m4a", "TCOP", {}},
        {"an old M4A's TPUB atom read and replaced", "m4a", {}, oldMp4Atoms, "Publisher=New", "m4a", "TPUB", {}, "Old label"},
        {"an M4A's LABEL beside its publisher into AAC once", "m4a", {}, twoPublisherItems, nullptr, "m4a", "----:com.apple.iTunes:LABEL", {}},
        {"lyrics in a language into MP3 once", "mp3", {}, englishLyrics, nullptr, "mp3", "TXXX:lyrics-eng", {}},
        {"lyrics in a language into FLAC once", "mp3", {}, englishLyrics, nullptr, "flac", "LYRICS-ENG", {}},
        {"lyrics in a language into Opus once", "mp3", {}, englishLyrics, nullptr, "opus", "LYRICS-ENG", {}},
        {"lyrics in a language into WMA once", "mp3", {}, englishLyrics, nullptr, "wma", "lyrics-eng", {}},
        {"lyrics in a language into AIFF once", "mp3", {}, englishLyrics, nullptr, "aiff", "TXXX:lyrics-eng", {}},
        {"lyrics in a language into CAF once", "mp3", {}, englishLyrics, nullptr, "caf", "ffprobe:lyrics-eng", {}},
        {"no date beside WM/Year in WMA", "mp3", dateAndGrouping, {}, nullptr, "wma", "date", {}},
        {"no grouping beside WM/ContentGroupDescription in WMA", "mp3", dateAndGrouping, {}, nullptr, "wma", "grouping", {}},
        {"a WMA's WM/Year into FLAC once", "wma", {}, wmaYearAndComments, nullptr, "flac", "WM/YEAR", {}},
        {"a WMA's WM/Lyrics into MP3 once", "wma", {}, wmaYearAndComments, nullptr, "mp3", "TXXX:WM/Lyrics", {}},
        {"a Vorbis ORGANIZATION into MP3 once", "flac", organization, {}, nullptr, "mp3", "TXXX:ORGANIZATION", {}},
        {"a Vorbis ORGANIZATION into WMA once", "flac", organization, {}, nullptr, "wma", "ORGANIZATION", {}},
        {"a Vorbis ORGANIZATION into CAF once", "flac", organization, {}, nullptr, "caf", "ffprobe:ORGANIZATION", {}},
        {"a Vorbis LABEL into MP3 once", "ogg", {"-metadata", "LABEL=Old label"}, {}, nullptr, "mp3", "TXXX:LABEL", {}},
        {"a WMA's WM/Comments into MP3 on a comment edit", "wma", {}, wmaYearAndComments, "Comment=New", "mp3", "TXXX:WM/Comments", {}},
        {"a WMA's WM/Comments into FLAC on a comment edit", "wma", {}, wmaYearAndComments, "Comment=New", "flac", "WM/COMMENTS", {}},
        {"a TIT1 beside a GRP1 into CAF", "mp3", {}, classical, nullptr, "caf", "ffprobe:grouping", {"some work"}},
        {"a GRP1 beside a TIT1 into CAF", "mp3", {}, classical, nullptr, "caf", "ffprobe:GRP1", {"some grouping"}},
        {"a GRP1 beside a TIT1 into FLAC", "mp3", {}, classical, nullptr, "flac", "GRP1", {"some grouping"}},
        {"a GRP1 beside a TIT1 into WMA", "mp3", {}, classical, nullptr, "wma", "GRP1", {"some grouping"}},
        {"a grouping edit beside a GRP1 into CAF", "mp3", {}, classical, "Grouping=New", "caf", "ffprobe:grouping", {"New"}, "some work"},
        {"a genre behind a zero-size ID3 frame cleared into CAF", "mp3", noId3, zeroSizeFrame, "Genre=", "caf", "ffprobe:genre", {}, "Acid"},
        {"a genre behind a zero-size ID3 frame into WAV", "mp3", noId3, zeroSizeFrame, nullptr, "wav", "TCON", {"Acid"}},
        {"a user text behind a zero-size ID3 frame into WAV", "mp3", noId3, zeroSizeFrame, nullptr, "wav", "TXXX:MusicBrainz Album Id", {"mb"}},
        {"an artist behind an ID3v2.3 extended header into WAV", "mp3", noId3, v23ExtendedHeader, nullptr, "wav", "TPE1", {"Odd Artist"}},
        {"a WAV's ID3 chunk behind a zero-size frame into WAV", "wav", noInfo, zeroSizeFrame, nullptr, "wav", "TCON", {"Acid"}},
        {"a title with a bad UTF-8 byte into MP3", "mp3", noId3, badByte, nullptr, "mp3", "TIT2", {"Bad \uFFFD Title"}},
        {"a title with a bad UTF-8 byte into WMA", "mp3", noId3, badByte, nullptr, "wma", "ffprobe:title", {"Bad \uFFFD Title"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString sourcePath = makeAudio(QStringLiteral("tagged.") + c.source, c.ffmpegTags);
        if (c.tagger)
            c.tagger(QFile::encodeName(sourcePath));
        const std::shared_ptr<QVMusicInfo> loaded = loadedRow(sourcePath, QLatin1String(c.output));
        const std::shared_ptr<MTEAudioFile> source = loaded->metHandler;
        ASSERT_TRUE(source);
        const QString edit = QString::fromUtf8(c.edit ? c.edit : "Artist=");
        const QString editedName = edit.section(u'=', 0, 0);
        if (c.editorShows) { // what the editor and the file list show
            EXPECT_EQ(source->getValueForKey(editedName).toString(),
                      QString::fromUtf8(c.editorShows));
        }
        if (c.edit)
            loaded->dicToMetadata.insert(source->keyOf(editedName), edit.section(u'=', 1));
        const QString output = convertThroughJob(loaded);
        ASSERT_FALSE(output.isEmpty());
        EXPECT_EQ(rawValues(output, QString::fromUtf8(c.entry)), c.values);
    }
}
