#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaLoader.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "tags/MTEAudioFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// Writes down every callback, in order, and lets the test wait for the completions.
class RecordingDelegate : public LSMediaLoaderDelegate {
public:
    std::function<void(int index)> onStart;

    void mediaLoaderStartLoadMusic(LSMediaLoader*,
                                   const std::shared_ptr<QVMusicInfo>& music) override {
        const int index = indexOf(music);
        record(QStringLiteral("start %1").arg(index));
        {
            std::lock_guard lock(_mutex);
            callbackThreads.push_back(std::this_thread::get_id());
        }
        if (onStart)
            onStart(index);
    }
    void mediaLoaderEndLoadMusic(LSMediaLoader*,
                                 const std::shared_ptr<QVMusicInfo>& music) override {
        record(QStringLiteral("end %1").arg(indexOf(music)));
    }
    void mediaLoaderDidReceiveProgress(LSMediaLoader*, double progress) override {
        record(QStringLiteral("progress %1").arg(progress, 0, 'f', 3));
    }
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray> medias,
                                                     std::shared_ptr<LSMediaIndexSet> failed,
                                                     quint64 runId) override {
        QString text = QStringLiteral("complete run %1").arg(runId);
        if (medias) {
            text += QStringLiteral(" items %1 failed").arg(medias->size());
            for (const int index : *failed)
                text += QStringLiteral(" %1").arg(index);
        } else {
            text += QStringLiteral(" null") + (failed ? QStringLiteral(" set") : QString());
        }
        {
            std::lock_guard lock(_mutex);
            completedMedias = medias;
            ++completions;
        }
        record(text);
        _done.notify_all();
    }

    void setItems(const LSMediaArray& items) { _items = items; }

    // Blocks until the count is reached; the test's own timeout catches a run that never
    // completes. (A timed wait is not seen by ThreadSanitizer with this compiler and would
    // be reported as a race.)
    bool waitForCompletions(int count) {
        std::unique_lock lock(_mutex);
        _done.wait(lock, [&] { return completions >= count; });
        return true;
    }
    QStringList events() {
        std::lock_guard lock(_mutex);
        return _events;
    }

    std::vector<std::thread::id> callbackThreads;
    std::shared_ptr<LSMediaArray> completedMedias;
    int completions = 0;

private:
    int indexOf(const std::shared_ptr<QVMusicInfo>& music) const {
        for (size_t i = 0; i < _items.size(); ++i) {
            if (_items[i] == music)
                return int(i);
        }
        return -1;
    }
    void record(const QString& event) {
        std::lock_guard lock(_mutex);
        _events << event;
    }

    LSMediaArray _items;
    std::mutex _mutex;
    std::condition_variable _done;
    QStringList _events;
};

// Child processes (the fixture maker, touch) are started from a helper thread: a process
// spawned from the main thread leaves ThreadSanitizer blind to the main thread's locking
// afterwards, and every later wait would be reported as a race.
template <typename Work> void offMainThread(Work work) {
    std::thread(work).join();
}

std::shared_ptr<QVMusicInfo> rowFor(const QString& path) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = path;
    return row;
}

class LSMediaLoaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
        ProbeSamples::catalogue();
        ProbeSamples::videoAndAudioMp4();
    }

    static QString missing() { return ProbeSamples::folder() + QStringLiteral("/missing.mp3"); }
    static QString good(int which) { return ProbeSamples::catalogue()[size_t(which)].path; }
};

