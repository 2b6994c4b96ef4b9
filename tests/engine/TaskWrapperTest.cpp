#include "support/FakeFfmpeg.h"
#include "support/TestEnvironment.h"

#include "engine/FFMpegLauncher.h"
#include "engine/FFMpegLauncherDelegate.h"
#include "engine/TaskWrapper.h"
#include "engine/TaskWrapperController.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingController : public TaskWrapperController {
public:
    void appendOutput(const QString& chunk) override {
        if (statuses.empty())
            text += chunk;
        else
            outputAfterExit = true;
    }
    void processStarted() override { ++started; }
    void processFinished() override { ++finished; }
    void processErrorOccurred(const QString& message) override { errors += message; }
    void launcherDidTerminatedWithCode(int status) override {
        statuses.push_back(status);
        loop.quit();
    }

    // Waits for the termination status (or the timeout); true when it came.
    bool waitForExit(int timeoutMs = 20000) {
        if (statuses.empty()) {
            QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return !statuses.empty();
    }

    QString text;
    QStringList errors;
    std::vector<int> statuses;
    int started = 0;
    int finished = 0;
    bool outputAfterExit = false;
    QEventLoop loop;
};

QStringList command(const QString& program, const QString& output) {
    return {program, QStringLiteral("-i"), QStringLiteral("in"), QStringLiteral("-y"),
            QStringLiteral("file:") + output};
}

QString outputIn(const char* hint) {
    return TestEnvironment::makeTempFolder(QString::fromLatin1(hint)) + QStringLiteral("/out.mp3");
}

} // namespace

TEST(TaskWrapper, ReportsStandardErrorTextThenTheStatusOnce) {
    RecordingController controller;
    TaskWrapper task(&controller, command(FakeFfmpeg::path(QStringLiteral("ffmpeg-stderr-only")),
                                          outputIn("stderr")));
    task.startProcess();
    ASSERT_TRUE(controller.waitForExit());
    EXPECT_EQ(controller.statuses, std::vector<int>{0});
    EXPECT_TRUE(controller.text.startsWith(QStringLiteral("stderr line one\n")));
    EXPECT_TRUE(controller.text.contains(QStringLiteral("time=00:00:03.00")));
    EXPECT_TRUE(controller.text.endsWith(QStringLiteral("stderr last line\n")));
    EXPECT_FALSE(controller.outputAfterExit);
    EXPECT_EQ(controller.started, 1);
    EXPECT_TRUE(controller.errors.isEmpty());
}

