#include "controls/VTImageResize.h"
#include "windows/MIHSliderView.h"
#include "windows/VTAnimator.h"
#include "windows/VTCommonWindow.h"
#include "windows/VTCommonWindowController.h"
#include "windows/VTCommonWindowDelegate.h"
#include "windows/VTIntroWindowController.h"
#include "windows/VTOpenPanelUtility.h"
#include "windows/VTPanelFunctions.h"
#include "windows/VTProgressWindowController.h"
#include "windows/VTWindowAccessoryView.h"

#include "platform/UserDefaults.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
// Waits (without blocking the modal loop about to start) for the next modal window and
// acts on it.
void actOnNextModal(std::function<void(QWidget*)> act, int triesLeft = 300) {
    QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
            return;
        }
        if (triesLeft > 0)
            actOnNextModal(std::move(act), triesLeft - 1);
    });
}

void clickAlertButton(const QString& title) {
    actOnNextModal([title](QWidget* modal) {
        auto* alert = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(alert, nullptr);
        for (QAbstractButton* button : alert->buttons())
            if (button->text() == title)
                return button->click();
        alert->reject(); // the title was not offered: close it
    });
}

// Cancels the next file panel, or types the path's name into it in its folder and
// confirms, as a user would.
void finishFilePanel(const QString& pathToChoose) {
    actOnNextModal([pathToChoose](QWidget* modal) {
        auto* panel = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(panel, nullptr);
        if (pathToChoose.isNull())
            return panel->reject();
        const QFileInfo chosen(pathToChoose);
        panel->setDirectory(chosen.absolutePath());
        auto* nameField = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(chosen.fileName());
        static_cast<QDialog*>(panel)->accept();
    });
}

std::unique_ptr<QMimeData> filesData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

class RecordingWindowDelegate : public VTCommonWindowDelegate {
public:
    bool answer = true;
    QStringList paths;
    bool didWindowAccepteDragFiles(QWidget*, const QStringList& dropped) override {
        paths = dropped;
        return answer;
    }
};

class WindowKit : public ::testing::Test {
protected:
    void TearDown() override { TestEnvironment::reset(); }
};
} // namespace

TEST_F(WindowKit, AlertAnswersByButton) {
    const QString save = QStringLiteral("Save"), dont = QStringLiteral("Don't Save"),
                  cancel = QStringLiteral("Cancel");
    struct Case {
        const char* name;
        QString alternate, other, click;
        int answer;
    } cases[] = {
        {"default", dont, cancel, save, 1},
        {"alternate", dont, cancel, dont, 0},
        {"other", dont, cancel, cancel, -1},
        {"closed with an alternate", dont, cancel, QStringLiteral("(close)"), 0},
        {"closed with only an other", QString(), cancel, QStringLiteral("(close)"), -1},
        {"closed with the default alone", QString(), QString(), QStringLiteral("(close)"), 1},
    };
    for (const Case& c : cases) {
        clickAlertButton(c.click);
        EXPECT_EQ(showTipsAlert(QStringLiteral("Message"), QStringLiteral("Details"), save,
                                c.alternate, c.other),
                  c.answer)
            << c.name;
    }
}