TEST_F(LSMediaLoaderTest, SecondOfThreeMissing) {
    offMainThread([&] {
        const LSMediaArray items{rowFor(good(0)), rowFor(missing()), rowFor(good(5))};
        RecordingDelegate delegate;
        delegate.setItems(items);
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        const quint64 runId = loader.loadMediasWithMediaArray(items);
        ASSERT_TRUE(delegate.waitForCompletions(1));

        const QStringList expected{"start 0",
                                   "end 0",
                                   "progress 0.333",
                                   "start 1",
                                   "progress 0.667",
                                   "start 2",
                                   "end 2",
                                   "progress 1.000",
                                   QStringLiteral("complete run %1 items 3 failed 1").arg(runId)};
        EXPECT_EQ(delegate.events(), expected);
        ASSERT_TRUE(delegate.completedMedias);
        EXPECT_EQ(*delegate.completedMedias, items);
        for (const std::thread::id& id : delegate.callbackThreads)
            EXPECT_NE(id, std::this_thread::get_id());

        EXPECT_EQ(items[1]->mediaInfo->eumErrorCode, LSMediaErrorOpenFailed);
        EXPECT_TRUE(items[1]->mediaInfo->strLastModified.isEmpty());
        EXPECT_EQ(items[1]->mediaInfo->dFileSize, 0.0);
    });
}

TEST_F(LSMediaLoaderTest, OutputParametersFollowTheProbe) {
    offMainThread([&] {
        const auto row = rowFor(good(0)); // MP3 at 128 kbit/s
        RecordingDelegate delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        loader.loadMediasWithMediaArray({row});
        ASSERT_TRUE(delegate.waitForCompletions(1));
        const LSMedia& media = *row->mediaInfo;
        EXPECT_EQ(media.eumErrorCode, LSMediaErrorNone);
        EXPECT_EQ(media.dABitrate, 128000.0);
        EXPECT_EQ(media.dAOBitrate, 128.0);
        EXPECT_EQ(media.dAOSamplerate, 44100.0);
        EXPECT_EQ(media.iAOChanels, 2);
        // The tags to write start as a copy of what the handler read.
        ASSERT_TRUE(row->metHandler);
        EXPECT_EQ(row->metHandler->eumFileType, MTEFileTypeMpeg);
        EXPECT_EQ(row->dicToMetadata, row->metHandler->dicReadInfo);
    });
}

TEST_F(LSMediaLoaderTest, SizeAndDateText) {
    const QString path =
        TestEnvironment::makeTempFolder(QStringLiteral("dated")) + QStringLiteral("/dated.flac");
    ASSERT_TRUE(QFile::copy(good(5), path));
    struct Case {
        const char* touched;
        const char* shown;
    };
    const std::vector<Case> cases{{"2021-03-05 14:07:09", "5/3/21 14:7 PM"},
                                  {"2019-12-31 00:00:00", "31/12/19 0:0 AM"},
                                  {"2024-11-22 09:45:00", "22/11/24 9:45 AM"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.touched);
        ASSERT_EQ(QProcess::execute(QStringLiteral("touch"),
                                    {QStringLiteral("-d"), QLatin1String(c.touched), path}),
                  0);
        const auto row = rowFor(path);
        offMainThread([&] {
            RecordingDelegate delegate;
            LSMediaLoader loader;
            loader.setDelegate(&delegate);
            loader.loadMediasWithMediaArray({row});
            delegate.waitForCompletions(1);
        });
        EXPECT_EQ(row->mediaInfo->strLastModified, QLatin1String(c.shown));
        EXPECT_EQ(row->mediaInfo->dFileSize, double(QFileInfo(path).size()));
        EXPECT_GT(row->mediaInfo->dFileSize, 1000.0);
    }
}

TEST_F(LSMediaLoaderTest, VideoFileKeepsItsThumbnail) {
    offMainThread([&] {
        const auto row = rowFor(ProbeSamples::videoAndAudioMp4());
        QImage mark(4, 4, QImage::Format_RGB32);
        mark.fill(Qt::red);
        row->mediaInfo->imgThumbnail_ = mark;
        RecordingDelegate delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        loader.loadMediasWithMediaArray({row});
        ASSERT_TRUE(delegate.waitForCompletions(1));
        EXPECT_EQ(row->mediaInfo->eumMediaType, LSMediaTypeVideo);
        EXPECT_EQ(row->mediaInfo->imgThumbnail_, mark);
    });
}

