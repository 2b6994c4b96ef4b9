#include "views/QVItemStateView.h"
#include "engine/QVMusicInfo.h"
#include "platform/NotificationCenter.h"
#include "tags/MTEAudioFile.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {
std::shared_ptr<QVMusicInfo> makeRow(const QString& path, double duration, const QString& title,
                                     const QString& artist) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->strMusicType = QStringLiteral("MP3");
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = path;
    row->mediaInfo->dMovieDuration = duration;
    auto tags = std::make_shared<MTEAudioFile>();
    tags->dicMap = {{QStringLiteral("Title"), QStringLiteral("TIT2")},
                    {QStringLiteral("Artist"), QStringLiteral("TPE1")}};
    if (!title.isEmpty())
        tags->dicReadInfo.insert(QStringLiteral("TIT2"), title);
    if (!artist.isEmpty())
        tags->dicReadInfo.insert(QStringLiteral("TPE1"), artist);
    row->metHandler = tags;
    return row;
}

QVariantMap playerInfo(const std::shared_ptr<QVMusicInfo>& row, double seconds) {
    return {{QString::fromLatin1(Notifications::kMusicInfoKey), QVariant::fromValue(row)},
            {QString::fromLatin1(Notifications::kProgressInfoKey), seconds}};
}

void post(const char* name, const QVariantMap& info) {
    NotificationCenter::defaultCenter().postNotification(QString::fromLatin1(name), info);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
} // namespace

TEST(QVItemStateView, EachStateShowsItsOwnParts) {
    struct Case {
        int state;
        bool name, playTime, musicTime, progress;
        int barX;
    } cases[] = {
        {QVAppStateIdle, false, false, false, false, 48},
        {QVAppStateConverting, true, false, false, true, 8},
        {QVAppStatePlaying, true, true, true, true, 48},
    };
    for (const Case& c : cases) {
        QVItemStateView view;
        view.resize(300, 44);
        view.updateForAppState(c.state, makeRow(QStringLiteral("/m/a.mp3"), 10, {}, {}));
        EXPECT_EQ(view.appType(), c.state);
        EXPECT_EQ(!view.tfName()->isHidden(), c.name) << c.state;
        EXPECT_EQ(!view.tfPlayTime()->isHidden(), c.playTime) << c.state;
        EXPECT_EQ(!view.tfMusicTime()->isHidden(), c.musicTime) << c.state;
        EXPECT_EQ(!view.priProgress()->isHidden(), c.progress) << c.state;
        EXPECT_EQ(view.priProgress()->x(), c.barX) << c.state;
        EXPECT_EQ(view.priProgress()->width(), c.state == QVAppStateConverting ? 284 : 175);
    }
}

TEST(QVItemStateView, LoadingKeepsTheCurrentLook) {
    QVItemStateView view;
    view.updateForAppState(QVAppStateConverting);
    view.updateForAppState(QVAppStateLoading);
    EXPECT_FALSE(view.priProgress()->isHidden());
    EXPECT_EQ(view.tfName()->text(), QStringLiteral("Converting..."));
}

TEST(QVItemStateView, PlayingLookNamesTheTrackAndItsLength) {
    struct Case {
        QString title, artist, expected;
    } cases[] = {{QStringLiteral("Song"), QStringLiteral("Band"), QStringLiteral("Song - Band")},
                 {QString(), QStringLiteral("Band"), QStringLiteral("my track - Band")},
                 {QStringLiteral("Song"), QString(), QStringLiteral("Song")}};
    for (const Case& c : cases) {
        QVItemStateView view;
        view.updateForAppState(QVAppStatePlaying,
                               makeRow(QStringLiteral("/m/my track.flac"), 65, c.title, c.artist));
        EXPECT_EQ(view.tfName()->text(), c.expected);
        EXPECT_EQ(view.tfMusicTime()->text(), QStringLiteral("-1:05"));
        EXPECT_EQ(view.tfPlayTime()->text(), QStringLiteral("00:00"));
    }
}

