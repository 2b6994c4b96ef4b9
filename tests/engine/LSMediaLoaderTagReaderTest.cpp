#include "support/MediaFixtures.h"
#include "support/TestEnvironment.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaLoader.h"
#include "engine/QVMusicInfo.h"
#include "player/player_core.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEFileType.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class CompletionWait : public LSMediaLoaderDelegate {
public:
    void mediaLoaderDidCompleteLoadMediasFailedIndex(std::shared_ptr<LSMediaArray>,
                                                     std::shared_ptr<LSMediaIndexSet>,
                                                     quint64) override {
        std::lock_guard lock(_mutex);
        _done = true;
        _changed.notify_all();
    }
    void wait() {
        std::unique_lock lock(_mutex);
        _changed.wait(lock, [&] { return _done; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _changed;
    bool _done = false;
};

std::shared_ptr<QVMusicInfo> loadedRow(const QString& path) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->mediaInfo = std::make_shared<LSMedia>();
    row->mediaInfo->strMediaFilePath_ = path;
    CompletionWait delegate;
    LSMediaLoader loader;
    loader.setDelegate(&delegate);
    loader.loadMediasWithMediaArray({row});
    delegate.wait();
    return row;
}

} // namespace

// TagLib's MPEG reader would search a WAV named .mp3 end to end for a frame; the loader
// picks the reader from what the probe found, so the file's own tags are read instead.
TEST(LSMediaLoaderTagReader, AFileNamedLikeMp3ThatIsNotIsReadThroughFfmpeg) {
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();
    struct Case {
        const char* name;
        QStringList outputArgs;
        int type;
    };
    const Case cases[] = {
        {"wave.mp3", {QStringLiteral("-f"), QStringLiteral("wav")}, MTEFileTypeOther},
        {"real.mp3", {}, MTEFileTypeMpeg},
    };
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("named"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + u'/' + QLatin1String(c.name);
        std::shared_ptr<QVMusicInfo> row;
        // Child processes start off the main thread (see LSMediaLoaderTest).
        std::thread([&] {
            ASSERT_TRUE(
                MediaFixtures::makeSine(path, 4.0, 44100, 2,
                                        c.outputArgs + QStringList{QStringLiteral("-metadata"),
                                                                   QStringLiteral("title=Named")}));
            row = loadedRow(path);
        }).join();
        ASSERT_TRUE(row);
        ASSERT_EQ(row->mediaInfo->eumErrorCode, LSMediaErrorNone);
        ASSERT_TRUE(row->metHandler);
        EXPECT_EQ(row->metHandler->eumFileType, c.type);
        EXPECT_EQ(row->metHandler->getValueForKey(QStringLiteral("Title")).toString(),
                  QStringLiteral("Named"));
        EXPECT_EQ(row->dicToMetadata, row->metHandler->dicReadInfo);
        // What the probe read goes with the handler, for the tag copy to know ffmpeg's copy.
        ASSERT_TRUE(row->metHandler->ffmpegEntries);
        EXPECT_TRUE(row->metHandler->ffmpegEntries->contains(
            std::pair{QStringLiteral("title"), QStringLiteral("Named")}));
    }
}
