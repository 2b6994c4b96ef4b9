#include "ShellTestSupport.h"
#include "ViewTestSupport.h"

#include "platform/GeometryText.h"
#include "platform/SystemBeep.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVFileInfoViewController.h"
#include "shell/QVMenuHandleCltr.h"
#include "shell/QVMetadataEditWndCtlr.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"
#include "views/QVCoverThumbnails.h"
#include "views/QVDraggingImageView.h"
#include "views/QVTipsView.h"

#include <QAction>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

// A handler of the family of fileType, as the loader leaves it.
std::shared_ptr<MTEAudioFile> handlerOf(int fileType, const QString& tagVersion = {}) {
    auto handler = MTEAudioCreator::makeHandlerOfType(fileType);
    handler->eumFileType = fileType;
    handler->dicMap = MTETagKeyMap::familyMap(MTETagKeyMap::familyOfFileType(fileType));
    handler->strTagVersion = tagVersion;
    return handler;
}

std::shared_ptr<QVMusicInfo> taggedRow(const QString& path, int fileType, const QVariantMap& tags) {
    auto row = makeRow(path, 3725.0);
    row->metHandler = handlerOf(fileType, QStringLiteral("ID3 V2.3.0"));
    row->dicToMetadata = tags;
    return row;
}

QImage picture(int width, int height, QColor color = QColor(200, 40, 60)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Runs until every cover the editor asked for has been decoded and delivered.
void deliverDecodedCovers() {
    ASSERT_TRUE(QVCoverThumbnails::waitForAllDecodes(60000));
    QCoreApplication::processEvents();
}

// A picture file of this size and a file that is no picture, side by side in a new folder;
// empty names when they cannot be written.
struct PictureFiles {
    QString picture;
    QString notImage;
};
PictureFiles pictureFiles(const QString& pictureName, int width, int height) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("pictures"));
    const PictureFiles files{folder + u'/' + pictureName, folder + QStringLiteral("/notes.png")};
    if (!picture(width, height).save(files.picture) || !writeFile(files.notImage, "not a picture"))
        return {};
    return files;
}

struct MetadataEditor : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        QVAppDelegate::prepareMusicTagMapInfo();
        SystemBeep::resetCount();
        chosen = shippedCatalogue().getFormatWithName(QStringLiteral("MP3"));
        editor =
            std::make_unique<QVMetadataEditWndCtlr>(shippedCatalogue(), [this] { return chosen; });
        editor->setUserPrompts(prompts);
    }

    template <typename T> T* child(const char* name) const {
        return editor->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* field(const char* name) const { return child<QLineEdit>(name); }
    void type(QWidget* widget, const QString& text) {
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
        typeText(widget, text);
    }

    std::optional<QVFormatSetting> chosen;
    std::shared_ptr<FakePrompts> prompts = std::make_shared<FakePrompts>();
    std::unique_ptr<QVMetadataEditWndCtlr> editor;
};

TEST_F(MetadataEditor, TypedTagsReachTheRowOnlyOnOk) {
    const QVariantMap before = {{key("TIT2"), key("Old title")}, {key("TPE1"), key("Old artist")}};
    struct Case {
        const char* name;
        std::function<void(QVMetadataEditWndCtlr&)> leave;
        bool kept;
    } cases[] = {
        {"ok", [](QVMetadataEditWndCtlr& e) { e.okButton()->click(); }, true},
        {"cancel", [](QVMetadataEditWndCtlr& e) { e.cancelButton()->click(); }, false},
        {"escape", [](QVMetadataEditWndCtlr& e) { QTest::keyClick(&e, Qt::Key_Escape); }, false},
        {"close box", [](QVMetadataEditWndCtlr& e) { e.close(); }, false},
    };
    for (const Case& c : cases) {
        auto row = taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, before);
        editor->setMusicInfo(row);
        editor->show();
        type(field("_tfTitle"), key("New title"));
        type(field("_tfYear"), key("1999"));
        editor->findChild<QTabWidget*>()->setCurrentIndex(QVMetadataEditWndCtlr::kTabLyrics);
        QTest::keyClicks(child<QPlainTextEdit>("_tvLycirs"), key("la la"));
        c.leave(*editor);
        EXPECT_FALSE(editor->isVisible()) << c.name;
        QVariantMap expected = before;
        if (c.kept) {
            expected.insert(key("TIT2"), key("New title"));
            expected.insert(key("TDRC"), key("1999"));
            expected.insert(key("USLT"), key("la la"));
        }
        EXPECT_EQ(row->dicToMetadata, expected) << c.name;
        // The file's own tags, kept by the handler, are never touched.
        EXPECT_TRUE(row->metHandler->dicReadInfo.value(key("TIT2")).toString().isEmpty());
        editor->tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabTags);
    }
}

