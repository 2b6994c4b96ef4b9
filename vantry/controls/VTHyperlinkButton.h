#pragma once

#include <QPushButton>
#include <QUrl>

// A borderless button drawn as an underlined link; a click opens its address.
class VTHyperlinkButton : public QPushButton {
    Q_OBJECT
public:
    explicit VTHyperlinkButton(QWidget* parent = nullptr);

    void setUrlTitle(const QUrl& url, const QString& title);
    QUrl buttonUrl() const { return _buttonUrl; }
    void setButtonUrl(const QUrl& url) { _buttonUrl = url; }
    void test() {}

public Q_SLOTS:
    void openURL();

private:
    QUrl _buttonUrl;
};
