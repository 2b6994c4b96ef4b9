#include "ShellTestSupport.h"

#include "platform/SystemBeep.h"
#include "views/BDDiscreteProgressCell.h"

#include <QLabel>
#include <QMimeData>
#include <QTableView>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

namespace {

struct ControllerFixture : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        prompts = std::make_shared<FakePrompts>();
        controller = std::make_unique<QVMainAppController>(shippedCatalogue(), prompts);
    }
    void addRows(int count, const QString& folder = {}) {
        controller->fileList().appendMusics(makeRows(count, folder));
        controller->checkShouldShowDragTips();
    }
    QStringList names() const {
        QStringList out;
        for (const auto& music : controller->fileList().musics())
            out << QFileInfo(music->strFilePath).completeBaseName();
        return out;
    }
    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<QVMainAppController> controller;
};

struct DeleteCase {
    const char* name;
    int count;
    std::vector<int> selected;
    std::vector<int> deleted;
    int expectedSelection; // new index; -1 none
    QString expectedSelectedName;
    int expectedCount;
};

void PrintTo(const DeleteCase& c, std::ostream* os) {
    *os << c.name;
}

class DeleteRules : public ControllerFixture, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteRules, RemovesRowsAndSelectsTheNeighbour) {
    const DeleteCase& c = GetParam();
    addRows(c.count);
    controller->selectRows(c.selected);
    controller->deleteIndexes(c.deleted);
    EXPECT_EQ(controller->getMusicCount(), c.expectedCount);
    const std::vector<int> selection = controller->selectedRows();
    if (c.expectedSelection < 0) {
        EXPECT_TRUE(selection.empty());
    } else {
        ASSERT_EQ(selection, std::vector<int>{c.expectedSelection});
        EXPECT_EQ(names().at(c.expectedSelection), c.expectedSelectedName);
    }
    EXPECT_EQ(controller->dropInTipsView()->isVisibleTo(controller->window()),
              c.expectedCount == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeleteRules,
    ::testing::Values(
        // Deleting rows 2 to 4 of 10 selects the row formerly at 5.
        DeleteCase{"MiddleRowsSelectTheRowAfter",
                   10,
                   {2, 3, 4},
                   {2, 3, 4},
                   2,
                   QStringLiteral("track 05"),
                   7},
        // The last rows: the row before the first deleted one.
        DeleteCase{
            "LastRowsSelectTheRowBefore", 5, {3, 4}, {3, 4}, 2, QStringLiteral("track 02"), 3},
        // First and last of three: the remaining row.
        DeleteCase{
            "FirstAndLastLeaveTheMiddle", 3, {0, 2}, {0, 2}, 0, QStringLiteral("track 01"), 1},
        // Everything: no selection, the drop area is back.
        DeleteCase{"EveryRowShowsTheDropArea", 4, {}, {0, 1, 2, 3}, -1, QString(), 0},
        // Out-of-range indexes are ignored; the valid one follows the rules.
        DeleteCase{
            "OutOfRangeIndexesAreIgnored", 5, {1}, {1, 99, -3}, 1, QStringLiteral("track 02"), 4},
        // Only out-of-range indexes: nothing happens.
        DeleteCase{"OnlyOutOfRangeIndexesChangeNothing",
                   5,
                   {2},
                   {-1, 5, 7},
                   2,
                   QStringLiteral("track 02"),
                   5},
        // Unordered with repeats.
        DeleteCase{
            "UnorderedRepeatsCountOnce", 6, {}, {4, 1, 4}, 3, QStringLiteral("track 05"), 4}),
    [](const ::testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

struct MoveCase {
    int count;
    std::vector<int> selected;
    int direction;
    int expected;
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.count << " rows, move " << c.direction << " to row " << c.expected;
}

class MoveRules : public ControllerFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveRules, MovesTheSelectionNotTheRows) {
    const MoveCase& c = GetParam();
    addRows(c.count);
    const QStringList before = names();
    controller->selectRows(c.selected);
    controller->moveSelectedTo(c.direction);
    EXPECT_EQ(controller->selectedRows(), std::vector<int>{c.expected});
    EXPECT_EQ(names(), before);
}

// "Of5FromRow2Down1": five rows, row 2 selected, one step down.
std::string moveCaseName(const ::testing::TestParamInfo<MoveCase>& info) {
    const MoveCase& c = info.param;
    std::string name = "Of" + std::to_string(c.count) + "From";
    name += c.selected.empty() ? "Nothing" : "Row" + std::to_string(c.selected.front());
    name += c.direction >= 1 ? "Down" : "Up";
    return name + std::to_string(std::abs(c.direction));
}

INSTANTIATE_TEST_SUITE_P(Table, MoveRules,
                         ::testing::Values(MoveCase{5, {}, 1, 0}, MoveCase{5, {}, -1, 0},
                                           MoveCase{5, {0}, -1, 0}, MoveCase{5, {4}, 1, 4},
                                           MoveCase{5, {2}, 1, 3}, MoveCase{5, {2}, -1, 1},
                                           MoveCase{5, {2}, 7, 3}, MoveCase{1, {0}, 1, 0}),
                         moveCaseName);

TEST_F(ControllerFixture, RowsDraggedOutAreRemovedOnce) {
    addRows(5);
    ASSERT_TRUE(controller->tableViewWriteRowsWithIndexes({1, 2}));
    controller->dragRowsToDelete();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("track 00"), QStringLiteral("track 03"),
                                    QStringLiteral("track 04")}));
    controller->dragRowsToDelete(); // the recorded rows are forgotten
    EXPECT_EQ(controller->getMusicCount(), 3);
}

