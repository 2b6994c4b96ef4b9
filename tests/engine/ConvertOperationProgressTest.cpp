#include "ConvertOperationTestSupport.h"

#include "engine/FFMpegProgressParser.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct ParserCase {
    const char* name;
    std::vector<const char*> chunks;
    std::vector<std::optional<double>> expected; // one per chunk
};

} // namespace

TEST(ConvertOperationProgress, ParserReadsOnlyWholeStatusLines) {
    const std::optional<double> none;
    const ParserCase cases[] = {
        {"one whole line",
         {"size=     256kB time=00:00:16.19 bitrate= 129.5kbits/s speed=32.4x    \r"},
         {16.19}},
        {"split inside the time", {"size=  256kB time=00:0", "1:02.50 bitrate=1\r"}, {none, 62.5}},
        {"split before the line end",
         {"size=  1kB time=01:00:00.00 bitrate", "=1\n"},
         {none, 3600.0}},
        {"several lines: the last counts",
         {"size=1kB time=00:00:01.00 x\rsize=2kB time=00:00:02.00 x\rsize=3kB time=00:00"},
         {2.0}},
        {"video status line",
         {"frame=  25 fps=0.0 q=-1.0 size=  1kB time=00:00:03.00 bitrate=\n"},
         {3.0}},
        {"N/A is ignored", {"size=N/A time=N/A bitrate=N/A speed=N/A\r"}, {none}},
        {"negative time is ignored",
         {"size=       0kB time=-00:00:00.02 bitrate=N/A speed=N/A\r"},
         {none}},
        {"time= inside a file name is ignored",
         {"Input #0, wav, from 'size= time=00:00:59.00.wav':\n"},
         {none}},
        {"time= glued to another word is ignored", {"size=1kB out_time=00:00:09.00 x\n"}, {none}},
        {"hours beyond 99", {"size=1kB time=100:00:01.00 x\n"}, {360001.0}},
    };
    for (const ParserCase& c : cases) {
        SCOPED_TRACE(c.name);
        FFMpegProgressParser parser;
        ASSERT_EQ(c.chunks.size(), c.expected.size());
        for (size_t i = 0; i < c.chunks.size(); ++i) {
            const std::optional<double> got = parser.appendOutput(QString::fromUtf8(c.chunks[i]));
            ASSERT_EQ(got.has_value(), c.expected[i].has_value()) << "chunk " << i;
            if (got) {
                EXPECT_DOUBLE_EQ(*got, *c.expected[i]);
            }
        }
    }
}

TEST(ConvertOperationProgress, ParserSurvivesALineThatNeverEnds) {
    FFMpegProgressParser parser;
    const QString junk(100000, u'x');
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(parser.appendOutput(junk).has_value());
    const auto time = parser.appendOutput(u"\rsize=1kB time=00:00:05.00 x\r");
    ASSERT_TRUE(time.has_value());
    EXPECT_DOUBLE_EQ(*time, 5.0);
}

namespace {

std::shared_ptr<ConvertOperation> jobWithClock(double trimLength, std::vector<double> clockTimes) {
    auto row = makeRow(QStringLiteral("/nowhere/a.wav"), QStringLiteral("mp3"),
                       QStringLiteral("libmp3lame"), trimLength);
    auto op = ConvertOperation::initWithMedia(row);
    auto index = std::make_shared<size_t>(0);
    op->setClock([clockTimes, index] { return clockTimes.at((*index)++); });
    return op;
}

QString statusLine(const char* time) {
    return QStringLiteral("size=   1kB time=%1 bitrate= 1kbits/s\r").arg(QLatin1String(time));
}

} // namespace

TEST(ConvertOperationProgress, TimeLeftFollowsTheWallClock) {
    // Clock: start 10, then one value per status line.
    auto op = jobWithClock(100.0, {10.0, 11.0, 11.5, 13.0});
    RecordingDelegate delegate;
    op->setDelegate(&delegate);
    LSMedia& m = *op->musicToConvert()->mediaInfo;
    EXPECT_DOUBLE_EQ(m.dLeftTime.load(), 1000.0);

    op->processStarted();
    op->appendOutput(statusLine("00:00:01.00")); // 1 % after 1 s: 99 s left
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 1.0);
    EXPECT_DOUBLE_EQ(m.dLeftTime.load(), 99.0);

    op->appendOutput(statusLine("00:00:01.00")); // half a second later, no progress
    EXPECT_DOUBLE_EQ(m.dLeftTime.load(), 99.0);

    op->appendOutput(statusLine("00:00:05.00")); // 4 % more in 2 s: 2 % a second
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 5.0);
    EXPECT_DOUBLE_EQ(m.dLeftTime.load(), 47.5);

    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(delegate.count(RecordingDelegate::Start), 1);
    EXPECT_EQ(delegate.progress, (std::vector<double>{1.0, 5.0}));
    EXPECT_TRUE(delegate.allOnMainThread);
}

TEST(ConvertOperationProgress, ProgressIsClampedAndNeverFalls) {
    auto op = jobWithClock(10.0, {0.0, 2.0, 4.0, 6.0, 8.0});
    RecordingDelegate delegate;
    op->setDelegate(&delegate);
    LSMedia& m = *op->musicToConvert()->mediaInfo;
    op->processStarted();

    op->appendOutput(statusLine("00:00:05.00"));
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 50.0);
    op->appendOutput(statusLine("00:00:02.00")); // going back is ignored
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 50.0);
    op->appendOutput(statusLine("00:00:30.00")); // past the end
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 100.0);
    EXPECT_GE(m.dLeftTime.load(), 0.0);
    op->appendOutput(QStringLiteral("size=N/A time=N/A bitrate=N/A\r"));
    EXPECT_DOUBLE_EQ(m.dProgress.load(), 100.0);

    QCoreApplication::sendPostedEvents();
    for (size_t i = 1; i < delegate.progress.size(); ++i)
        EXPECT_GE(delegate.progress[i], delegate.progress[i - 1]);
    for (double p : delegate.progress) {
        EXPECT_GE(p, 0.0);
        EXPECT_LE(p, 100.0);
    }
}

TEST(ConvertOperationProgress, UnknownLengthGivesNoProgress) {
    auto op = jobWithClock(0.0, {0.0, 5.0});
    op->processStarted();
    op->appendOutput(statusLine("00:00:05.00"));
    EXPECT_DOUBLE_EQ(op->musicToConvert()->mediaInfo->dProgress.load(), 0.0);
}
