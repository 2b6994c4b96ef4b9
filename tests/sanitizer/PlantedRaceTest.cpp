#include <QProcess>

#include <gtest/gtest.h>

#include <thread>

namespace {

int unguarded = 0;

bool runTrue() {
    QProcess process;
    process.start(QStringLiteral("/bin/true"), {});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

// Conversion jobs start ffmpeg from a pool thread while other threads run. The sanitizer
// must still see a race between threads created after that: this one is planted, and the
// runner expects its report.
TEST(PlantedRace, ReportedOnThreadsCreatedAfterAChildStart) {
    bool childRan = false;
    std::thread starter([&childRan] { childRan = runTrue(); });
    starter.join();
    ASSERT_TRUE(childRan);
    std::thread first([] { ++unguarded; });
    std::thread second([] { ++unguarded; });
    first.join();
    second.join();
}
