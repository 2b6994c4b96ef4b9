#include "VTHyperlinkButton.h"

#include "platform/Workspace.h"

#include <QApplication>

VTHyperlinkButton::VTHyperlinkButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, &VTHyperlinkButton::openURL);
}

void VTHyperlinkButton::setUrlTitle(const QUrl& url, const QString& title) {
    _buttonUrl = url;
    setText(title);
    QFont linkFont = QApplication::font();
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::ButtonText, QColor::fromRgbF(0.1f, 0.1f, 1.0f, 1.0f));
    setPalette(linkPalette);
    setStyleSheet(QStringLiteral("border: none; padding: 0px; color: rgb(25, 25, 255);"));
    setToolTip(url.toString());
    adjustSize();
}

void VTHyperlinkButton::openURL() {
    Workspace::openURL(_buttonUrl);
}
