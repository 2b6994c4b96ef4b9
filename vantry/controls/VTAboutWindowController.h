#pragma once

#include <QWidget>

class QLabel;
class QTextEdit;
class VTHyperlinkButton;

// The About window: product name, version, icon, mail addresses, home page, slogan and
// copyright, filled once from the application's Info.plist.
class VTAboutWindowController : public QWidget {
    Q_OBJECT
public:
    explicit VTAboutWindowController(QWidget* parent = nullptr);

    void showWindow();

    QTextEdit* tvCopyright = nullptr;
    QLabel* tfProductName = nullptr;
    QLabel* tfVersion = nullptr;
    QLabel* tfSupportUrl = nullptr;
    VTHyperlinkButton* tfHomePageUrl = nullptr;
    QLabel* tfDeveloperUrl = nullptr;
    QLabel* tfSlogn = nullptr;
    QLabel* imgIcon = nullptr;

protected:
    // Escape closes the window, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void awakeFromNib();
};