TEST(TaskWrapper, EndingsAreReportedExactlyOnceWithTheirStatus) {
    struct Case {
        const char* program;
        int status;
        bool logged;
        const char* lastWords;
    };
    const Case cases[] = {
        {"ffmpeg-exit3", 3, false, "Error while encoding\n"},
        {"ffmpeg-crash", TaskWrapper::kCrashedStatus, true, nullptr},
        {"ffmpeg-ok", 0, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        RecordingController controller;
        TaskWrapper task(&controller, command(FakeFfmpeg::path(QString::fromLatin1(c.program)),
                                              outputIn("end")));
        task.startProcess();
        ASSERT_TRUE(controller.waitForExit());
        // Nothing more arrives later.
        QEventLoop settle;
        QTimer::singleShot(200, &settle, &QEventLoop::quit);
        settle.exec();
        EXPECT_EQ(controller.statuses, std::vector<int>{c.status});
        EXPECT_EQ(!controller.errors.isEmpty(), c.logged)
            << controller.errors.join(u'|').toStdString();
        if (c.lastWords) {
            EXPECT_TRUE(controller.text.endsWith(QString::fromLatin1(c.lastWords)));
        }
        EXPECT_FALSE(controller.outputAfterExit);
    }
}

TEST(TaskWrapper, AProgramThatCannotStartIsReportedAsFailed) {
    const QString missing = TestEnvironment::makeTempFolder(QStringLiteral("missing")) +
                            QStringLiteral("/no-such-ffmpeg");
    const QString notExecutable = FakeFfmpeg::path(QStringLiteral("common.sh"));
    for (const QString& program : {missing, notExecutable}) {
        SCOPED_TRACE(program.toStdString());
        RecordingController controller;
        TaskWrapper task(&controller, command(program, outputIn("nostart")));
        task.startProcess();
        ASSERT_TRUE(controller.waitForExit());
        EXPECT_EQ(controller.statuses, std::vector<int>{TaskWrapper::kFailedToStartStatus});
        ASSERT_EQ(controller.errors.size(), 1);
        EXPECT_TRUE(controller.errors.first().contains(program));
    }
}

TEST(TaskWrapper, StopEndsHangingAndTermIgnoringChildren) {
    for (const char* program : {"ffmpeg-hang", "ffmpeg-trap-term"}) {
        SCOPED_TRACE(program);
        RecordingController controller;
        TaskWrapper task(&controller,
                         command(FakeFfmpeg::path(QString::fromLatin1(program)), outputIn("stop")));
        task.setKillGracePeriod(300);
        task.startProcess();
        // Stop once the child has said something, so the shell has set its trap.
        QTimer::singleShot(500, &controller.loop, [&task] { task.stopProcess(); });
        ASSERT_TRUE(controller.waitForExit());
        EXPECT_EQ(controller.statuses, std::vector<int>{TaskWrapper::kCrashedStatus});
        EXPECT_EQ(controller.finished, 1);
        EXPECT_FALSE(task.isRunning());
        task.stopProcess(); // harmless once the child has gone
    }
}

TEST(TaskWrapper, AChildThatClosesItsOutputButKeepsRunningIsEnded) {
    struct Case {
        const char* program;
        int status;
        int stops; // processFinished comes from each stop
    };
    // A child that exits as it closes its output keeps its own status.
    const Case cases[] = {{"ffmpeg-close-output", TaskWrapper::kCrashedStatus, 1},
                          {"ffmpeg-ok", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        RecordingController controller;
        TaskWrapper task(&controller, command(FakeFfmpeg::path(QString::fromLatin1(c.program)),
                                              outputIn("closed")));
        task.setEndOfOutputGracePeriod(100);
        task.setKillGracePeriod(300);
        task.startProcess();
        // The sleeping child would take ten minutes: far beyond this wait.
        ASSERT_TRUE(controller.waitForExit(15000));
        EXPECT_EQ(controller.statuses, std::vector<int>{c.status});
        EXPECT_TRUE(controller.text.contains(QStringLiteral("time=00:00:01.00")));
        EXPECT_EQ(controller.finished, c.stops);
        EXPECT_FALSE(task.isRunning());
    }
}

TEST(TaskWrapper, CharactersSplitBetweenReadsArriveWhole) {
    RecordingController controller;
    TaskWrapper task(&controller, {FakeFfmpeg::path(QStringLiteral("ffmpeg-split-utf8"))});
    task.startProcess();
    ASSERT_TRUE(controller.waitForExit());
    EXPECT_EQ(controller.text, QStringLiteral("Grüße\n"));
}

TEST(TaskWrapper, ArgumentsReachTheChildUntouched) {
    const QString output = outputIn("args");
    const QStringList args{FakeFfmpeg::path(QStringLiteral("ffmpeg-args")),
                           QStringLiteral("-i"),
                           QStringLiteral("a \"b\" 'c' $HOME `x` ; d"),
                           QStringLiteral("-leading"),
                           QStringLiteral("Ünïcödé"),
                           QStringLiteral("file:") + output};
    RecordingController controller;
    TaskWrapper task(&controller, args);
    task.startProcess();
    ASSERT_TRUE(controller.waitForExit());
    QString expected;
    for (const QString& a : args.mid(1))
        expected += u'[' + a + QStringLiteral("]\n");
    EXPECT_EQ(controller.text, expected);
}

namespace {
class StatusDelegate : public FFMpegLauncherDelegate {
public:
    void launcherDidTerminatedWithCode(int status) override { statuses.push_back(status); }
    std::vector<int> statuses;
};
} // namespace

TEST(TaskWrapper, LauncherRunsToTheEndAndReportsTheStatus) {
    struct Case {
        QString program;
        int status;
    };
    const Case cases[] = {
        {FakeFfmpeg::path(QStringLiteral("ffmpeg-exit3")), 3},
        {FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")), 0},
        {TestEnvironment::makeTempFolder(QStringLiteral("nolaunch")) + QStringLiteral("/ffmpeg"),
         TaskWrapper::kFailedToStartStatus},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        const FakeFfmpeg::Scope fake(c.program);
        FFMpegLauncher launcher;
        StatusDelegate delegate;
        launcher.setDelegate(&delegate);
        launcher.setAryArguments(
            {QStringLiteral("-y"), QStringLiteral("file:") + outputIn("launch")});
        launcher.launchFFMpeg();
        EXPECT_EQ(delegate.statuses, std::vector<int>{c.status});
    }
}
