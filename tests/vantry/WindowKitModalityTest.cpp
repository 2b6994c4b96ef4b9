#include "windows/VTCommonWindowController.h"
#include "windows/VTWindowAccessoryView.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

TEST(WindowKitModality, AWindowRunModallyGetsItsEarlierModalityBack) {
    struct Case {
        const char* name;
        bool dismissedByItsRunner;
        Qt::WindowModality earlier;
    } cases[] = {
        {"dismissed by the controller that ran it", true, Qt::NonModal},
        {"closed, then shown again", false, Qt::NonModal},
        {"already application-modal", true, Qt::ApplicationModal},
    };
    for (const Case& c : cases) {
        VTCommonWindowController owner;
        QWidget window;
        window.setWindowModality(c.earlier);
        QTimer::singleShot(20, [&] {
            if (c.dismissedByItsRunner)
                owner.dismissModeWindow();
            else
                window.close();
        });
        owner.showModeWindow(&window);
        EXPECT_EQ(window.windowModality(), c.earlier) << c.name;
        window.show();
        EXPECT_EQ(QApplication::activeModalWidget(), c.earlier == Qt::NonModal ? nullptr : &window)
            << c.name << ": blocks the application only if it did before";
    }
}

TEST(WindowKitTitleBar, AViewTakesItsOwnWidthAndTheStripsHeight) {
    QWidget window;
    window.resize(400, 300);
    auto* help = new QPushButton(QStringLiteral("Help"));
    auto* label = new QLabel(QStringLiteral("Given 80 wide"));
    label->resize(80, 10);
    struct Case {
        const char* name;
        QWidget* view;
        double x;
        int width;
    } cases[] = {
        {"a button never shown takes its size hint's width", help, 300, help->sizeHint().width()},
        {"a view given a width keeps it", label, 10, 80},
    };
    const int height = int(VTWindowAccessoryView::kTitleBarStripHeight +
                           VTWindowAccessoryView::kTitleBarViewExtraHeight);
    for (const Case& c : cases) {
        VTWindowAccessoryView::addViewToTitleBarAtXPosition(&window, c.view, c.x);
        EXPECT_EQ(c.view->geometry(), QRect(int(c.x), 0, c.width, height)) << c.name;
    }
    window.grab().save(TestEnvironment::renderFolder() + QStringLiteral("/title-bar-view.png"));
}