TEST_F(MetadataEditor, ShowingEveryTabAddsNoEntries) {
    const QVariantMap before = {{key("\u00A9nam"), key("Title")}};
    auto row = taggedRow(key("/music/song.m4a"), MTEFileTypeM4A, before);
    editor->setMusicInfo(row);
    for (int tab = 0; tab < 4; ++tab)
        editor->tabView()->setCurrentIndex(tab);
    editor->tabView()->setCurrentIndex(0);
    EXPECT_EQ(editor->workingCopy(), std::optional<QVariantMap>(before));
    editor->okButton()->click();
    EXPECT_EQ(row->dicToMetadata, before);
}

TEST_F(MetadataEditor, CommentsStoreTheTextAfterTheChange) {
    auto row = taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, {{key("COMM"), key("ab")}});
    editor->setMusicInfo(row);
    auto* comments = child<QPlainTextEdit>("_tvComments");
    comments->moveCursor(QTextCursor::End);
    QTest::keyClicks(comments, key("c"));
    EXPECT_EQ(editor->workingCopy()->value(key("COMM")), QVariant(key("abc")));
}

TEST_F(MetadataEditor, FieldsFollowWhatTheRowAndTheOutputFormatAllow) {
    struct Case {
        const char* name;
        const char* format;
        bool withHandler;
        int fileType;
        bool editable;
        bool groupingEnabled;
    } cases[] = {
        {"mp3 row to MP3", "MP3", true, MTEFileTypeMpeg, true, true},
        {"m4a row to AAC: MP4 has no grouping", "AAC", true, MTEFileTypeM4A, true, false},
        {"wav row to FLAC", "FLAC", true, MTEFileTypeOther, true, true},
        {"mp3 row to WAV", "WAV", true, MTEFileTypeMpeg, true, true},
        {"mp3 row to AC3: AC3 holds no tags", "AC3", true, MTEFileTypeMpeg, false, true},
        {"row without tag handler", "MP3", false, MTEFileTypeMpeg, false, false},
        {"mp3 row to MP3 after the band", "MP3", true, MTEFileTypeMpeg, true, true},
    };
    for (const Case& c : cases) {
        chosen = shippedCatalogue().getFormatWithName(QLatin1String(c.format));
        auto row = taggedRow(key("/music/a.x"), c.fileType, {});
        if (!c.withHandler)
            row->metHandler.reset();
        editor->setMusicInfo(row);
        editor->show();
        QTest::qWait(1);
        EXPECT_EQ(editor->isCanEditable(), c.editable) << c.name;
        EXPECT_EQ(field("_tfTitle")->isReadOnly(), !c.editable) << c.name;
        EXPECT_EQ(child<QPlainTextEdit>("_tvLycirs")->isReadOnly(), !c.editable) << c.name;
        EXPECT_EQ(editor->cancelButton()->isEnabled(), c.editable) << c.name;
        EXPECT_EQ(editor->artworkWell()->isEnabled(), c.editable) << c.name;
        EXPECT_EQ(field("_tfGrouping")->isEnabled(), c.groupingEnabled) << c.name;
        // Previous and Next stay off: the opener answers for neither.
        EXPECT_FALSE(child<QPushButton>("_btnPre")->isEnabled()) << c.name;
        EXPECT_FALSE(child<QPushButton>("_btnNext")->isEnabled()) << c.name;

        QVTipsView* band = editor->tipsView();
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->tipsStr(),
                  key("Supports only MP3, AAC, ALAC, Ringtone, FLAC, MPEG-2 Audio, WAV, AIFF, OGG, "
                      "Opus, WMA, CAF."));
        EXPECT_EQ(band->isVisibleTo(editor.get()), !c.editable) << c.name;
        // The window fits its contents, with the band or without it, and keeps that height.
        EXPECT_GE(editor->height(), editor->layout()->totalMinimumSize().height()) << c.name;
        EXPECT_EQ(editor->maximumHeight(), editor->height()) << c.name;
        // The band's text is whole and it hides no field or label.
        EXPECT_EQ(layoutFaults(editor.get(), controlsOf(editor.get())), QStringList()) << c.name;
        // Typing into a locked field changes nothing; OK leaves the row as it was.
        QTest::keyClicks(field("_tfTitle"), key("xyz"));
        editor->okButton()->click();
        EXPECT_TRUE(row->dicToMetadata.isEmpty() == !c.editable) << c.name;
    }
}