TEST_F(ControllerFixture, RowDragsCarryNoFileNamesAndAreRefusedDuringARun) {
    addRows(3);
    RMTableView* table = controller->tableView();
    controller->selectRows({1});
    QMimeData pasteboard;
    ASSERT_TRUE(table->prepareRowDrag(&pasteboard));
    EXPECT_TRUE(pasteboard.hasFormat(QLatin1String(QVFileListModel::kRowDragType)));
    EXPECT_FALSE(pasteboard.hasUrls());
    // Released back over the table: nothing is added and nothing removed.
    EXPECT_EQ(controller->tableViewValidateDropProposedRowProposedDropOperation(
                  table, &pasteboard, 0, RMTableViewDropOn),
              Qt::IgnoreAction);
    EXPECT_FALSE(
        controller->tableViewAcceptDropRowDropOperation(table, &pasteboard, 0, RMTableViewDropOn));
    table->draggingEntered();
    table->draggingEnded();
    EXPECT_EQ(controller->getMusicCount(), 3);

    // Released outside: the rows go.
    table->setShowsPoof(false);
    ASSERT_TRUE(table->prepareRowDrag(&pasteboard));
    table->draggingEntered();
    table->draggingExited();
    table->draggingEnded();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("track 00"), QStringLiteral("track 02")}));

    controller->startConvertOperation();
    controller->selectRows({0});
    QMimeData during;
    EXPECT_FALSE(controller->tableViewWriteRowsWithIndexesToPasteboard(table, {0}, &during));
    EXPECT_FALSE(controller->tableViewWriteRowsWithIndexes({0}));
    controller->dragRowsToDelete();
    EXPECT_EQ(controller->getMusicCount(), 2);
}