TEST_F(WindowKit, AlertShowsTextsLiterallyAndDefaultTitleOK) {
    QStringList buttons;
    QString informative;
    Qt::TextFormat format = Qt::RichText;
    actOnNextModal([&](QWidget* modal) {
        auto* alert = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(alert, nullptr);
        for (QAbstractButton* button : alert->buttons())
            buttons << button->text();
        for (QLabel* label : alert->findChildren<QLabel*>())
            if (label->text().contains(QStringLiteral("%@"))) {
                informative = label->text();
                format = label->textFormat();
            }
        alert->buttons().first()->click();
    });
    EXPECT_EQ(showTipsAlert(QStringLiteral("Title"), QStringLiteral("<b>100%</b> %@ done"),
                            QString(), QString(), QString()),
              1);
    EXPECT_EQ(buttons, QStringList({QStringLiteral("OK")})) << "nil titles leave buttons out";
    EXPECT_EQ(informative, QStringLiteral("<b>100%</b> %@ done"));
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(WindowKit, OpenPanelKeepsCancelApartFromEmpty) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("open"));
    const QString file = folder + QStringLiteral("/-a 'b' ü.wav");
    ASSERT_TRUE(MediaFixtures::writeBytes(file, "RIFF"));

    finishFilePanel(QString());
    EXPECT_FALSE(showOpenPanel(false, true, true).has_value()) << "cancelled: nothing";
    EXPECT_FALSE(showOpenPanel(false, false, false).has_value()) << "nothing can be chosen";

    finishFilePanel(file);
    const std::optional<QList<QUrl>> chosen = openFiles(false, true, false);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, QList<QUrl>({QUrl::fromLocalFile(file)}));

    QFileDialog untouched(nullptr, QString(), folder);
    untouched.setFileMode(QFileDialog::ExistingFiles);
    EXPECT_EQ(VTOpenPanelUtility::filePathsFromPanel(untouched), QStringList());
    untouched.selectFile(file);
    EXPECT_EQ(VTOpenPanelUtility::filePathsFromPanel(untouched), QStringList({file}));
}

TEST_F(WindowKit, SavePanelModalAnswersThePathOrNothing) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("save"));
    const QString target = folder + QStringLiteral("/new \"song\".mp3");
    auto accessory = std::make_unique<QLabel>(QStringLiteral("Accessory"));
    QPointer<QLabel> watched = accessory.get();
    QString message;
    actOnNextModal([&](QWidget* modal) {
        auto* panel = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(panel, nullptr);
        for (QLabel* label : panel->findChildren<QLabel*>())
            if (label->text() == QStringLiteral("Where to save?"))
                message = label->text();
        EXPECT_EQ(panel->windowTitle(), QStringLiteral("Export"));
        EXPECT_EQ(accessory->window(), panel);
        panel->setDirectory(folder);
        auto* nameField = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        EXPECT_EQ(nameField->text(), QStringLiteral("name"));
        nameField->setText(QStringLiteral("new \"song\".mp3"));
        static_cast<QDialog*>(panel)->accept();
    });
    const std::optional<QString> path = showSavePanel(
        QStringLiteral("Export"), QStringLiteral("Where to save?"), QStringLiteral("name"), true,
        false, true, accessory.get(), false, nullptr, nullptr);
    EXPECT_EQ(path, std::optional<QString>(target));
    EXPECT_EQ(message, QStringLiteral("Where to save?"));
    ASSERT_FALSE(watched.isNull()) << "the accessory outlives the panel";
    EXPECT_EQ(accessory->parentWidget(), nullptr);

    finishFilePanel(QString());
    EXPECT_FALSE(showSavePanel(QString(), QString(), QString(), true, false, true, nullptr, false,
                               nullptr, nullptr)
                     .has_value());
}

TEST_F(WindowKit, SavePanelSheetAnswersLaterOnlyAfterOK) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("sheet"));
    const QString target = folder + QStringLiteral("/out.m4a");
    VTCommonWindowController parent;
    parent.show();
    for (const bool confirm : {false, true}) {
        int calls = 0;
        QString received;
        const std::optional<QString> immediate =
            showSavePanel(QString(), QString(), QStringLiteral("out.m4a"), true, false, true,
                          nullptr, true, &parent, [&](const QString& path) {
                              ++calls;
                              received = path;
                          });
        EXPECT_FALSE(immediate.has_value()) << "a sheet answers nothing at once";
        QFileDialog* panel = parent.findChild<QFileDialog*>();
        ASSERT_NE(panel, nullptr);
        QPointer<QFileDialog> watched = panel;
        if (confirm) {
            panel->setDirectory(folder);
            panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("out.m4a"));
            static_cast<QDialog*>(panel)->accept();
        } else {
            panel->reject();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(calls, confirm ? 1 : 0);
        EXPECT_EQ(received, confirm ? target : QString());
        EXPECT_TRUE(watched.isNull()) << "the panel goes once the sheet ends";
    }
}