TEST_F(MetadataEditor, PictureAddRemoveAndRefusedFiles) {
    const auto [png, notImage] = pictureFiles(QStringLiteral("-front 'cover'.png"), 600, 300);
    ASSERT_FALSE(png.isEmpty());
    const QByteArray jpeg = jpegBytesOf(picture(50, 40, Qt::blue));
    auto row = taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, {{key("APIC"), jpeg}});
    QString answer;
    QStringList offered;
    editor->setImageChooser([&](QWidget*, const QStringList& types) {
        offered = types;
        return answer;
    });
    editor->setMusicInfo(row);
    editor->tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
    EXPECT_TRUE(editor->artworkWell()->image().isNull() && editor->imgChangeBase().isNull())
        << "decoded on the main thread";
    deliverDecodedCovers();
    EXPECT_EQ(editor->artworkWell()->image().size(), QSize(50, 40));
    EXPECT_EQ(editor->imgChangeBase().size(), QSize(50, 40));
    auto* add = child<QPushButton>("_btnAddImg");

    answer = notImage; // refused in words; the old picture stays
    add->click();
    EXPECT_EQ(offered, (QStringList{key("PNG"), key("JPEG"), key("JPG")}));
    EXPECT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(editor->workingCopy()->value(key("APIC")).toByteArray(), jpeg);

    answer = QString(); // the panel was cancelled
    add->click();
    EXPECT_EQ(editor->workingCopy()->value(key("APIC")).toByteArray(), jpeg);

    answer = png;
    add->click();
    EXPECT_EQ(editor->imgChangeBase().size(), QSize(600, 300));
    EXPECT_EQ(editor->scaleSlider()->value(), 100); // larger than the well: own size
    EXPECT_EQ(MTETagText::imageOfValue(editor->workingCopy()->value(key("APIC"))).size(),
              QSize(600, 300));

    child<QPushButton>("_btnDeleteImg")->click();
    EXPECT_TRUE(editor->artworkWell()->image().isNull());
    EXPECT_TRUE(editor->imgChangeBase().isNull());
    editor->okButton()->click();
    EXPECT_FALSE(row->dicToMetadata.contains(key("APIC")));
}

TEST_F(MetadataEditor, BigPicturesAreTakenAndUnusableOnesExplained) {
    const auto [big, notImage] = pictureFiles(QStringLiteral("6000.png"), 6000, 6000);
    ASSERT_FALSE(big.isEmpty());
    const auto add = [this](const QString& path) {
        editor->setImageChooser([path](QWidget*, const QStringList&) { return path; });
        child<QPushButton>("_btnAddImg")->click();
    };
    const auto drop = [this](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        editor->artworkWell()->performDragOperation(&data);
    };
    const struct {
        const char* name;
        std::function<void(const QString&)> take;
        QString file;
        int takenWidth; // 0: refused
    } cases[] = {
        {"added 6000x6000 PNG", add, big, 6000},
        {"dropped 6000x6000 PNG", drop, big, 6000},
        {"added non-picture", add, notImage, 0},
        {"dropped non-picture", drop, notImage, 0},
    };
    editor->tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
    editor->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts->alerts.clear();
        editor->setMusicInfo(taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, {}));
        c.take(c.file);
        editor->grab().save(TestEnvironment::renderFolder() + QStringLiteral("/editor-") +
                            QString::fromLatin1(c.name).replace(u' ', u'-') +
                            QStringLiteral(".png"));
        EXPECT_EQ(MTETagText::imageOfValue(editor->workingCopy()->value(key("APIC"))).width(),
                  c.takenWidth);
        ASSERT_EQ(prompts->alerts.size(), c.takenWidth ? 0u : 1u);
        if (!c.takenWidth) {
            EXPECT_TRUE(prompts->alerts.front().message.startsWith(
                QStringLiteral("“notes.png” cannot be used as a cover: it is no picture")));
        }
    }
}

