#include "ShellTestSupport.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVConvertRun.h"

#include "FakeFfmpeg.h"
#include "MediaFixtures.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Shows the real alert, takes its picture once it is up, then presses its button.
class PhotographedPrompts : public FakePrompts {
public:
    QImage picture;
    QString shownText;

    void showAlert(QWidget* parent, const QString& title, const QString& message,
                   AlertStyle style = AlertStyle::Warning) override {
        FakePrompts::showAlert(parent, title, message, style);
        QTimer::singleShot(100, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownText = box->text();
            picture = box->grab().toImage();
            box->accept();
        });
        QVUserPrompts::showAlert(parent, title, message, style);
    }
};

// Reports a little progress, a second apart, then hangs until it is ended.
QString writeSlowFfmpeg(const QString& folder) {
    const QString path = folder + QStringLiteral("/ffmpeg-slow");
    const QByteArray script =
        "#!/bin/sh\n. '" + FakeFfmpeg::path(QStringLiteral("common.sh")).toUtf8() +
        "'\nprintf 'partial' > \"$out\"\nfor i in 1 2; do\n"
        "  printf 'size=  10kB time=00:00:0%d.00 bitrate= 128.0kbits/s\\r' \"$i\" >&2\n"
        "  sleep 1.1\ndone\nexec sleep 600\n";
    if (!writeFile(path, script))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool saveRender(const QImage& image, const QString& name) {
    return !image.isNull() && image.save(TestEnvironment::renderFolder() + u'/' + name);
}

// More than a handful of colours: a blank or one-colour render is a broken one.
int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

TEST(ConvertRunRender, MainWindowDuringARunAndTheSummaryAlert) {
    TestEnvironment::reset();
    QVAppDelegate::setPreferenceValue();
    Workspace::setOpener([](const QUrl&) { return true; });
    auto prompts = std::make_shared<PhotographedPrompts>();
    QVAppDelegate delegate(&shippedCatalogue(), prompts);
    delegate.awakeFromNib();
    QVMainAppController& controller = *delegate.coreMainWndCtlr();
    controller.window()->show();

    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("render-run"));
    QStringList paths;
    for (int i = 0; i < 6; ++i)
        paths << folder + QStringLiteral("/Track %1.wav").arg(i + 1);
    for (const QString& path : std::as_const(paths))
        ASSERT_TRUE(MediaFixtures::makeSine(path, 3.5, 22050, 1));
    controller.loadAndParseFiles(paths);
    ASSERT_TRUE(waitForIdle(controller));
    prompts->alerts.clear();

    UserDefaults::standardUserDefaults().setObject(QLatin1String(PreferenceKeys::kMaxTastKey), 3);
    const QString fake = writeSlowFfmpeg(TestEnvironment::makeTempFolder(QStringLiteral("tools")));
    ASSERT_FALSE(fake.isEmpty());
    const FakeFfmpeg::Scope slow(fake);
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("render-out"));
    controller.convertRun().setFolderChooser(
        [out](QWidget*, const QVOutputFolderChoice&) -> std::optional<QVOutputFolderChoice> {
            return QVOutputFolderChoice{out, true, false};
        });
    controller.clickStart();
    ASSERT_EQ(controller.enumAppState(), QVAppStateConverting);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.totalProgress()->value() > 0; }, 20000));
    QTest::qWait(QVConvertRun::kRefreshIntervalMs);

    const QImage during = controller.window()->grab().toImage();
    ASSERT_TRUE(saveRender(during, QStringLiteral("shell-main-window-run.png")));
    EXPECT_GT(distinctColours(during), 20);
    EXPECT_EQ(controller.startButton()->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(controller.totalProgress()->isHidden());

    QString summary;
    QObject::connect(&controller.convertRun(), &QVConvertRun::runDidEnd,
                     [&summary](const QString& text) { summary = text; });
    delegate.clickStop(); // the menu's Stop cancels the run
    ASSERT_TRUE(QTest::qWaitFor([&] { return !summary.isEmpty(); }, 30000));
    EXPECT_EQ(prompts->shownText, QStringLiteral("0 files has been successfully converted. "));
    ASSERT_TRUE(saveRender(prompts->picture, QStringLiteral("shell-run-summary.png")));
    EXPECT_GT(distinctColours(prompts->picture), 3);
    Workspace::setOpener({});
}

} // namespace