TEST_F(LSMediaLoaderTest, EmptyListCompletesAtOnceOnTheCallersThread) {
    RecordingDelegate delegate;
    LSMediaLoader loader;
    loader.setDelegate(&delegate);
    const quint64 runId = loader.loadMediasWithMediaArray({});
    EXPECT_EQ(delegate.completions, 1); // already, before returning
    EXPECT_EQ(delegate.events(), QStringList{QStringLiteral("complete run %1 null").arg(runId)});
}

TEST_F(LSMediaLoaderTest, PreparationRunsOnTheRunsThreadAndItsItemsLoad) {
    offMainThread([&] {
        const LSMediaArray items{rowFor(good(0)), rowFor(missing())};
        RecordingDelegate delegate;
        delegate.setItems(items);
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        std::thread::id preparedOn;
        const quint64 runId =
            loader.loadMediasWithPreparation([&](const std::function<bool()>& isCanceled) {
                preparedOn = std::this_thread::get_id();
                EXPECT_FALSE(isCanceled());
                return items;
            });
        ASSERT_TRUE(delegate.waitForCompletions(1));
        EXPECT_NE(preparedOn, std::this_thread::get_id());
        EXPECT_EQ(delegate.events(),
                  (QStringList{"start 0", "end 0", "progress 0.500", "start 1", "progress 1.000",
                               QStringLiteral("complete run %1 items 2 failed 1").arg(runId)}));
        ASSERT_TRUE(delegate.completedMedias);
        EXPECT_EQ(*delegate.completedMedias, items);
    });
}

TEST_F(LSMediaLoaderTest, CancelDuringThePreparationEndsTheRunWithoutItems) {
    offMainThread([&] {
        const LSMediaArray items{rowFor(good(0))};
        RecordingDelegate delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        std::mutex mutex;
        std::condition_variable changed;
        bool preparing = false;
        bool canceled = false;
        bool sawCancel = false;
        const quint64 runId =
            loader.loadMediasWithPreparation([&](const std::function<bool()>& isCanceled) {
                std::unique_lock lock(mutex);
                preparing = true;
                changed.notify_all();
                changed.wait(lock, [&] { return canceled; });
                sawCancel = isCanceled();
                return items; // a walk that did not look would still end here
            });
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return preparing; });
            loader.cancel();
            canceled = true;
            changed.notify_all();
        }
        ASSERT_TRUE(delegate.waitForCompletions(1));
        std::lock_guard lock(mutex);
        EXPECT_TRUE(sawCancel);
        EXPECT_EQ(delegate.events(),
                  QStringList{QStringLiteral("complete run %1 null").arg(runId)});
        EXPECT_EQ(items[0]->mediaInfo->dSamplerate, 0.0); // never probed
    });
}

TEST_F(LSMediaLoaderTest, PreparationWithNothingToLoadCompletesWithNull) {
    offMainThread([&] {
        RecordingDelegate delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        const quint64 runId = loader.loadMediasWithPreparation(
            [](const std::function<bool()>&) { return LSMediaArray(); });
        ASSERT_TRUE(delegate.waitForCompletions(1));
        EXPECT_EQ(delegate.events(),
                  QStringList{QStringLiteral("complete run %1 null").arg(runId)});
    });
}

TEST_F(LSMediaLoaderTest, CancelWhileAGoodFileIsProbed) {
    offMainThread([&] {
        const LSMediaArray items{rowFor(good(0)), rowFor(good(1)), rowFor(good(2))};
        RecordingDelegate delegate;
        delegate.setItems(items);
        LSMediaLoader loader;
        delegate.onStart = [&](int index) {
            if (index == 1)
                loader.cancel();
        };
        loader.setDelegate(&delegate);
        const quint64 runId = loader.loadMediasWithMediaArray(items);
        ASSERT_TRUE(delegate.waitForCompletions(1));
        const QStringList expected{"start 0", "end 0", "progress 0.333", "start 1",
                                   QStringLiteral("complete run %1 null").arg(runId)};
        EXPECT_EQ(delegate.events(), expected);
        // The item was probed, but nothing after the probe was done for it.
        EXPECT_EQ(items[1]->mediaInfo->eumErrorCode, LSMediaErrorNone);
        EXPECT_EQ(items[1]->mediaInfo->dAOSamplerate, 0.0);
        EXPECT_EQ(items[2]->mediaInfo->dSamplerate, 0.0);
    });
}