TEST_F(MetadataEditor, ALongTitleIsShownWholeFromItsStartAndKeptThroughAnEdit) {
    const QString firstWords = key("The first words");
    const QString longTitle = firstWords + QString(40000, u'x');
    auto row = taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, {{key("TIT2"), longTitle}});
    editor->setMusicInfo(row);
    editor->show();
    QLineEdit* title = field("_tfTitle");
    EXPECT_EQ(title->text(), longTitle);
    // The field shows the first words where it would show them alone.
    title->clearFocus();
    const QImage shown = renderOf(*title);
    title->setText(firstWords);
    const QRect start(0, 0, title->fontMetrics().horizontalAdvance(firstWords), title->height());
    EXPECT_EQ(shown.copy(start), renderOf(*title).copy(start));
    editor->updateTabView();
    title->end(false);
    QTest::keyClicks(title, key("!"));
    editor->okButton()->click();
    EXPECT_EQ(row->dicToMetadata.value(key("TIT2")).toString(), longTitle + u'!');
}

TEST(MetadataEditorScaling, SliderSizesKeepTheAspectRatio) {
    const QSize well(220, 220);
    struct Case {
        const char* name;
        QSize image;
        int value;
        std::optional<QSize> expected;
    } cases[] = {
        {"wide, larger than the well, at 0 meets it by width", {440, 330}, 0, QSize(220, 165)},
        {"wide, larger, half way", {440, 330}, 50, QSize(330, 248)},
        {"wide, larger, at 100 keeps its size", {440, 330}, 100, QSize(440, 330)},
        {"tall, larger, at 0 meets it by height", {330, 660}, 0, QSize(110, 220)},
        {"only the width exceeds", {300, 100}, 0, QSize(220, 73)},
        {"small picture at 0 keeps its size", {110, 55}, 0, QSize(110, 55)},
        {"small picture grows by height in a square well", {110, 55}, 100, QSize(440, 220)},
        {"as tall as the well and narrower grows by width", {110, 220}, 100, QSize(220, 440)},
        {"as wide as the well and lower grows by height", {220, 110}, 100, QSize(440, 220)},
        {"the well's own size is left alone", {220, 220}, 30, std::nullopt},
        {"no size is left alone", {0, 0}, 30, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<QSize> size =
            QVMetadataEditWndCtlr::scaledPictureSize(c.image, well, c.value);
        EXPECT_EQ(size, c.expected) << c.name;
        if (size) {
            EXPECT_NEAR(double(size->width()) / size->height(),
                        double(c.image.width()) / c.image.height(), 0.02)
                << c.name;
        }
    }
}

TEST_F(MetadataEditor, MovingTheSliderRescalesFromTheOriginalPicture) {
    // The file's own cover, decoded after the drop, is no longer wanted.
    const QVariantMap tags = {{key("APIC"), jpegBytesOf(picture(300, 300))}};
    editor->setMusicInfo(taggedRow(key("/music/song.mp3"), MTEFileTypeMpeg, tags));
    editor->tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
    QMimeData data;
    data.setImageData(picture(880, 440));
    ASSERT_TRUE(editor->artworkWell()->performDragOperation(&data));
    deliverDecodedCovers();
    EXPECT_EQ(editor->artworkWell()->image().size(), QSize(880, 440));
    EXPECT_EQ(editor->scaleSlider()->value(), 100); // larger than the well: its own size
    const QSize well = editor->artworkWell()->size();
    QSlider* slider = editor->scaleSlider();
    for (int value : {0, 50, 0, 100}) {
        slider->setValue(value);
        const QImage stored = MTETagText::imageOfValue(editor->workingCopy()->value(key("APIC")));
        const int width = value == 0 ? well.width() : value == 50 ? (880 + well.width()) / 2 : 880;
        EXPECT_NEAR(stored.width(), width, 1) << value;
        EXPECT_NEAR(stored.height(), width / 2, 1) << value;
    }
    EXPECT_EQ(editor->imgChangeBase().size(), QSize(880, 440));
}

TEST_F(MetadataEditor, WindowReopensWhereItWasAndStaysOnScreen) {
    editor->move(120, 90);
    editor->show();
    QTest::qWait(1);
    const QPoint where = editor->pos();
    editor->close(); // Cancel is locked without a row; the close box still works
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.stringForKey(key(QVMetadataEditWndCtlr::kPositionKey)),
              GeometryText::stringFromPoint(where));
    QVMetadataEditWndCtlr again(shippedCatalogue(), [this] { return chosen; });
    EXPECT_EQ(again.pos(), where);

    defaults.setObject(key(QVMetadataEditWndCtlr::kPositionKey), key("{9000, -4000}"));
    QVMetadataEditWndCtlr lost(shippedCatalogue(), [this] { return chosen; });
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(lost.pos(), lost.frameGeometry().size()).topLeft()));
}