TEST_F(WindowKit, CommonWindowHandsDroppedFilesToItsDelegate) {
    VTCommonWindow accepting(nullptr, true);
    VTCommonWindow plain;
    EXPECT_TRUE(accepting.acceptDrops());
    EXPECT_FALSE(plain.acceptDrops());
    plain.setEnableDragAndDrop(true);
    EXPECT_FALSE(plain.acceptDrops()) << "decided when the window was made";

    const QStringList paths = {QStringLiteral("/music/-dash.flac"),
                               QStringLiteral("/music/Ünï 'q'.mp3")};
    auto files = filesData(paths);
    auto picture = std::make_unique<QMimeData>();
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_EQ(accepting.draggingEntered(files.get(), Qt::CopyAction | Qt::MoveAction),
              Qt::CopyAction);
    EXPECT_EQ(accepting.draggingEntered(files.get(), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(accepting.draggingEntered(picture.get(), Qt::CopyAction), Qt::IgnoreAction);

    EXPECT_TRUE(accepting.performDragOperation(files.get())) << "no delegate";
    VTCommonWindowDelegate silent;
    accepting.setWndDelegate(&silent);
    EXPECT_TRUE(accepting.performDragOperation(files.get())) << "delegate without an answer";
    RecordingWindowDelegate delegate;
    delegate.answer = false;
    accepting.setWndDelegate(&delegate);
    EXPECT_TRUE(accepting.performDragOperation(picture.get())) << "no file names";
    EXPECT_TRUE(delegate.paths.isEmpty());
    EXPECT_FALSE(accepting.performDragOperation(files.get()));
    EXPECT_EQ(delegate.paths, paths);
}

TEST_F(WindowKit, IntroWindowRemembersNotToShowAgain) {
    EXPECT_FALSE(VTIntroWindowController::checkNextTimeNotShowAgain());
    const QList<QImage> images = {VTImageResize::prettyGradientImage(QSize(420, 260)),
                                  VTImageResize::prettyGradientImage(QSize(200, 200))};
    VTIntroWindowController intro(images, QStringLiteral("Welcome"));
    EXPECT_EQ(intro.windowTitle(), QStringLiteral("Welcome"));
    EXPECT_EQ(intro.sliderView->slides().size(), 2);
    EXPECT_EQ(intro.sliderView->transitionStyle(), MIHSliderTransitionPushFromLeft);
    EXPECT_FALSE(intro.nextTimeNotShowChk->isChecked());
    EXPECT_FALSE(intro.nextTimeNotShowChk->isHidden());

    intro.nextTimeNotShowChk->click();
    EXPECT_TRUE(VTIntroWindowController::checkNextTimeNotShowAgain());
    intro.nextTimeNotShowChk->click();
    EXPECT_FALSE(VTIntroWindowController::checkNextTimeNotShowAgain());
    EXPECT_TRUE(UserDefaults::standardUserDefaults().hasObjectForKey(
        QStringLiteral("next_not_show_tips_again")));

    VTIntroWindowController::setNextTimeNotShowAgain(true);
    VTIntroWindowController again({}, QString());
    EXPECT_TRUE(again.nextTimeNotShowChk->isChecked()) << "the box shows the stored answer";
    again.setShowLeftCheckBox(false);
    EXPECT_TRUE(again.nextTimeNotShowChk->isHidden());
    EXPECT_EQ(again.sliderView->slides().size(), 0);

    intro.sliderView->setScheduledTransition(false);
    intro.resize(520, 380);
    intro.clickShow();
    intro.grab().save(TestEnvironment::renderFolder() + QStringLiteral("/intro-window.png"));
}

TEST_F(WindowKit, ModalSessionEndsByDismissOrByClosing) {
    for (const bool dismiss : {true, false}) {
        VTCommonWindowController owner;
        VTCommonWindowController modal;
        QTimer::singleShot(20, [&] {
            EXPECT_TRUE(VTCommonWindowController::isModalSessionRunning());
            EXPECT_EQ(QApplication::activeModalWidget(), &modal);
            if (dismiss)
                modal.dismissModeWindow();
            else
                modal.close();
        });
        owner.showModeWindow(&modal);
        EXPECT_FALSE(VTCommonWindowController::isModalSessionRunning()) << dismiss;
        EXPECT_FALSE(modal.isVisible()) << dismiss;
    }
}

TEST_F(WindowKit, SheetsShowOverTheirWindowAndEnd) {
    VTCommonWindowController owner;
    owner.resize(400, 300);
    owner.show();
    QWidget sheet;
    owner.beginSheetWindow(&sheet);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    owner.endSheetWindow(&sheet);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(WindowKit, TitleBarViewsKeepTheirDistanceToTheNearerSide) {
    EXPECT_EQ(VTWindowAccessoryView::autoresizingMaskFor(400, 200),
              VTWindowAccessoryView::FlexibleRightAndBottomMargins)
        << "exactly at the middle";
    EXPECT_EQ(VTWindowAccessoryView::autoresizingMaskFor(400, 201),
              VTWindowAccessoryView::FlexibleLeftAndBottomMargins);

    QWidget window;
    window.resize(400, 300);
    window.show();
    auto* left = new QLabel(QStringLiteral("left"));
    auto* right = new QLabel(QStringLiteral("right"));
    left->resize(80, 24);
    right->resize(60, 24);
    VTWindowAccessoryView::addViewToTitleBarAtXPosition(&window, left, 200);
    VTWindowAccessoryView::addViewToTitleBarAtXPosition(&window, right, 320);
    EXPECT_EQ(left->geometry(), QRect(200, 0, 80, 82));
    EXPECT_EQ(right->parentWidget(), &window);
    window.resize(500, 300);
    EXPECT_EQ(left->x(), 200);
    EXPECT_EQ(right->x(), 420);
    EXPECT_GE(VTWindowAccessoryView::heightOfTitleBar(&window), 0.0);
}

TEST_F(WindowKit, ProgressWindowStartsEmptyAndKeepsToItsRange) {
    VTProgressWindowController progress;
    EXPECT_EQ(progress.prgIndicator->value(), 0);
    EXPECT_EQ(progress.windowTitle(), QString());
    EXPECT_EQ(progress.tfPrgTips->text(), QString());
    struct Case {
        double value;
        int shown;
    } cases[] = {{42.4, 42}, {150.0, 100}, {-5.0, 0}, {std::nan(""), 0}};
    for (const Case& c : cases) {
        progress.updateProgress(c.value);
        EXPECT_EQ(progress.prgIndicator->value(), c.shown) << c.value;
    }
    progress.tfPrgTips->setText(QStringLiteral("Converting 3 of 12 files"));
    progress.tfPrgDownTips->setText(QStringLiteral("About 2 minutes left"));
    progress.updateProgress(25);
    progress.grab().save(TestEnvironment::renderFolder() + QStringLiteral("/progress-window.png"));
}

TEST_F(WindowKit, AnimatorRunsTheCompletionAfterTheDuration) {
    double insideDuration = -1;
    bool completed = false;
    QElapsedTimer clock;
    clock.start();
    qint64 completedAfter = -1;
    VTAnimator::animateWithDurationAnimationCompletion(
        0.05, [&] { insideDuration = VTAnimator::currentAnimationDuration(); },
        [&] {
            completed = true;
            completedAfter = clock.elapsed();
        });
    EXPECT_EQ(insideDuration, 0.05);
    EXPECT_EQ(VTAnimator::currentAnimationDuration(), 0.0);
    EXPECT_FALSE(completed) << "the completion waits for the duration";
    EXPECT_TRUE(QTest::qWaitFor([&] { return completed; }, 2000));
    EXPECT_GE(completedAfter, 40);
}
