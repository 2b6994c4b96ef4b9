#pragma once

#include <QImage>
#include <QWidget>

// A view that shows one background image stretched over its bounds.
class VTCustomerBackgroundBox : public QWidget {
    Q_OBJECT
public:
    explicit VTCustomerBackgroundBox(QWidget* parent = nullptr);

    QImage imgBg() const { return _imgBg; }
    void setImgBg(const QImage& image) { _imgBg = image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage _imgBg;
};