TEST(MetadataEditorPlacement, PositionOnScreens) {
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QSize frame(420, 560);
    struct Case {
        const char* name;
        QPoint asked;
        QPoint expected;
    } cases[] = {
        {"inside the first screen", {100, 100}, {100, 100}},
        {"on the second screen", {2500, 300}, {2500, 300}},
        {"partly off the right edge, title bar reachable", {1800, 100}, {1800, 100}},
        {"far right of every screen", {9000, 100}, {1500, 100}},
        {"above every screen", {300, -4000}, {300, 0}},
        {"below every screen", {300, 5000}, {300, 520}},
        {"left of every screen", {-900, 200}, {0, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVMetadataEditWndCtlr::positionOnScreens(c.asked, frame, screens), c.expected)
            << c.name;
}

// ---------------------------------------------------------------------------------------
// File information

struct FileInfoTab : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        QVAppDelegate::prepareMusicTagMapInfo();
    }

    QString text(const char* outlet) const {
        const QLabel* label = view.findChild<QLabel*>(QLatin1String(outlet));
        return label ? label->text() : key("<no such label>");
    }

    QVFileInfoViewController view;
};

std::shared_ptr<QVMusicInfo> probedRow(const QString& path, int fileType, const QString& version) {
    auto row = taggedRow(path, fileType, {});
    row->metHandler->strTagVersion = version;
    LSMedia& m = *row->mediaInfo;
    m.dABitrate = 128000.0;
    m.dSamplerate = 44100.0;
    m.iChanels = 1;
    m.dAOBitrate = 128.0;
    m.dAOSamplerate = 44100.0;
    m.iAOChanels = 1;
    m.dFileSize = 3145728.0;
    m.strLastModified = key("9/12/26 6:5 AM");
    m.strASampleSize = key("fltp");
    m.strACodecName = key("mp3");
    m.eumMediaType = LSMediaTypeAudio;
    return row;
}

TEST_F(FileInfoTab, TextsOfSourceAndOutput) {
    QVFormatSetting mp3 = *shippedCatalogue().getFormatWithName(QStringLiteral("MP3"));
    mp3.biteRate = key("320");
    mp3.sampleRate = key("48000");
    mp3.channels = key("Stereo");
    QVFormatSetting useSource = mp3;
    useSource.biteRate = useSource.sampleRate = useSource.channels = key("Use Source");
    const QString path = key("/music/Best of/-my song.mp3");
    const QVariantMap tags = {{key("TIT2"), QString()}, {key("TPE1"), key("The Band")}};

    struct Case {
        const char* outlet;
        const char* output;    // isShowOriginalInfo NO, MP3 at 320k/48k/stereo
        const char* useSource; // NO, every choice "Use Source"
        const char* original;  // YES
    } cases[] = {
        {"_tfInfoTitle", "-my song", "-my song", "-my song"},
        {"_tfInfoArtist", "The Band", "The Band", "The Band"},
        {"_tfInfoAlbum", "Unknow", "Unknow", "Unknow"},
        {"_tfInfoKind", "MP3 audio file", "MP3 audio file", "MP3 audio file"},
        {"_tfInfoFormat", "MP3", "MP3", "MP3"},
        {"_tfInfoChannels", "Stereo", "Mono", "Mono"},
        {"_tfInfoChannelsMod", "1", "1", "1"},
        {"_tfInfoBitRate", "320.0kbps", "128.0kbps", "128.0kbps"},
        {"_tfInfoBitRateMode", "mod", "mod", "mod"},
        {"_tfInfoSampleRate", "48.0kHz", "44.1kHz", "44.1kHz"},
        {"_tfInfoSampleRateSize", "fltp", "fltp", "fltp"},
        {"_tfInfoLength", " 1:2:05", " 1:2:05", " 1:2:05"},
        {"_tfInfoFileSize", "3.0M", "3.0M", "3.0M"},
        {"_tfInfoTagFmt", "id3", "id3", "ID3"},
        {"_tfInfoEncodeWith", "LIBMP3LAME", "LIBMP3LAME", "MP3"},
        {"_tfInfoDateMdf", "9/12/26 6:5 AM", "9/12/26 6:5 AM", "9/12/26 6:5 AM"},
        {"_tfInfoId3Tag", "v2", "v2", "V2.3.0"},
        {"_tfInfoWhere", "/music/Best of/-my song.mp3", "/music/Best of/-my song.mp3",
         "/music/Best of/-my song.mp3"},
    };
    auto row = probedRow(path, MTEFileTypeMpeg, key("ID3 V2.3.0"));
    view.setMusicInfo(row);
    view.setDicMetadataInfo(tags);
    const std::pair<std::optional<QVFormatSetting>, bool> modes[] = {
        {mp3, false}, {useSource, false}, {mp3, true}};
    for (int mode = 0; mode < 3; ++mode) {
        view.setOutputFormat(modes[mode].first);
        view.setIsShowOriginalInfo(modes[mode].second);
        view.update();
        for (const Case& c : cases) {
            const char* expected = mode == 0 ? c.output : mode == 1 ? c.useSource : c.original;
            EXPECT_EQ(text(c.outlet), QString::fromUtf8(expected)) << c.outlet << " mode " << mode;
        }
    }
}

