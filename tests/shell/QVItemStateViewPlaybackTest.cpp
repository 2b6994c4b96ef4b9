#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "engine/LSMedia.h"
#include "engine/QVAudioPlayer.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"
#include "views/QVItemStateView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

// A preview started through the player shows in the main window's state strip.
TEST(QVItemStateViewPlayback, FollowsAPlayStartedThroughThePlayer) {
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();
    const QString path = ProbeSamples::folder() + QStringLiteral("/strip-6s.wav");
    if (!QFile::exists(path)) {
        ASSERT_TRUE(MediaFixtures::makeSine(path, 6.0));
    }
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->strMusicName = QStringLiteral("strip-6s.wav");
    row->strMusicType = QStringLiteral("MP3");
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->dMovieDuration = 6.0;

    QVItemStateView view;
    view.resize(300, 44);
    view.updateForAppState(QVAppStatePlaying, row);
    view.show();

    QVAudioPlayer& player = QVAudioPlayer::shareAudioPlayer();
    player.setPlayingMusic(row);
    player.play();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && view.priProgress()->value() < 30) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    const QImage picture = view.grab().toImage();
    picture.save(TestEnvironment::renderFolder() + QStringLiteral("/state-strip-playing.png"));
    player.stop();

    EXPECT_GE(view.priProgress()->value(), 30);
    // Played past 1.8 s of 6: the clock and the time left moved on from the start.
    EXPECT_EQ(view.tfName()->text(), QStringLiteral("strip-6s"));
    EXPECT_NE(view.tfPlayTime()->text(), QStringLiteral("00:00"));
    EXPECT_NE(view.tfMusicTime()->text(), QStringLiteral("- 00:06"));
    EXPECT_FALSE(picture.isNull());
}
