#include "ShellTestSupport.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVConvertRun.h"
#include "shell/QVFileInfoViewController.h"
#include "shell/QVMetadataEditWndCtlr.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "views/QVDraggingImageView.h"
#include "views/QVTipsView.h"

#include "MediaFixtures.h"
#include "ViewTestSupport.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

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

QString formatTag(const QJsonObject& probe, const QString& prefix) {
    const QJsonObject tags =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().startsWith(prefix, Qt::CaseInsensitive))
            return it.value().toString();
    }
    return {};
}

bool hasAttachedPicture(const QJsonObject& probe) {
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject disposition =
            stream.toObject().value(QStringLiteral("disposition")).toObject();
        if (disposition.value(QStringLiteral("attached_pic")).toInt() == 1)
            return true;
    }
    return false;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Helper processes start from a thread of their own (see tests/support/tsan.supp).
bool aside(const std::function<bool()>& work) {
    bool ok = false;
    std::thread([&] { ok = work(); }).join();
    return ok;
}

// Lyrics, a comment and a disc number as taggers leave them: ID3v2 frames with a language,
// MP4 items (under a brand of the source's own, told apart from an M4A output's), FLAC fields.
bool makeTaggedSource(const QString& path) {
    const QString kind = QFileInfo(path).suffix();
    QStringList args{key("-metadata"), key("disc=2/3")};
    if (kind != QLatin1String("mp3"))
        args << key("-metadata") << key("lyrics=Old lyrics") << key("-metadata")
             << key("comment=Old comment");
    if (kind == QLatin1String("m4a"))
        args << key("-brand") << key("mp42");
    if (!MediaFixtures::makeSine(path, 3.5, 44100, 2, args))
        return false;
    if (kind != QLatin1String("mp3"))
        return true;
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    auto lyrics = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>();
    lyrics->setLanguage("eng");
    lyrics->setText("Old lyrics");
    auto comment = std::make_unique<TagLib::ID3v2::CommentsFrame>();
    comment->setLanguage("eng");
    comment->setText("Old comment");
    file.ID3v2Tag(true)->addFrame(lyrics.release());
    file.ID3v2Tag()->addFrame(comment.release());
    return file.save();
}

// The values of every format tag spelt as the field, with or without a suffix ("lyrics-eng").
QStringList probedValues(const QJsonObject& probe, const QStringList& spellings) {
    const QJsonObject tags =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    QStringList values;
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        const QString name = it.key().toLower();
        if (std::any_of(spellings.begin(), spellings.end(), [&](const QString& spelling) {
                return name == spelling || name.startsWith(spelling + u'-');
            }))
            values += it.value().toString();
    }
    return values;
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
    enum class Cover { Replace, Remove };
    struct Case {
        const char* name;
        const char* source;
        bool sourceHasCover;
        const char* format;
        Cover cover;
    } cases[] = {
        {"mp3 row to MP3, new cover", "-song 'one'.mp3", false, "MP3", Cover::Replace},
        {"m4a row to AAC, new cover", "song é.m4a", false, "AAC", Cover::Replace},
        {"mp3 row with a cover to MP3, cover removed", "covered.mp3", true, "MP3", Cover::Remove},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = folder + u'/' + QString::fromUtf8(c.source);
        ASSERT_TRUE(aside([&] { return MediaFixtures::makeSine(source, 3.5, 44100, 2); }));
        if (c.sourceHasCover) {
            ASSERT_TRUE(MTETagCopy::handleMetadataSave(
                {{key("TIT2"), key("Old")}, {key("APIC"), makeCover(Qt::red)}}, MTEFileTypeMpeg,
                source));
        }
        const QByteArray sourceBytes = contentsOf(source);
        controller->loadAndParseFiles({source});
        ASSERT_TRUE(waitForIdle(*controller));
        ASSERT_EQ(controller->getMusicCount(), 1)
            << (prompts->alerts.empty() ? std::string()
                                        : prompts->alerts.front().message.toStdString());
        const QString lyrics = QStringLiteral("First line\nSecond line ✓");

        editFirstRow([&](QVMetadataEditWndCtlr& editor) {
            editor.setImageChooser([&](QWidget*, const QStringList&) { return coverFile; });
            typeOver(editor.findChild<QLineEdit*>(key("_tfTitle")), QStringLiteral("Été 85"));
            typeOver(editor.findChild<QLineEdit*>(key("_tfArtist")), key("The Editors"));
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabLyrics);
            auto* lyricsView = editor.findChild<QPlainTextEdit*>(key("_tvLycirs"));
            QTest::keyClicks(lyricsView, key("First line"));
            QTest::keyClick(lyricsView, Qt::Key_Return);
            typeText(lyricsView, QStringLiteral("Second line ✓"));
            editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabArtwork);
            const char* button = c.cover == Cover::Replace ? "_btnAddImg" : "_btnDeleteImg";
            QTest::mouseClick(editor.findChild<QPushButton*>(QLatin1String(button)),
                              Qt::LeftButton);
            QTest::mouseClick(editor.okButton(), Qt::LeftButton);
        });

        const QString output = convert(QLatin1String(c.format));
        ASSERT_FALSE(output.isEmpty());
        const QJsonObject probe = MediaFixtures::probe(output);
        EXPECT_EQ(formatTag(probe, key("title")), QStringLiteral("Été 85"));
        EXPECT_EQ(formatTag(probe, key("artist")), key("The Editors"));
        EXPECT_EQ(formatTag(probe, key("lyrics")), lyrics);
        EXPECT_EQ(hasAttachedPicture(probe), c.cover == Cover::Replace);
        EXPECT_EQ(contentsOf(source), sourceBytes); // the user's file is never written
        controller->clickClear();
    }
}

