#include "TagTestData.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"

#include <gtest/gtest.h>

#include <thread>

using namespace TagTestData;

namespace {

struct ThreadResult {
    int mismatches = 0;
    int failedWrites = 0;
};

// Writes and reads back its own file a few times, as a conversion job and the loader do.
ThreadResult writeAndReadBack(const QString& path, int thread) {
    ThreadResult result;
    MTEAudioCreator& creator = MTEAudioCreator::sharedMTEAudioCreator();
    for (int round = 0; round < 4; ++round) {
        const QString title = QStringLiteral("thread %1 round %2 ü").arg(thread).arg(round);
        const QVariantMap tags{{QStringLiteral("TIT2"), title},
                               {QStringLiteral("TRCK"), QStringLiteral("%1/9").arg(round + 1)},
                               {QStringLiteral("APIC"), makeCover(40 + thread, 30 + round)}};
        const auto source = creator.creatFileWithPathShouldDump(path, true);
        if (!source) {
            ++result.failedWrites;
            continue;
        }
        const QVariantMap converted =
            MTETagCopy::convertMetadataFromTypeToType(tags, MTEFileTypeMpeg, source->eumFileType);
        if (MTETagCopy::handleMetadataSave(converted, source->eumFileType, path) !=
            MTETagWriteResult::Written)
            ++result.failedWrites;
        const auto reread = creator.creatFileWithPathShouldDump(path, true);
        if (!reread || reread->getValueForKey(QStringLiteral("Title")).toString() != title ||
            coverImage(*reread).size() != QSize(40 + thread, 30 + round))
            ++result.mismatches;
    }
    return result;
}

} // namespace

TEST(TagThreads, FourThreadsWriteAndReadDistinctFilesAtOnce) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("threads"));
    const QStringList names{QStringLiteral("one.mp3"), QStringLiteral("two.m4a"),
                            QStringLiteral("three.flac"), QStringLiteral("four.mp3")};
    QStringList paths;
    for (const QString& name : names) {
        paths << folder + u'/' + name;
        ASSERT_TRUE(MediaFixtures::makeSine(paths.back(), 1.0));
    }
    std::vector<ThreadResult> results(paths.size());
    std::vector<std::thread> threads;
    for (int i = 0; i < paths.size(); ++i)
        threads.emplace_back([&, i] { results[i] = writeAndReadBack(paths[i], i); });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(results[i].failedWrites, 0) << qPrintable(names[i]);
        EXPECT_EQ(results[i].mismatches, 0) << qPrintable(names[i]);
    }
}