// What the conversion writes, by the decision that builds its command line.
TEST_F(FileInfoTab, ChannelsAreThoseTheOutputHolds) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"MP3", 6, "Stereo"}, {"FLAC", 6, "6 channels"}, {"AC3", 8, "6 channels"}};
    for (const auto& [format, channels, shown] : cases) {
        auto row = probedRow(key("/m/a.wav"), MTEFileTypeOther, QString());
        row->mediaInfo->iChanels = channels;
        view.setMusicInfo(row);
        view.setOutputFormat(shippedCatalogue().getFormatWithName(QLatin1String(format)));
        view.update();
        EXPECT_EQ(text("_tfInfoChannels"), QLatin1String(shown)) << format;
    }
}

TEST_F(FileInfoTab, TagVersionWordsOfTheSource) {
    struct Case {
        const char* name;
        int fileType;
        QString version;
        const char* tagFormat;
        const char* tagVersion;
    } cases[] = {
        {"mp4: empty version text", MTEFileTypeM4A, key(""), "", "Unknow"},
        {"mpeg with ID3v2.3", MTEFileTypeMpeg, key("ID3 V2.3.0"), "ID3", "V2.3.0"},
        {"flac", MTEFileTypeMpeg, key("Vorbis Comment"), "VORBIS", "Comment"},
        {"no version text at all", MTEFileTypeOther, QString(), "Unknow", "Unknow"},
    };
    for (const Case& c : cases) {
        view.setMusicInfo(probedRow(key("/m/a.m4a"), c.fileType, c.version));
        view.setIsShowOriginalInfo(true);
        view.update();
        EXPECT_EQ(text("_tfInfoTagFmt"), QLatin1String(c.tagFormat)) << c.name;
        EXPECT_EQ(text("_tfInfoId3Tag"), QLatin1String(c.tagVersion)) << c.name;
    }
}

TEST_F(FileInfoTab, ShowInFolderOpensTheFilesFolder) {
    QList<QUrl> opened;
    Workspace::setOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    view.clickOpenFile(); // no row: nothing
    view.setMusicInfo(makeRow(key("/music/Best of/a b.mp3")));
    view.findChild<QPushButton*>(key("clickOpenFile:"))->click();
    Workspace::setOpener({});
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(key("/music/Best of"))});
}

TEST_F(MetadataEditor, InformationTabShowsTheWorkingCopy) {
    auto row = probedRow(key("/music/x.mp3"), MTEFileTypeMpeg, key("ID3 V2.4.0"));
    row->dicToMetadata.insert(key("APIC"), jpegBytesOf(picture(50, 40)));
    editor->setMusicInfo(row);
    type(field("_tfArtist"), key("Edited Artist"));
    editor->tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabInfo);
    auto* info = editor->fileInfoViewController();
    const QLabel* artwork = info->findChild<QLabel*>(key("_ivInfoArtwork"));
    EXPECT_TRUE(artwork->pixmap().isNull()) << "decoded on the main thread";
    deliverDecodedCovers();
    EXPECT_FALSE(artwork->pixmap().isNull());
    EXPECT_EQ(info->findChild<QLabel*>(key("_tfInfoArtist"))->text(), key("Edited Artist"));
    EXPECT_EQ(info->findChild<QLabel*>(key("_tfInfoKind"))->text(), key("MP3 audio file"));
    EXPECT_EQ(info->geometry(), QRect(0, 0, 375, 355));
}