// Through several editing sessions in one editor window, the real conversion and ffprobe:
// each output holds the chosen lyrics and comment once (no other spelling of ffmpeg's copy
// beside or instead of them), keeps the disc number nobody edits, and no MP4 brands as tags.
TEST_F(EditThenConvert, OutputsHoldOnlyTheChosenValuesAndKeepWhatNobodyEdits) {
    enum Mode { Edited, Cleared, Untouched };
    const struct Pair {
        const char* source;
        const char* format;
    } pairs[] = {{"mp3", "MP3"}, {"m4a", "AAC"},  {"flac", "FLAC"}, {"mp3", "AAC"},
                 {"m4a", "MP3"}, {"flac", "MP3"}, {"mp3", "FLAC"}};
    const QString modeNames[] = {key("edited"), key("cleared"), key("untouched")};
    const QStringList lyrics[] = {{key("New lyrics")}, {}, {key("Old lyrics")}};
    const QStringList comments[] = {{key("New comment")}, {}, {key("Old comment")}};
    const auto edit = [](Mode mode) {
        return [mode](QVMetadataEditWndCtlr& editor) {
            for (const int tab :
                 {QVMetadataEditWndCtlr::kTabTags, QVMetadataEditWndCtlr::kTabLyrics}) {
                const bool lyricsTab = tab == QVMetadataEditWndCtlr::kTabLyrics;
                editor.tabView()->setCurrentIndex(tab);
                auto* text = editor.findChild<QPlainTextEdit*>(lyricsTab ? key("_tvLycirs")
                                                                         : key("_tvComments"));
                QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
                if (mode == Edited)
                    typeText(text, lyricsTab ? key("New lyrics") : key("New comment"));
                else
                    QTest::keyClick(text, Qt::Key_Delete);
            }
            QTest::mouseClick(editor.okButton(), Qt::LeftButton);
        };
    };
    for (const QString& format : {key("MP3"), key("AAC"), key("FLAC")}) {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("pair-sources"));
        std::map<QString, Mode> sources; // file name to what the user does with its row
        for (const Pair& pair : pairs) {
            for (const Mode mode : {Edited, Cleared, Untouched}) {
                const QString name =
                    QStringLiteral("%1-%2.%2").arg(modeNames[mode], QLatin1String(pair.source));
                if (format == QLatin1String(pair.format))
                    sources[name] = mode;
            }
        }
        QStringList paths;
        for (const auto& [name, mode] : sources)
            paths += folder + u'/' + name;
        for (const QString& path : std::as_const(paths))
            ASSERT_TRUE(aside([&] { return makeTaggedSource(path); }));
        controller->loadAndParseFiles(paths);
        ASSERT_TRUE(waitForIdle(*controller));
        ASSERT_EQ(controller->getMusicCount(), paths.size())
            << (prompts->alerts.empty() ? std::string()
                                        : prompts->alerts.front().message.toStdString());
        chooseFormat(format);
        for (int row = 0; row < paths.size(); ++row) {
            const Mode mode =
                sources.at(QFileInfo(controller->fileList().musicAt(row)->strFilePath).fileName());
            if (mode != Untouched)
                editRow(row, edit(mode));
        }
        const QString out = convertAll(format);
        ASSERT_FALSE(out.isEmpty());
        std::map<QString, QString> outputs; // by base name; the run adds a dated folder
        for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            outputs[QFileInfo(path).completeBaseName()] = path;
        }
        const bool mp4 = format == QLatin1String("AAC");
        for (const auto& [name, mode] : sources) {
            SCOPED_TRACE((name + QStringLiteral(" to ") + format).toStdString());
            const QJsonObject probe =
                MediaFixtures::probe(outputs[QFileInfo(name).completeBaseName()]);
            EXPECT_EQ(probedValues(probe, {key("lyrics"), key("uslt"), key("unsyncedlyrics")}),
                      lyrics[mode]);
            EXPECT_EQ(probedValues(probe, {key("comment"), key("description")}), comments[mode]);
            EXPECT_EQ(formatTag(probe, key("disc")), key("2/3"));
            // An M4A output lists its own container's brands; no output carries the source's.
            EXPECT_EQ(formatTag(probe, key("major_brand")), mp4 ? key("M4A ") : QString());
            EXPECT_FALSE(formatTag(probe, key("compatible_brands")).contains(key("mp42")));
        }
        controller->clickClear();
    }
}

