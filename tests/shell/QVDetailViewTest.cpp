#include "support/TestEnvironment.h"

#include "engine/QVMusicInfo.h"
#include "tags/MTEAudioFile.h"
#include "views/QVDetailView.h"
#include "views/QVDraggingImageView.h"
#include "views/QVDraggingImageViewDelegate.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
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
        EXPECT_EQ(!view.imageView()->pixmap().isNull(), c.cover);
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
    QImage picture(160, 160, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 60));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "JPEG"));
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
        const auto row = probedRow(true);
        row->metHandler->dicReadInfo.insert(QStringLiteral("COVER"), c.cover);
        QVDetailView view;
        view.setMusicInfo(row);
        EXPECT_EQ(!view.imageView()->pixmap().isNull(), c.shown);
        if (c.shown) {
            const QImage shown = view.imageView()->pixmap().toImage();
            EXPECT_NEAR(QColor(shown.pixel(shown.rect().center())).red(), 200, 8);
            view.grab().save(TestEnvironment::renderFolder() +
                             QStringLiteral("/detail-view-encoded-cover.png"));
        }
    }
}
