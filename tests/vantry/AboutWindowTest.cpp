#include "controls/VTAboutWindowController.h"
#include "controls/VTHyperlinkButton.h"
#include "utils/VTAppInfoUtil.h"
#include "utils/VTCommSystemFunctions.h"

#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "platform/Workspace.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QLayout>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

// Points the bundle at an Info.plist holding exactly these keys.
void useInfo(const QVariantMap& info) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("info"));
    ASSERT_TRUE(MediaFixtures::writeBytes(folder + QStringLiteral("/Info.plist"),
                                          PropertyList::toXml(info)));
    MainBundle::mainBundle().setResourceDirectory(folder);
}

} // namespace

class AboutWindow : public ::testing::Test {
protected:
    void TearDown() override { TestEnvironment::reset(); }
};

TEST_F(AboutWindow, MissingKeysShowEmptyTextAndVersionShowsNull) {
    useInfo({{QStringLiteral("CFBundleName"), QStringLiteral("Quaverly")},
             {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")}});
    EXPECT_EQ(VTCommSystemFunctions::getSlogn(), QString());
    EXPECT_EQ(VTCommSystemFunctions::getSupportMail(), QString());
    EXPECT_EQ(VTCommSystemFunctions::getDevMail(), QString());
    EXPECT_EQ(VTCommSystemFunctions::getSoftwareVersion(),
              QStringLiteral("Version 1.0.0 ((null))"));
    EXPECT_TRUE(VTAppInfoUtil::bundleIdentifier().isNull());

    VTAboutWindowController about;
    EXPECT_EQ(about.tfSlogn->text(), QString());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Quaverly"));
}

TEST_F(AboutWindow, ShowsTheFactsOfInfoPlist) {
    useInfo({{QStringLiteral("CFBundleName"), QStringLiteral("Quaverly")},
             {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")},
             {QStringLiteral("CFBundleVersion"), QStringLiteral("12")},
             {QStringLiteral("HomepageUrl"), QStringLiteral("http://www.example.org/q")},
             {QStringLiteral("SupportMail"), QStringLiteral("help@example.org")},
             {QStringLiteral("NSHumanReadableCopyright"), QStringLiteral("© 2026")},
             {QStringLiteral("Slogn"), QStringLiteral("Convert a whole folder of music at once, "
                                                      "tags and covers included.")}});
    EXPECT_EQ(VTAppInfoUtil::bundleVersion(), QStringLiteral("1.0.0"));

    VTAboutWindowController about;
    EXPECT_EQ(about.objectName(), QStringLiteral("VTAboutWindowController"));
    EXPECT_EQ(about.tfVersion->text(), QStringLiteral("Version 1.0.0 (12)"));
    EXPECT_EQ(about.tfSupportUrl->text(), QStringLiteral("help@example.org"));
    EXPECT_EQ(about.tvCopyright->toPlainText(), QStringLiteral("© 2026"));
    EXPECT_EQ(about.tfHomePageUrl->text(), QStringLiteral("www.example.org/q"));

    QUrl opened;
    Workspace::setOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    about.tfHomePageUrl->click();
    Workspace::setOpener({});
    EXPECT_EQ(opened, QUrl(QStringLiteral("http://www.example.org/q")));

    const QString picture = TestEnvironment::renderFolder() + QStringLiteral("/about.png");
    EXPECT_TRUE(about.grab().save(picture));
    about.showWindow();
    // At its smallest the window still holds its wrapped slogan: each part below the last.
    about.resize(about.minimumSize());
    QLayout* column = about.layout();
    column->activate();
    for (int i = 1; i < column->count(); ++i)
        EXPECT_GT(column->itemAt(i)->widget()->y(),
                  column->itemAt(i - 1)->widget()->geometry().bottom())
            << i;
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutWindow, OtherSchemesAreShownWhole) {
    useInfo({{QStringLiteral("HomepageUrl"), QStringLiteral("https://example.org/q")}});
    VTAboutWindowController about;
    EXPECT_EQ(about.tfHomePageUrl->text(), QStringLiteral("https://example.org/q"));
}
