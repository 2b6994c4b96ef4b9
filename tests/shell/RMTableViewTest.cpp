#include "views/RMTableView.h"
#include "views/QVPoofEffect.h"
#include "views/RMTableViewDataSource.h"

#include <QApplication>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
class RecordingSource : public RMTableViewDataSource {
public:
    bool allowRowDrags = true;
    int entered = 0;
    int exited = 0;
    int deletions = 0;
    QList<int> draggedRows;
    QStringList acceptedPaths;

    void didDragEntered() override { ++entered; }
    void didDragExited() override { ++exited; }
    void dragRowsToDelete() override { ++deletions; }
    bool tableViewWriteRowsWithIndexesToPasteboard(RMTableView*, const QList<int>& rows,
                                                   QMimeData* pasteboard) override {
        if (!allowRowDrags)
            return false;
        draggedRows = rows;
        pasteboard->setData(QStringLiteral("customPboardType"), QByteArray());
        return true;
    }
};

struct Fixture {
    QStandardItemModel model{6, 2};
    RMTableView table;
    RecordingSource source;
    Fixture() {
        table.setModel(&model);
        table.setDataSource(&source);
        table.setShowsPoof(false);
    }
    void selectRows(std::initializer_list<int> rows) {
        table.clearSelection();
        for (int row : rows)
            table.selectionModel()->select(model.index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};
} // namespace

TEST(RMTableView, RowsReleasedOutsideTheTableAreDeletedOnce) {
    struct Case {
        const char* name;
        std::vector<char> steps; // e: entered, x: exited
        int deletions;
    } cases[] = {
        {"left and released outside", {'e', 'x'}, 1},
        {"left and came back", {'e', 'x', 'e'}, 0},
        {"never left", {'e'}, 0},
        {"left twice", {'e', 'x', 'e', 'x'}, 1},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.selectRows({4, 1});
        QMimeData pasteboard;
        ASSERT_TRUE(f.table.prepareRowDrag(&pasteboard)) << c.name;
        EXPECT_EQ(f.source.draggedRows, (QList<int>{1, 4})) << c.name;
        EXPECT_TRUE(pasteboard.hasFormat(QStringLiteral("customPboardType")));
        for (char step : c.steps)
            step == 'e' ? f.table.draggingEntered() : f.table.draggingExited();
        f.table.draggingEnded();
        EXPECT_EQ(f.source.deletions, c.deletions) << c.name;
        // A later end of some other drag never deletes again.
        f.table.draggingEnded();
        EXPECT_EQ(f.source.deletions, c.deletions) << c.name;
        EXPECT_EQ(f.table.dragDirction(), RMTableView::DragNone);
    }
}

TEST(RMTableView, DragsFromElsewhereNeverDeleteRows) {
    Fixture f;
    f.selectRows({0});
    f.table.draggingEntered();
    f.table.draggingExited();
    f.table.draggingEnded();
    EXPECT_EQ(f.source.deletions, 0);
    EXPECT_EQ(f.source.entered, 1);
    EXPECT_EQ(f.source.exited, 1);
}

TEST(RMTableView, RefusedOrEmptyRowDragsDoNotStart) {
    Fixture f;
    QMimeData pasteboard;
    EXPECT_FALSE(f.table.prepareRowDrag(&pasteboard)) << "nothing selected";
    f.selectRows({2});
    f.source.allowRowDrags = false;
    EXPECT_FALSE(f.table.prepareRowDrag(&pasteboard)) << "refused during a run";
    EXPECT_FALSE(f.table.isDraggingOwnRows());
    f.table.draggingEntered();
    f.table.draggingExited();
    f.table.draggingEnded();
    EXPECT_EQ(f.source.deletions, 0);
}

TEST(RMTableView, TableWithoutDataSourceSurvivesDrags) {
    QStandardItemModel model(2, 1);
    RMTableView table;
    table.setModel(&model);
    QMimeData pasteboard;
    table.selectRow(0);
    EXPECT_FALSE(table.prepareRowDrag(&pasteboard));
    table.draggingEntered();
    table.draggingExited();
    table.draggingEnded();
    EXPECT_EQ(table.dragDirction(), RMTableView::DragNone);
}

TEST(RMTableView, PuffAfterDeletionGoesAwayByItself) {
    QStandardItemModel model(3, 1);
    RMTableView table;
    table.setModel(&model);
    RecordingSource source;
    table.setDataSource(&source);
    table.selectRow(1);
    QMimeData pasteboard;
    ASSERT_TRUE(table.prepareRowDrag(&pasteboard));
    table.draggingEntered();
    table.draggingExited();
    const auto puffs = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QVPoofEffect*>(widget))
                ++count;
        return count;
    };
    table.draggingEnded();
    EXPECT_EQ(source.deletions, 1);
    EXPECT_EQ(puffs(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return puffs() == 0; }, 5000));
}
