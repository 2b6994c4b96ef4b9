#pragma once

#include "engine/LSMedia.h"
#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/PropertyList.h"
#include "shell/QVMainAppController.h"
#include "shell/QVUserPrompts.h"
#include "tags/MTEAudioFile.h"
#include "views/RMTableView.h"
#include "views/VTDropInTipsView_Before.h"

#include "TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <memory>

// Answers the main window's dialogs without a screen and remembers what was shown.
class FakePrompts : public QVUserPrompts {
public:
    struct Alert {
        QString title;
        QString message;
        AlertStyle style;
    };
    std::vector<Alert> alerts;
    int closeQuestions = 0;
    bool closeAnswer = false;
    QStringList filesToAdd;
    QStringList offeredExtensions;

    void showAlert(QWidget*, const QString& title, const QString& message,
                   AlertStyle style = AlertStyle::Warning) override {
        alerts.push_back({title, message, style});
    }
    bool confirmClose(QWidget*) override {
        ++closeQuestions;
        return closeAnswer;
    }
    QStringList chooseFilesToAdd(QWidget*, const QStringList& extensions) override {
        offeredExtensions = extensions;
        return filesToAdd;
    }
};

inline QVDataEngine& shippedCatalogue() {
    static QVDataEngine catalogue(PropertyList::dictionaryWithContentsOfFile(
        QStringLiteral(QUAVERLY_RESOURCE_DIR) + QStringLiteral("/Formats.plist")));
    return catalogue;
}

// A row as the loader leaves it: a media description with a duration and, optionally, tags.
inline std::shared_ptr<QVMusicInfo> makeRow(const QString& path, double seconds = 0.0,
                                            const QString& title = {}, const QString& artist = {}) {
    auto music = std::make_shared<QVMusicInfo>();
    music->strFilePath = path;
    music->mediaInfo = std::make_shared<LSMedia>();
    music->mediaInfo->strMediaFilePath_ = path;
    music->mediaInfo->strOutFileName = QVFileListModel::fileNameWithoutExtension(path);
    music->mediaInfo->dMovieDuration = seconds;
    if (!title.isEmpty() || !artist.isEmpty()) {
        auto tags = std::make_shared<MTEAudioFile>();
        tags->dicMap = {{QStringLiteral("Title"), QStringLiteral("TIT2")},
                        {QStringLiteral("Artist"), QStringLiteral("TPE1")}};
        tags->dicReadInfo = {{QStringLiteral("TIT2"), title}, {QStringLiteral("TPE1"), artist}};
        music->metHandler = tags;
    }
    return music;
}

inline QVMusicList makeRows(int count, const QString& folder = {}) {
    QVMusicList rows;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("track %1.mp3").arg(i, 2, 10, QLatin1Char('0'));
        rows.push_back(makeRow(folder.isEmpty() ? QStringLiteral("/nonexistent/") + name
                                                : folder + QLatin1Char('/') + name,
                               180.0 + i, QStringLiteral("Song %1").arg(i),
                               i % 3 == 0 ? QString() : QStringLiteral("Artist %1").arg(i % 4)));
    }
    return rows;
}

inline bool writeFile(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Waits (bounded) until the current load has ended.
inline bool waitForIdle(const QVMainAppController& controller, int timeoutMs = 30000) {
    return QTest::qWaitFor([&] { return controller.enumAppState() == QVAppStateIdle; }, timeoutMs);
}

// Types text into a widget key by key, as a user would; characters beyond ASCII arrive as
// key presses carrying their text, as an input method delivers them.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
