#include "support/TestEnvironment.h"

#include "ViewTestSupport.h"

#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDetailView.h"
#include "views/QVDraggingImageView.h"
#include "views/QVDraggingImageViewDelegate.h"

#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
std::shared_ptr<QVMusicInfo> probedRow(bool withTags) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = QStringLiteral("/music/My Song.v2.flac");
    row->mediaInfo = std::make_shared<LSMedia>();
    LSMedia& media = *row->mediaInfo;
    media.strMediaFilePath_ = row->strFilePath;
    media.dABitrate = 320500;
    media.iChanels = 2;
    media.strACodecName = QStringLiteral("flac");
    media.eumMediaType = LSMediaTypeAudio;
    media.dSamplerate = 44100;
    media.dFileSize = 5.5 * 1048576;
    if (withTags) {
        auto tags = std::make_shared<MTEAudioFile>();
        tags->dicMap = {{QStringLiteral("Title"), QStringLiteral("TITLE")},
                        {QStringLiteral("Album"), QStringLiteral("ALBUM")},
                        {QStringLiteral("Artist"), QStringLiteral("ARTIST")},
                        {QStringLiteral("AlbumImg"), QStringLiteral("COVER")}};
        tags->dicReadInfo = {{QStringLiteral("TITLE"), QStringLiteral("Ünïcode title")},
                             {QStringLiteral("COVER"), QImage(40, 20, QImage::Format_RGB32)}};
        row->metHandler = tags;
    }
    return row;
}

class RecordingImageDelegate : public QVDraggingImageViewDelegate {
public:
    int calls = 0;
    QImage last;
    void didQVDraggingImageViewAcceptDragImage(QVDraggingImageView*, const QImage& image) override {
        ++calls;
        last = image;
    }
};

// Waits until the view's cover decodes are done; then whether a cover is shown.
bool coverShownOnceDecoded(const QVDetailView& view) {
    const auto* thumbnails = view.findChild<QVCoverThumbnails*>();
    return QTest::qWaitFor([&] { return !thumbnails->isDecoding(); }, 10000) &&
           !view.imageView()->pixmap().isNull();
}

QRgb shownCentre(const QVDetailView& view) {
    const QImage shown = view.imageView()->pixmap().toImage();
    return shown.isNull() ? 0 : shown.pixel(shown.rect().center());
}

QByteArray jpegOf(const QColor& colour, int side = 160) {
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(colour);
    return jpegBytesOf(picture);
}

// A few hundred bytes whose frame header claims 8190 x 8190 pixels.
QByteArray hugeClaimJpeg() {
    QByteArray jpeg = jpegOf(Qt::gray, 8);
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    for (const int at : {5, 7})
        jpeg.replace(frame + at, 2, "\x1F\xFE");
    return jpeg;
}

std::shared_ptr<QVMusicInfo> coveredRow(const QVariant& cover) {
    auto row = probedRow(true);
    row->metHandler->dicReadInfo.insert(QStringLiteral("COVER"), cover);
    return row;
}

std::unique_ptr<QMimeData> fileDrop(const QString& path) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}
} // namespace

TEST(QVDetailView, ShowsTagsAndAudioFacts) {
    struct Case {
        bool withTags;
        const char *name, *artist, *album;
        bool cover;
    } cases[] = {{true, "Ünïcode title", "Unknow", "Unknow", true},
                 {false, "My Song.v2", "Unknow", "Unknow", false}};
    for (const Case& c : cases) {
        QVDetailView view;
        view.setMusicInfo(probedRow(c.withTags));
        EXPECT_EQ(view.tfName()->text(), QString::fromUtf8(c.name));
        EXPECT_EQ(view.tfAuthor()->text(), QString::fromUtf8(c.artist));
        EXPECT_EQ(view.tfAlbum()->text(), QString::fromUtf8(c.album));
        EXPECT_EQ(coverShownOnceDecoded(view), c.cover);
        EXPECT_EQ(view.tfBitRate()->text(), QStringLiteral("320.5kbps"));
        EXPECT_EQ(view.tfChannels()->text(), QStringLiteral("2"));
        EXPECT_EQ(view.tfFormat()->text(), QStringLiteral("FLAC"));
        EXPECT_EQ(view.tfKind()->text(), QStringLiteral("FLAC audio file"));
        EXPECT_EQ(view.tfSampleRate()->text(), QStringLiteral("44.1kHz"));
        EXPECT_EQ(view.tfSize()->text(), QStringLiteral("5.5M"));
    }
}