TEST(QVItemStateView, FollowsOnlyTheRowItShows) {
    QVItemStateView view;
    const auto shown = makeRow(QStringLiteral("/m/a.mp3"), 100, {}, {});
    const auto other = makeRow(QStringLiteral("/m/b.mp3"), 100, {}, {});
    // Showing no row: every notification is ignored.
    post(Notifications::kPlayStart, playerInfo(shown, 0));
    EXPECT_TRUE(view.priProgress()->isHidden());

    view.updateForAppState(QVAppStatePlaying, shown);
    post(Notifications::kPlayProgress, playerInfo(other, 50));
    EXPECT_EQ(view.priProgress()->value(), 0);
    EXPECT_EQ(view.tfPlayTime()->text(), QStringLiteral("00:00"));

    // A copy of the shown row counts as the same track.
    post(Notifications::kPlayProgress, playerInfo(shown->copy(), 25));
    EXPECT_EQ(view.priProgress()->value(), 25);
    EXPECT_EQ(view.tfPlayTime()->text(), QStringLiteral("00:25"));
    EXPECT_EQ(view.tfMusicTime()->text(), QStringLiteral("- 1:15"));

    post(Notifications::kPlayStart, playerInfo(shown, 0));
    EXPECT_EQ(view.priProgress()->value(), 0);
}

TEST(QVItemStateView, ProgressFromAnotherThreadArrivesOnTheMainThread) {
    QVItemStateView view;
    const auto shown = makeRow(QStringLiteral("/m/a.mp3"), 100, {}, {});
    view.updateForAppState(QVAppStatePlaying, shown);
    std::thread player([&] {
        NotificationCenter::defaultCenter().postNotification(
            QString::fromLatin1(Notifications::kPlayProgress), playerInfo(shown, 40));
    });
    player.join();
    EXPECT_EQ(view.priProgress()->value(), 0) << "nothing applied before the main loop runs";
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.priProgress()->value(), 40);
}

TEST(QVItemStateView, OddDurationsAndTimesStayInRange) {
    struct Case {
        double duration, played;
        int percent;
        const char* remaining;
    } cases[] = {
        {0.0, 12.0, 0, "- 00:00"}, {10.0, 30.0, 100, "- 00:00"}, {10.0, -5.0, 0, "- 00:10"}};
    for (const Case& c : cases) {
        QVItemStateView view;
        view.updateForAppState(QVAppStatePlaying,
                               makeRow(QStringLiteral("/m/a.mp3"), c.duration, {}, {}));
        view.updateUiInMainThread(c.played);
        EXPECT_EQ(view.priProgress()->value(), c.percent) << c.duration << " " << c.played;
        EXPECT_EQ(view.tfMusicTime()->text(), QString::fromLatin1(c.remaining));
    }
}

TEST(QVItemStateView, ConverterProgressOnlyMovesAVisibleBarForward) {
    QVItemStateView view;
    view.updateConverterProgress(30); // idle: the bar is hidden
    QCoreApplication::processEvents();
    EXPECT_EQ(view.priProgress()->value(), 0);

    view.updateForAppState(QVAppStateConverting);
    view.updateConverterProgress(60);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.priProgress()->value(), 60);
    view.updateConverterProgress(40);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.priProgress()->value(), 60);
}

TEST(QVItemStateView, IdleLookShowsTheSlogan) {
    QVItemStateView view;
    view.resize(300, 44);
    EXPECT_FALSE(view.imgSlogn().isNull());
    const QImage idle = view.grab().toImage();
    view.updateForAppState(QVAppStateConverting);
    view.tfName()->hide();
    view.priProgress()->hide();
    const QImage converting = view.grab().toImage();
    int darker = 0;
    for (int x = 0; x < idle.width(); ++x)
        if (idle.pixelColor(x, 22).lightness() < converting.pixelColor(x, 22).lightness() - 40)
            ++darker;
    EXPECT_GT(darker, 10) << "the slogan's ink appears only in the idle look";
}
