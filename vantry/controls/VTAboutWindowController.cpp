#include "VTAboutWindowController.h"

#include "VTHyperlinkButton.h"
#include "utils/VTCommSystemFunctions.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

VTAboutWindowController::VTAboutWindowController(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("VTAboutWindowController"));
    buildLayout();
    awakeFromNib();
    // The layout's minimum leaves out the slogan's wrapped lines: at the window's fixed width
    // it must hold them, or the texts above are pushed onto the icon.
    setMinimumHeight(layout()->totalHeightForWidth(width()));
}

void VTAboutWindowController::showWindow() {
    show();
    raise();
    activateWindow();
}

void VTAboutWindowController::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

void VTAboutWindowController::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(6);

    imgIcon = new QLabel(this);
    imgIcon->setFixedSize(64, 64);
    layout->addWidget(imgIcon, 0, Qt::AlignHCenter);

    tfProductName = new QLabel(this);
    QFont titleFont = tfProductName->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    tfProductName->setFont(titleFont);
    layout->addWidget(tfProductName, 0, Qt::AlignHCenter);

    tfVersion = new QLabel(this);
    layout->addWidget(tfVersion, 0, Qt::AlignHCenter);

    tfSlogn = new QLabel(this);
    tfSlogn->setWordWrap(true);
    tfSlogn->setAlignment(Qt::AlignHCenter);
    layout->addWidget(tfSlogn);

    tfHomePageUrl = new VTHyperlinkButton(this);
    layout->addWidget(tfHomePageUrl, 0, Qt::AlignHCenter);

    tfSupportUrl = new QLabel(this);
    tfSupportUrl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(tfSupportUrl, 0, Qt::AlignHCenter);

    tfDeveloperUrl = new QLabel(this);
    tfDeveloperUrl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(tfDeveloperUrl, 0, Qt::AlignHCenter);

    tvCopyright = new QTextEdit(this);
    tvCopyright->setReadOnly(true);
    tvCopyright->setFrameShape(QFrame::NoFrame);
    tvCopyright->setFixedHeight(48);
    tvCopyright->viewport()->setAutoFillBackground(false);
    layout->addWidget(tvCopyright);

    setFixedWidth(360);
}

void VTAboutWindowController::awakeFromNib() {
    const QString productName = VTCommSystemFunctions::getProductName();
    tfProductName->setText(productName);
    setWindowTitle(productName);
    tfVersion->setText(VTCommSystemFunctions::getSoftwareVersion());
    const QIcon icon = VTCommSystemFunctions::getSoftwareIcon();
    if (!icon.isNull())
        imgIcon->setPixmap(icon.pixmap(64, 64));
    tfSupportUrl->setText(VTCommSystemFunctions::getSupportMail());
    tfDeveloperUrl->setText(VTCommSystemFunctions::getDevMail());
    tfSlogn->setText(VTCommSystemFunctions::getSlogn());
    tvCopyright->setPlainText(VTCommSystemFunctions::getCopyrightRight());
    tvCopyright->setAlignment(Qt::AlignHCenter);

    const QString homePage = VTCommSystemFunctions::getHomepageUrl();
    QString title = homePage;
    title.remove(QStringLiteral("http://"));
    tfHomePageUrl->setUrlTitle(QUrl(homePage), title);
}
