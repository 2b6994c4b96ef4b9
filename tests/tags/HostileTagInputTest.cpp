#include "TagTestData.h"
#include "tags/MTEAsfHeader.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"

#include <QFile>
#include <QtEndian>

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

using namespace TagTestData;

namespace {

QByteArray syncSafe(quint32 value) {
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7)
        bytes[i] = char(value & 0x7f);
    return bytes;
}

QByteArray bigEndian(quint32 value, int width) {
    QByteArray bytes(width, '\0');
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xff);
    return bytes;
}

QByteArray mp3Audio() {
    static const QByteArray audio = [] {
        const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/plain.mp3");
        MediaFixtures::makeSine(path, 1.0, 44100, 2,
                                {QStringLiteral("-id3v2_version"), QStringLiteral("0")});
        return fileBytes(path);
    }();
    return audio;
}

QByteArray flacStreamInfo() {
    static const QByteArray info = [] {
        const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/plain.flac");
        MediaFixtures::makeSine(path, 1.0);
        return fileBytes(path).mid(8, 34); // after "fLaC" and the block header
    }();
    return info;
}

QByteArray truncatedId3Header() {
    return QByteArray("ID3\x04\x00", 5);
}

QByteArray frameSizePastEndOfFile() {
    const QByteArray frame = QByteArray("TIT2") + syncSafe(0x0fffffff) + QByteArray(2, '\0') +
                             QByteArray("\x03short", 6);
    return QByteArray("ID3\x04\x00\x00", 6) + syncSafe(quint32(frame.size())) + frame + mp3Audio();
}

QByteArray tagSizePastEndOfFile() {
    return QByteArray("ID3\x03\x00\x00", 6) + syncSafe(0x0fffffff) + QByteArray("TIT2\x00\x00", 6);
}

QByteArray flacWithHugePictureBlock() {
    QByteArray picture = bigEndian(3, 4) + bigEndian(0xfffffff0u, 4) + QByteArray("image/png") +
                         bigEndian(0, 4) + bigEndian(3000, 4) + bigEndian(3000, 4) +
                         bigEndian(24, 4) + bigEndian(0, 4) + bigEndian(0x7fffffff, 4) +
                         QByteArray(64, 'x');
    return QByteArray("fLaC") + QByteArray("\x00", 1) + bigEndian(34, 3) + flacStreamInfo() +
           QByteArray("\x86", 1) + bigEndian(0xffffff, 3) + picture;
}

QByteArray flacWithHugePictureData() {
    QByteArray picture = bigEndian(3, 4) + bigEndian(9, 4) + QByteArray("image/png") +
                         bigEndian(0, 4) + bigEndian(1, 4) + bigEndian(1, 4) + bigEndian(24, 4) +
                         bigEndian(0, 4) + bigEndian(0xfffff0, 4) + QByteArray(64, 'x');
    return QByteArray("fLaC") + QByteArray("\x00", 1) + bigEndian(34, 3) + flacStreamInfo() +
           QByteArray("\x86", 1) + bigEndian(quint32(picture.size()), 3) + picture;
}

struct HostileFile {
    const char* name;
    QByteArray bytes;
};

std::vector<HostileFile> hostileFiles() {
    return {
        {"truncated header.mp3", truncatedId3Header()},
        {"frame past end.mp3", frameSizePastEndOfFile()},
        {"tag past end.mp3", tagSizePastEndOfFile()},
        {"zero.mp3", {}},
        {"zero.m4a", {}},
        {"zero.flac", {}},
        {"zero.ogg", {}},
        {"random.mp3", MediaFixtures::randomBytes(65536, 1)},
        {"random.m4a", MediaFixtures::randomBytes(65536, 2)},
        {"random.flac", MediaFixtures::randomBytes(65536, 3)},
        {"random.ogg", MediaFixtures::randomBytes(65536, 4)},
        {"ftyp only.m4a", QByteArray("\x00\x00\x00\x08"
                                     "ftyp",
                                     8) +
                              MediaFixtures::randomBytes(512)},
        {"zero.wma", {}},
        {"random.wma", MediaFixtures::randomBytes(65536, 5)},
        {"zero.aiff", {}},
        {"random.aiff", MediaFixtures::randomBytes(65536, 6)},
        {"text chunk past end.aiff", QByteArray("FORM\x00\x00\x00\x30"
                                                "AIFFNAME\x7f\xff\xff\xff",
                                                20)},
        {"huge picture block.flac", flacWithHugePictureBlock()},
        {"huge picture data.flac", flacWithHugePictureData()},
    };
}

} // namespace

