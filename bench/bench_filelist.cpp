// The file list at 10,000 rows: how long a full refresh of the table takes (what the run's
// periodic refresh asks for) and how much memory one row costs without its tags.
// Prints filelist_refresh_ms, filelist_bytes_per_row and the refresh's ratio against a
// plain QStandardItemModel with the same texts, measured in the same run.

#include "engine/LSMedia.h"
#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/UserDefaults.h"
#include "shell/QVFileListModel.h"
#include "shell/QVMainAppController.h"
#include "views/RMTableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kRounds = 50;

QString pathOf(int i) {
    return QStringLiteral("/home/user/Music/Some Artist/Some Album/%1 - A Song Title.flac")
        .arg(i, 5, 10, QLatin1Char('0'));
}

QVMusicList makeRows() {
    QVMusicList rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        auto music = std::make_shared<QVMusicInfo>();
        music->strFilePath = pathOf(i);
        music->mediaInfo = std::make_shared<LSMedia>();
        music->mediaInfo->strMediaFilePath_ = music->strFilePath;
        music->mediaInfo->strOutFileName = QVFileListModel::fileNameWithoutExtension(pathOf(i));
        music->mediaInfo->dMovieDuration = 200.0 + i % 100;
        music->dConvertProgress = double(i % 101);
        rows.push_back(std::move(music));
    }
    return rows;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

void showAndWait(QWidget* window, QTableView* view) {
    window->show();
    view->scrollTo(view->model()->index(kRows / 2, 0));
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
}

// The baseline: a plain table over a standard model, sized like the main window's table.
std::unique_ptr<QTableView> makeBaselineView(QAbstractItemModel* model) {
    auto view = std::make_unique<QTableView>();
    view->setModel(model);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->horizontalHeader()->setStretchLastSection(true);
    view->resize(760, 420);
    showAndWait(view.get(), view.get());
    return view;
}

// Median of the rounds, in milliseconds.
template <typename Refresh> double timeRefresh(QTableView* view, Refresh refresh) {
    std::vector<double> samples;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        refresh();
        view->viewport()->repaint();
        QApplication::processEvents();
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    UserDefaults::standardUserDefaults().setStorageFile(settings.filePath("settings.ini"));

    const size_t before = heapInUse();
    QVFileListModel model;
    model.appendMusics(makeRows());
    const size_t after = heapInUse();
    const double bytesPerRow = double(after - before) / kRows;

    // The main window's own table, its progress cells painted during a run.
    QVMainAppController controller(QVDataEngine::shareInstance());
    controller.fileList().appendMusics(model.musics());
    controller.checkShouldShowDragTips();
    controller.startConvertOperation();
    showAndWait(controller.window(), controller.tableView());
    QVFileListModel& shown = controller.fileList();
    const double refreshMs = timeRefresh(controller.tableView(), [&shown] { shown.reloadData(); });

    QStandardItemModel standard(kRows, 3);
    for (int i = 0; i < kRows; ++i) {
        standard.setData(standard.index(i, 0), QStringLiteral("A Song Title %1").arg(i));
        standard.setData(standard.index(i, 1), QStringLiteral("%1 - A Song Title").arg(i));
        standard.setData(standard.index(i, 2), QString::number(i % 101));
    }
    const auto baseline = makeBaselineView(&standard);
    const double baselineMs = timeRefresh(baseline.get(), [&standard] {
        Q_EMIT standard.dataChanged(standard.index(0, 0), standard.index(kRows - 1, 2));
    });

    std::printf("filelist_rows=%d\n", kRows);
    std::printf("filelist_refresh_ms=%.3f\n", refreshMs);
    std::printf("filelist_refresh_baseline_ms=%.3f\n", baselineMs);
    std::printf("filelist_refresh_vs_standard_model_ratio=%.2f\n", refreshMs / baselineMs);
    std::printf("filelist_bytes_per_row=%.0f\n", bytesPerRow);
    return 0;
}
