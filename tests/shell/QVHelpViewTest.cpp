#include "shell/ViewTestSupport.h"

#include "views/QVHelpView.h"

#include <gtest/gtest.h>

TEST(QVHelpView, DrawsTheTipsTextOnlyWhenThereIsSome) {
    struct Case {
        QString tips;
        bool text;
    } cases[] = {{QString(), false},
                 {QStringLiteral(""), false},
                 {QStringLiteral("Select files, then press Start"), true}};
    for (const Case& c : cases) {
        QVHelpView view;
        view.resize(360, 60);
        view.setTipsStr(c.tips);
        const QImage image = renderOf(view);
        const int inked = countPixels(image, image.rect(), QVHelpView::textColor(), 60);
        EXPECT_EQ(inked > 0, c.text) << c.tips.toStdString();
        // Band and rule are always there.
        EXPECT_TRUE(sameRgb(image.pixelColor(3, 30), QVHelpView::bandColor()));
        EXPECT_TRUE(sameRgb(image.pixelColor(180, 0), QVHelpView::ruleColor()));
        if (c.text) {
            const QRect textArea = view.tipsRect().toAlignedRect().adjusted(-1, -1, 1, 1);
            EXPECT_EQ(countPixels(image, textArea, QVHelpView::textColor(), 60), inked)
                << "all text inside the centred text rectangle";
            EXPECT_NEAR(view.tipsRect().center().x(), 180.0, 1.0);
        }
    }
}