TEST(HostileTagInput, ReadingNeitherCrashesNorChangesTheFile) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("hostile"));
    for (const HostileFile& hostile : hostileFiles()) {
        const QString path = folder + u'/' + QString::fromLatin1(hostile.name);
        ASSERT_TRUE(MediaFixtures::writeBytes(path, hostile.bytes));
        const auto handler =
            MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
        ASSERT_TRUE(handler) << hostile.name;
        EXPECT_TRUE(coverImage(*handler).isNull()) << hostile.name;
        EXPECT_EQ(fileBytes(path), hostile.bytes) << hostile.name;
    }
}

TEST(HostileTagInput, WritingIntoBrokenFilesFailsCleanly) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("hostile-write"));
    for (const HostileFile& hostile : hostileFiles()) {
        const QString path = folder + u'/' + QString::fromLatin1(hostile.name);
        ASSERT_TRUE(MediaFixtures::writeBytes(path, hostile.bytes));
        const int type = MTEAudioCreator::fileTypeOfPath(path);
        const QVariantMap tags = MTETagCopy::convertMetadataFromTypeToType(
            {{QStringLiteral("TIT2"), QStringLiteral("x")},
             {QStringLiteral("APIC"), makeCover(8, 8)}},
            MTEFileTypeMpeg, type);
        const MTETagWriteResult written =
            MTETagCopy::handleMetadataSave(tags, MTEFileTypeMpeg, path);
        if (hostile.bytes.isEmpty() && type != MTEFileTypeOther) {
            EXPECT_EQ(written, MTETagWriteResult::Failed) << hostile.name;
        }
    }
}

// The extended content description of a WMA file is read within its bytes, whatever sizes
// and counts its header claims.
TEST(HostileTagInput, AsfHeaderSizesAndCountsAreCheckedAgainstTheFile) {
    const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/genres.wma");
    ASSERT_TRUE(MediaFixtures::makeSine(path, 1.0));
    {
        TagLib::ASF::File file(QFile::encodeName(path).constData());
        TagLib::ASF::AttributeList genres;
        for (const char* genre : {"G1", "G2"})
            genres.append(TagLib::ASF::Attribute(TagLib::String(genre)));
        file.tag()->setAttribute("WM/Genre", genres);
        ASSERT_TRUE(file.save());
    }
    const QByteArray valid = fileBytes(path);
    const qsizetype description = valid.indexOf(QByteArray::fromHex("40a4d0d207e3d211"));
    ASSERT_GT(description, 0);
    const auto patched = [&valid](qsizetype at, const QByteArray& bytes) {
        return valid.left(at) + bytes + valid.mid(at + bytes.size());
    };
    const QByteArray all(8, '\xff');
    const QStringList first{QStringLiteral("G1")};
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList genres;
    } cases[] = {
        {"as written", valid, first},
        {"a header bigger than the file", patched(16, all), first},
        {"more objects than the header holds", patched(24, all.left(4)), first},
        {"a description past the header's end", patched(description + 16, all), {}},
        {"more descriptors than the description holds", patched(description + 24, all.left(2)),
         first},
        {"a name longer than the description", patched(description + 26, all.left(2)), {}},
        {"cut inside the description", valid.left(description + 30), {}},
        {"no header", MediaFixtures::randomBytes(4096, 7), {}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(MediaFixtures::writeBytes(path, c.bytes));
        EXPECT_EQ(MTEAsfHeader::extendedContentTexts(path).value(QStringLiteral("wm/genre")),
                  c.genres)
            << c.name;
    }
}

TEST(HostileTagInput, EmptyPictureFramesAreSkippedOnReading) {
    const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/pictures.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(path, mp3Audio()));
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        auto* empty = new TagLib::ID3v2::AttachedPictureFrame;
        empty->setMimeType("image/jpeg");
        file.ID3v2Tag(true)->addFrame(empty);
        auto* garbage = new TagLib::ID3v2::AttachedPictureFrame;
        garbage->setPicture(TagLib::ByteVector("not an image"));
        file.ID3v2Tag()->addFrame(garbage);
        auto* real = new TagLib::ID3v2::AttachedPictureFrame;
        const QByteArray jpeg =
            GlobalFun::imageDataRepresentationOfType(makeCover(12, 10), QStringLiteral("jpeg"));
        real->setPicture(TagLib::ByteVector(jpeg.constData(), unsigned(jpeg.size())));
        file.ID3v2Tag()->addFrame(real);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    }
    const auto handler =
        MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(path, true);
    EXPECT_EQ(coverImage(*handler).size(), QSize(12, 10));

    // The empty frame is the first one: a new cover goes there, and it is no longer empty.
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("APIC"), makeCover(6, 6)}},
                                             MTEFileTypeMpeg, path),
              MTETagWriteResult::Written);
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameListMap()["APIC"])
        EXPECT_FALSE(
            dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)->picture().isEmpty());
}