TEST_F(ControllerFixture, FileDropsLightTheDropAreaAndAreRefusedWhileConverting) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("drop"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/a.mp3")));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder + QStringLiteral("/a.mp3")),
                  QUrl(QStringLiteral("https://example.org/x.mp3"))});
    EXPECT_EQ(QVMainAppController::droppedPaths(&data),
              QStringList{folder + QStringLiteral("/a.mp3")});
    RMTableView* table = controller->tableView();
    controller->window()->show();

    EXPECT_EQ(controller->tableViewValidateDropProposedRowProposedDropOperation(
                  table, &data, 0, RMTableViewDropAbove),
              Qt::CopyAction);
    EXPECT_TRUE(controller->dropInTipsView()->bHighlighted());
    controller->didDragExited();
    EXPECT_FALSE(controller->dropInTipsView()->bHighlighted());

    controller->startConvertOperation();
    const int beeps = SystemBeep::count();
    EXPECT_EQ(controller->tableViewValidateDropProposedRowProposedDropOperation(
                  table, &data, 0, RMTableViewDropAbove),
              Qt::IgnoreAction);
    EXPECT_FALSE(
        controller->tableViewAcceptDropRowDropOperation(table, &data, 0, RMTableViewDropAbove));
    controller->loadAndParseFiles({folder});
    EXPECT_EQ(SystemBeep::count(), beeps + 1);
    EXPECT_EQ(controller->enumAppState(), QVAppStateConverting);

    controller->setConvertOperationFinshed();
    controller->tableViewValidateDropProposedRowProposedDropOperation(table, &data, 0,
                                                                      RMTableViewDropAbove);
    ASSERT_TRUE(controller->dropInTipsView()->bHighlighted());
    EXPECT_TRUE(
        controller->tableViewAcceptDropRowDropOperation(table, &data, 0, RMTableViewDropAbove));
    EXPECT_EQ(controller->enumAppState(), QVAppStateLoading);
    // A cancelled load puts the drop area's light out, as a finished one does.
    controller->clickCancelLoad();
    EXPECT_FALSE(controller->dropInTipsView()->bHighlighted());
}

TEST_F(ControllerFixture, ProgressCellsShowTheRowsProgressOnlyDuringARun) {
    addRows(2);
    controller->fileList().musicAt(0)->dConvertProgress = 37.0;
    BDDiscreteProgressCell cell;
    controller->tableViewWillDisplayCellForTableColumnRow(controller->tableView(), cell,
                                                          QVFileListModel::ColumnProgress, 0);
    ASSERT_TRUE(cell.progress());
    EXPECT_TRUE(cell.progress()->isHidden());
    controller->startConvertOperation();
    controller->tableViewWillDisplayCellForTableColumnRow(controller->tableView(), cell,
                                                          QVFileListModel::ColumnProgress, 0);
    EXPECT_FALSE(cell.progress()->isHidden());
    EXPECT_DOUBLE_EQ(cell.progress()->doubleValue(), 37.0);
    controller->tableViewWillDisplayCellForTableColumnRow(controller->tableView(), cell,
                                                          QVFileListModel::ColumnProgress, 5);
    EXPECT_EQ(cell.progress(), nullptr);
}

TEST_F(ControllerFixture, RemoveWithoutSelectionBeeps) {
    addRows(2);
    const int beeps = SystemBeep::count();
    controller->clickRemoveFiles();
    EXPECT_EQ(SystemBeep::count(), beeps + 1);
    EXPECT_EQ(controller->getMusicCount(), 2);
}

TEST(FileListNames, NameColumnPrefersTagsOverTheFileName) {
    struct Case {
        QString path, title, artist, expected;
    };
    const Case cases[] = {
        {QStringLiteral("/m/a song.mp3"), QStringLiteral("Title"), QStringLiteral("Band"),
         QStringLiteral("Band - Title")},
        {QStringLiteral("/m/a song.mp3"), QStringLiteral("Title"), QString(),
         QStringLiteral("Title")},
        {QStringLiteral("/m/a song.mp3"), QString(), QStringLiteral("Band"),
         QStringLiteral("Band - a song")},
        {QStringLiteral("/m/my.live.take.flac"), QString(), QString(),
         QStringLiteral("my.live.take")},
        {QStringLiteral("/m/-dash 'quote' é.wav"), QString(), QString(),
         QStringLiteral("-dash 'quote' é")},
        {QStringLiteral("/m/.hidden"), QString(), QString(), QStringLiteral(".hidden")},
    };
    for (const Case& c : cases) {
        const auto row = makeRow(c.path, 0, c.title, c.artist);
        EXPECT_EQ(QVFileListModel::displayName(*row), c.expected) << c.path.toStdString();
    }
}