// ---------------------------------------------------------------------------------------
// The main window's side

struct MetadataFromMainWindow : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        QVAppDelegate::prepareMusicTagMapInfo();
        delegate =
            std::make_unique<QVAppDelegate>(&shippedCatalogue(), std::make_shared<FakePrompts>());
        delegate->awakeFromNib();
    }
    QVMainAppController& controller() { return *delegate->coreMainWndCtlr(); }
    QAction* menuItem() {
        for (QAction* action : delegate->menuItems())
            if (action->objectName() == QLatin1String("clickMetadata:"))
                return action;
        return nullptr;
    }
    // Runs what while the editor's modal loop is running, then closes it.
    void whileEditorOpen(const std::function<void(QVMetadataEditWndCtlr&)>& what) {
        // Owned by the fixture: should the editor never open, the timer goes with the test.
        editorTimer = std::make_unique<QTimer>();
        editorTimer->setSingleShot(true);
        QObject::connect(editorTimer.get(), &QTimer::timeout, [this, what] {
            QVMetadataEditWndCtlr* editor = controller().metadataEditor();
            ASSERT_NE(editor, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([editor] { return editor->isVisible(); }));
            what(*editor);
            if (editor->isVisible())
                editor->clickCancel();
        });
        editorTimer->start(0);
    }

    std::unique_ptr<QVAppDelegate> delegate;
    std::unique_ptr<QTimer> editorTimer;
};

TEST_F(MetadataFromMainWindow, ToolbarAndMenuNeedASelectionOutsideARun) {
    ASSERT_NE(menuItem(), nullptr);
    EXPECT_EQ(menuItem()->text(), QStringLiteral("Edit Metadata…"));
    QAction* tool = controller().metadataAction();
    struct Step {
        const char* name;
        std::function<void()> act;
        bool enabled;
    } steps[] = {
        {"empty list", [] {}, false},
        {"rows, none selected", [&] { controller().fileList().appendMusics(makeRows(3)); }, false},
        {"one selected", [&] { controller().selectRows({1}); }, true},
        {"two selected",
         [&] {
             controller().selectRows({0, 2});
         },
         true},
        {"during a run", [&] { controller().startConvertOperation(); }, false},
        {"after the run", [&] { controller().setConvertOperationFinshed(); }, true},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(tool->isEnabled(), step.enabled) << step.name;
        EXPECT_EQ(menuItem()->isEnabled(), step.enabled) << step.name;
    }
    EXPECT_TRUE(QVMenuHandleCltr::validateUserInterfaceItem(key("clickMetadata:"),
                                                            QVAppStateLoading, 3, 1));
    EXPECT_FALSE(QVMenuHandleCltr::validateUserInterfaceItem(key("clickMetadata:"),
                                                             QVAppStateConverting, 3, 1));
}

TEST_F(MetadataFromMainWindow, OpensForTheFirstSelectedRowOnly) {
    QVMusicList rows = makeRows(4);
    controller().fileList().appendMusics(rows);
    controller().selectRows({1, 3});
    std::shared_ptr<QVMusicInfo> edited;
    whileEditorOpen([&](QVMetadataEditWndCtlr& editor) {
        edited = editor.musicInfo();
        EXPECT_TRUE(editor.isModal());
        EXPECT_EQ(editor.windowTitle(), key("track 01.mp3"));
    });
    controller().metadataAction()->trigger();
    EXPECT_EQ(edited, rows[1]);
    EXPECT_EQ(controller().selectedRows(), std::vector<int>{1});
}

TEST_F(MetadataFromMainWindow, DoubleClickOnARowOpensTheEditor) {
    QVMusicList rows = makeRows(3);
    controller().fileList().appendMusics(rows);
    controller().window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller().window()));
    RMTableView* table = controller().tableView();
    const QRect cell = table->visualRect(controller().fileList().index(2, 0));
    std::shared_ptr<QVMusicInfo> edited;
    whileEditorOpen([&](QVMetadataEditWndCtlr& editor) { edited = editor.musicInfo(); });
    // A double click: the first click selects, the second press opens.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(edited, rows[2]);
}

} // namespace