TEST(QVDetailView, MissingCodecShowsUnknownFormat) {
    QVDetailView view;
    auto row = probedRow(false);
    row->mediaInfo->strACodecName.clear();
    row->mediaInfo->eumMediaType = LSMediaTypeVideo;
    view.setMusicInfo(row);
    EXPECT_EQ(view.tfFormat()->text(), QStringLiteral("Unknow"));
    EXPECT_EQ(view.tfKind()->text(), QStringLiteral("video file"));
}

TEST(QVDraggingImageView, TakesDroppedPicturesAndRefusesOtherFiles) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("imagedrop"));
    const QString jpeg = folder + QStringLiteral("/-cover 'front'.jpg");
    QImage picture(32, 24, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(jpeg, "JPEG"));
    const QString text = folder + QStringLiteral("/notes.jpg.txt");
    QFile textFile(text);
    ASSERT_TRUE(textFile.open(QIODevice::WriteOnly));
    textFile.write("not a picture");
    textFile.close();
    auto imageData = std::make_unique<QMimeData>();
    imageData->setImageData(picture);

    struct Case {
        const char* name;
        QMimeData* data;
        bool taken;
    } cases[] = {{"jpeg file", fileDrop(jpeg).release(), true},
                 {"text file", fileDrop(text).release(), false},
                 {"missing file", fileDrop(folder + QStringLiteral("/gone.png")).release(), false},
                 {"image data", imageData.release(), true},
                 {"nothing", new QMimeData, false}};
    for (const Case& c : cases) {
        std::unique_ptr<QMimeData> data(c.data);
        QVDraggingImageView view;
        RecordingImageDelegate delegate;
        view.setDelegate(&delegate);
        EXPECT_EQ(view.performDragOperation(data.get()), c.taken) << c.name;
        EXPECT_EQ(delegate.calls, c.taken ? 1 : 0) << c.name;
        EXPECT_EQ(view.image().isNull(), !c.taken) << c.name;
        if (c.taken) {
            EXPECT_EQ(delegate.last.size(), QSize(32, 24)) << c.name;
        }
    }
}

TEST(QVDetailView, ShowsACoverHeldAsItsEncodedBytes) {
    const QByteArray jpeg = jpegOf(QColor(200, 40, 60));
    struct Case {
        const char* name;
        QVariant cover;
        bool shown;
    };
    const Case cases[] = {{"JPEG bytes", jpeg, true},
                          {"bytes that are no picture", QByteArray("not a picture"), false},
                          {"no picture", QVariant(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QVDetailView view;
        view.setMusicInfo(coveredRow(c.cover));
        EXPECT_EQ(coverShownOnceDecoded(view), c.shown);
        if (c.shown) {
            EXPECT_NEAR(qRed(shownCentre(view)), 200, 8);
            view.grab().save(TestEnvironment::renderFolder() +
                             QStringLiteral("/detail-view-encoded-cover.png"));
        }
    }
}

TEST(QVDetailView, ShowsOnlyTheSelectedRowsCoverDecodingEachOnce) {
    const auto red = coveredRow(jpegOf(QColor(200, 40, 60)));
    const auto blue = coveredRow(jpegOf(QColor(40, 60, 200)));
    const auto bare = probedRow(false);
    QVDetailView view;
    view.setMusicInfo(red);
    EXPECT_TRUE(view.imageView()->pixmap().isNull()) << "decoded on the main thread";
    ASSERT_TRUE(QVCoverThumbnails::waitForAllDecodes(60000)); // red is decoded, not delivered
    view.setMusicInfo(bare);
    EXPECT_FALSE(coverShownOnceDecoded(view)) << "a cover arrived for a row no longer shown";

    view.setMusicInfo(blue);
    ASSERT_TRUE(coverShownOnceDecoded(view));
    view.setMusicInfo(bare);
    view.setMusicInfo(blue);
    EXPECT_FALSE(view.findChild<QVCoverThumbnails*>()->isDecoding()) << "decoded again";
    EXPECT_NEAR(qBlue(shownCentre(view)), 200, 8) << "not shown at once";

    // Thumbnails that go while a cover decodes in full (8190 x 8190, as the editor's) do not
    // wait for it, and the decode, when it ends, touches nothing of them.
    ASSERT_TRUE(QVCoverThumbnails::waitForAllDecodes(60000));
    auto doomed =
        std::make_unique<QVCoverThumbnails>(QSize(), QVCoverThumbnails::Fitting::Shrunk, 1);
    doomed->showCover(hugeClaimJpeg(), [](const QImage&) {});
    QThread::msleep(20);
    doomed.reset();
    EXPECT_FALSE(QVCoverThumbnails::waitForAllDecodes(0)) << "they waited for their decode";
    EXPECT_TRUE(QVCoverThumbnails::waitForAllDecodes(60000));
    QCoreApplication::processEvents();
}