TEST(FileListModel, ColumnsAndProgressFollowTheRun) {
    QVFileListModel model;
    model.appendMusics({makeRow(QStringLiteral("/m/one.mp3"), 10, QStringLiteral("One")),
                        makeRow(QStringLiteral("/m/two.wav"))});
    EXPECT_EQ(model.columnIdentifier(0), QStringLiteral("Name"));
    EXPECT_EQ(model.columnIdentifier(1), QStringLiteral("Output Name"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Progress"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("One"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("two"));
    EXPECT_FALSE(model.data(model.index(0, 2), QVFileListModel::ProgressRole).isValid());
    EXPECT_TRUE(model.musicAt(0)->discreteProgress()->isHidden());

    model.setConverting(true);
    model.musicAt(0)->dConvertProgress = 42.0;
    model.musicAt(1)->dConvertProgress = QVProgressSyncing;
    EXPECT_DOUBLE_EQ(model.data(model.index(0, 2), QVFileListModel::ProgressRole).toDouble(), 42.0);
    EXPECT_DOUBLE_EQ(model.data(model.index(1, 2), QVFileListModel::ProgressRole).toDouble(),
                     100.0);
    EXPECT_FALSE(model.musicAt(0)->discreteProgress()->isHidden());
    EXPECT_EQ(model.musicAt(-1), nullptr);
    EXPECT_EQ(model.musicAt(2), nullptr);
}

TEST(FileListSummary, CountsReadableFilesWithHoursToOneDecimal) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("summary"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/a.mp3"), QByteArray(1048576, 'a')));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/b.mp3"), QByteArray(524288, 'b')));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/c.mp3"), QByteArray(524288, 'c')));
    const QVMusicList rows = {makeRow(folder + QStringLiteral("/a.mp3"), 1800),
                              makeRow(folder + QStringLiteral("/b.mp3"), 1800),
                              makeRow(folder + QStringLiteral("/c.mp3"), 360),
                              makeRow(folder + QStringLiteral("/gone.mp3"), 7200)};
    // 3960 s is 1.1 hours: every duration counts, not just whole hours.
    EXPECT_EQ(QVMainAppController::summaryLine(rows), QStringLiteral("3 files, 1.1 hours, 2.0 MB"));
    EXPECT_EQ(QVMainAppController::summaryLine({rows.back()}), QString());
    EXPECT_EQ(QVMainAppController::summaryLine({}), QString());
}

TEST(FileListAlert, NamesElevenFailedFilesThenDots) {
    QVMusicList failed;
    for (int i = 0; i < 12; ++i)
        failed.push_back(makeRow(QStringLiteral("/junk/bad %1.mp3").arg(i)));
    const QString twelve = QVMainAppController::failedLoadMessage(failed);
    EXPECT_EQ(twelve.count(QLatin1Char('\n')), 11);
    EXPECT_TRUE(twelve.startsWith(QStringLiteral("bad 0.mp3\nbad 1.mp3\n")));
    EXPECT_TRUE(twelve.endsWith(QStringLiteral("bad 10.mp3\n...")));
    EXPECT_FALSE(twelve.contains(QStringLiteral("bad 11.mp3")));

    failed.pop_back();
    const QString eleven = QVMainAppController::failedLoadMessage(failed);
    EXPECT_TRUE(eleven.endsWith(QStringLiteral("bad 10.mp3\n")));
    EXPECT_FALSE(eleven.contains(QStringLiteral("...")));
}

} // namespace
