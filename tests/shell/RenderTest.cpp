#include "ShellTestSupport.h"
#include "ViewTestSupport.h"

#include "shell/QVAppDelegate.h"
#include "shell/QVLoadingSheet.h"
#include "shell/QVSettingSheet.h"

#include <QImage>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

// Renders the windows a user sees into TestEnvironment::renderFolder() for a look.
bool render(QWidget* widget, const QString& name) {
    widget->show();
    QTest::qWait(20);
    const QImage image = widget->grab().toImage();
    return !image.isNull() && image.save(TestEnvironment::renderFolder() + QLatin1Char('/') + name);
}

// The two most frequent colours must differ: a blank render is a broken one.
bool hasContent(const QString& name) {
    const QImage image(TestEnvironment::renderFolder() + QLatin1Char('/') + name);
    if (image.isNull())
        return false;
    const QRgb first = image.pixel(image.width() / 2, image.height() / 2);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first)
                return true;
        }
    }
    return false;
}

TEST(Render, MainWindowEmptyWithRowsAndTheSettingSheet) {
    TestEnvironment::reset();
    QVAppDelegate delegate(&shippedCatalogue(), std::make_shared<FakePrompts>());
    delegate.awakeFromNib();
    QVMainAppController& controller = *delegate.coreMainWndCtlr();
    ASSERT_TRUE(render(controller.window(), QStringLiteral("shell-main-window-empty.png")));
    EXPECT_TRUE(hasContent(QStringLiteral("shell-main-window-empty.png")));

    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("render"));
    QVMusicList rows = makeRows(20, folder);
    for (const auto& row : rows)
        writeFile(row->strFilePath, QByteArray(3 * 1048576 + 1234, 'x'));
    controller.fileList().appendMusics(rows);
    controller.checkShouldShowDragTips();
    controller.enableDownOperationButtons(true);
    controller.updateDownTotalFileInfos();
    controller.selectRows({3});
    ASSERT_TRUE(render(controller.window(), QStringLiteral("shell-main-window-rows.png")));
    EXPECT_TRUE(hasContent(QStringLiteral("shell-main-window-rows.png")));
    EXPECT_TRUE(controller.tipsLabel()->text().startsWith(QStringLiteral("20 files, 1.1 hours")));

    controller.startConvertOperation();
    for (int i = 0; i < 20; ++i)
        rows[size_t(i)]->dConvertProgress = i < 6 ? 100.0 : (i < 9 ? 15.0 * (i - 5) : -1.0);
    controller.totalProgress()->setValue(35);
    controller.fileList().reloadData();
    ASSERT_TRUE(render(controller.window(), QStringLiteral("shell-main-window-converting.png")));
    controller.setConvertOperationFinshed();

    QVLoadingSheet* sheet = controller.loadingSheet();
    sheet->setLabelText(QStringLiteral("Importing 07 - A rather long song title (live).flac..."));
    sheet->setProgress(0.4);
    ASSERT_TRUE(render(sheet, QStringLiteral("shell-loading-sheet.png")));
    EXPECT_TRUE(hasContent(QStringLiteral("shell-loading-sheet.png")));
    sheet->hide();

    delegate.applicationDidFinishLaunching();
    for (QMenu* menu : controller.window()->menuBar()->findChildren<QMenu*>()) {
        if (menu->title().isEmpty())
            continue;
        const QString name = QStringLiteral("shell-menu-%1.png").arg(menu->title().remove('&'));
        menu->adjustSize();
        EXPECT_TRUE(menu->grab().save(TestEnvironment::renderFolder() + QLatin1Char('/') + name));
    }

    controller.clickSetting();
    ASSERT_TRUE(render(controller.settingSheet(), QStringLiteral("shell-setting-sheet.png")));
    EXPECT_TRUE(hasContent(QStringLiteral("shell-setting-sheet.png")));
    controller.clickOK();
}

// What the user could not read or reach in the main window at its present size: the bottom
// bar's controls, the table and every toolbar item.
QStringList mainWindowFaults(QVMainAppController& controller) {
    QMainWindow* window = controller.window();
    auto* bar = window->findChild<QWidget*>(QStringLiteral("operationPanel"));
    QList<QWidget*> controls = bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    controls << bar << controller.tableView();
    QStringList faults;
    for (QAction* action : controller.toolBar()->actions()) {
        QWidget* item = controller.toolBar()->widgetForAction(action);
        if (!item || !item->isVisibleTo(window))
            faults << QStringLiteral("toolbar item \"%1\" is hidden").arg(action->text());
        controls << item;
    }
    return faults + layoutFaults(window, controls);
}

TEST(Render, MainWindowShowsEveryTextWholeAtEverySizeItAllows) {
    TestEnvironment::reset();
    static QVDataEngine noFormats{QVariantMap()};
    struct Case {
        const char* name;
        QVDataEngine& catalogue;
        const char* summary; // as a long list gives it; null: as the window has it
        bool converting;
        double fontScale;
    };
    const Case cases[] = {
        {"empty", shippedCatalogue(), nullptr, false, 1.0},
        {"long-summary", shippedCatalogue(), "12345 files, 1234.5 hours, 123456.7 MB", false, 1.0},
        {"converting", shippedCatalogue(), nullptr, true, 1.0},
        {"no-formats", noFormats, nullptr, false, 1.0},
        {"large-font", noFormats, nullptr, false, 1.6},
    };
    // (1, 1) asks for the smallest size the window allows.
    const QSize sizes[] = {{1, 1}, {1, 520}, {640, 1}, {760, 520}, {1400, 900}};
    for (const Case& c : cases) {
        QVMainAppController controller(c.catalogue, std::make_shared<FakePrompts>());
        QMainWindow* window = controller.window();
        QFont font = window->font();
        font.setPointSizeF(font.pointSizeF() * c.fontScale);
        window->setFont(font);
        if (c.summary)
            controller.tipsLabel()->setText(QLatin1String(c.summary));
        if (c.converting)
            controller.startConvertOperation();
        window->show();
        for (const QSize& size : sizes) {
            window->resize(size);
            QTest::qWait(10);
            window->layout()->activate();
            SCOPED_TRACE(testing::Message()
                         << c.name << " at " << window->width() << "x" << window->height());
            EXPECT_EQ(mainWindowFaults(controller), QStringList());
            const QString picture = QStringLiteral("shell-main-window-minimum-%1.png");
            if (size == QSize(1, 1)) {
                ASSERT_TRUE(render(window, picture.arg(QLatin1String(c.name))));
            }
        }
    }
}

} // namespace