TEST_F(LSMediaLoaderTest, CancelWhileAFailedFileIsProbed) {
    offMainThread([&] {
        const LSMediaArray items{rowFor(good(0)), rowFor(missing()), rowFor(good(2))};
        RecordingDelegate delegate;
        delegate.setItems(items);
        LSMediaLoader loader;
        delegate.onStart = [&](int index) {
            if (index == 1)
                loader.cancel();
        };
        loader.setDelegate(&delegate);
        const quint64 runId = loader.loadMediasWithMediaArray(items);
        ASSERT_TRUE(delegate.waitForCompletions(1));
        const QStringList expected{
            "start 0", "end 0",          "progress 0.333",
            "start 1", "progress 0.667", QStringLiteral("complete run %1 null").arg(runId)};
        EXPECT_EQ(delegate.events(), expected);
    });
}

TEST_F(LSMediaLoaderTest, ARunAfterACancelLoadsAndIsToldApart) {
    offMainThread([&] {
        const LSMediaArray first{rowFor(good(0)), rowFor(good(1))};
        const LSMediaArray second{rowFor(good(3))};
        RecordingDelegate delegate;
        LSMediaLoader loader;
        loader.setDelegate(&delegate);
        delegate.onStart = [&](int) { loader.cancel(); };
        const quint64 firstRun = loader.loadMediasWithMediaArray(first);
        ASSERT_TRUE(delegate.waitForCompletions(1));
        delegate.onStart = nullptr;
        const quint64 secondRun = loader.loadMediasWithMediaArray(second);
        ASSERT_TRUE(delegate.waitForCompletions(2));

        EXPECT_NE(firstRun, secondRun);
        EXPECT_EQ(loader.currentRunId(), secondRun);
        const QStringList events = delegate.events();
        EXPECT_TRUE(events.contains(QStringLiteral("complete run %1 null").arg(firstRun)));
        EXPECT_TRUE(
            events.contains(QStringLiteral("complete run %1 items 1 failed").arg(secondRun)));
        EXPECT_EQ(second[0]->mediaInfo->eumErrorCode, LSMediaErrorNone);
        EXPECT_GT(second[0]->mediaInfo->dAOSamplerate, 0.0);
    });
}

TEST_F(LSMediaLoaderTest, DestroyedMidRunCancelsAndWaits) {
    offMainThread([&] {
        LSMediaArray items;
        for (int i = 0; i < 40; ++i)
            items.push_back(rowFor(good(i % 13)));
        RecordingDelegate delegate;
        {
            LSMediaLoader loader;
            loader.setDelegate(&delegate);
            loader.loadMediasWithMediaArray(items);
            loader.loadMediasWithMediaArray({rowFor(good(1)), rowFor(good(2))});
        }
        // Both threads have ended by now; each completed exactly once.
        EXPECT_EQ(delegate.completions, 2);
        const int countAfter = int(delegate.events().size());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(int(delegate.events().size()), countAfter);
    });
}

} // namespace

namespace {

TEST_F(LSMediaLoaderTest, DelegateMayCancelWhileTheLoaderIsDestroyed) {
    offMainThread([&] {
        LSMediaArray items;
        for (int i = 0; i < 20; ++i)
            items.push_back(rowFor(good(i % 13)));
        RecordingDelegate delegate;
        delegate.setItems(items);
        auto loader = std::make_unique<LSMediaLoader>();
        LSMediaLoader* raw = loader.get();
        delegate.onStart = [raw](int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            raw->cancel();
        };
        loader->setDelegate(&delegate);
        loader->loadMediasWithMediaArray(items);
        loader.reset();
        EXPECT_EQ(delegate.completions, 1);
    });
}

} // namespace