// Renders the editor's tabs and the locked state into TestEnvironment::renderFolder().
TEST(MetadataEditorRender, FourTabsAndTheLockedBand) {
    TestEnvironment::reset();
    QVAppDelegate::prepareMusicTagMapInfo();
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("render-source"));
    const QString source = folder + QStringLiteral("/Song of the render.mp3");
    ASSERT_TRUE(aside([&] { return MediaFixtures::makeSine(source, 3.5, 44100, 1); }));
    ASSERT_TRUE(MTETagCopy::handleMetadataSave(
        {{key("TIT2"), key("Render Song")},
         {key("TPE1"), key("The Renderers")},
         {key("TALB"), key("Offscreen")},
         {key("TCON"), key("Ambient")},
         {key("TRCK"), key("3/12")},
         {key("COMM"), key("Drawn without a screen.")},
         {key("USLT"), key("[00:01.00] first line\n[00:02.00] second line")},
         {key("APIC"), makeCover(QColor(30, 90, 200))}},
        MTEFileTypeMpeg, source));
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

    chosen = shippedCatalogue().getFormatWithName(key("WAV"));
    editor.tabView()->setCurrentIndex(QVMetadataEditWndCtlr::kTabTags);
    editor.setMusicInfo(controller.fileList().musicAt(0));
    QTest::qWait(20);
    const QImage locked = renderOf(editor);
    ASSERT_TRUE(locked.save(TestEnvironment::renderFolder() +
                            QStringLiteral("/metadata-editor-locked.png")));
    const QRect band = editor.tipsView()->geometry();
    // The band darkens what is under it and carries red text.
    EXPECT_GT(countPixels(locked, band, QColor(Qt::red), 60), 30);
    const QRect above(0, band.top() - 40, editor.width(), 40);
    const auto meanLightness = [&locked](const QRect& area) {
        qint64 sum = 0, n = 0;
        for (int y = area.top(); y <= area.bottom(); y += 2)
            for (int x = area.left(); x <= area.right(); x += 2, ++n)
                sum += QColor(locked.pixel(x, y)).lightness();
        return n ? sum / n : 0;
    };
    EXPECT_LT(meanLightness(band), meanLightness(above) - 60);
}

} // namespace
