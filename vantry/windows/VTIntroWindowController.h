#pragma once

#include "VTCommonWindowController.h"
#include "VTPageControlDelegate.h"

#include <QImage>
#include <QList>

class MIHSliderView;
class QCheckBox;
class QPushButton;

// An introduction window: one slide per image, pushed in from the left, with a box the
// user ticks to stop seeing it ("next_not_show_tips_again").
class VTIntroWindowController : public VTCommonWindowController, public VTPageControlDelegate {
    Q_OBJECT
public:
    // A null title leaves the window's own.
    VTIntroWindowController(const QList<QImage>& introImages, const QString& title,
                            QWidget* parent = nullptr);

    static bool checkNextTimeNotShowAgain();
    static void setNextTimeNotShowAgain(bool notShowAgain);

    QList<QImage> introImages() const { return _introImages; }
    void setIntroImages(const QList<QImage>& images) { _introImages = images; }
    QString title() const { return _title; }
    void setTitle(const QString& title) { _title = title; }
    bool showLeftCheckBox() const { return _showLeftCheckBox; }
    void setShowLeftCheckBox(bool show);

    // Adds one slide per image.
    void initViews();

    void clickShow();
    void clickClose();
    void clickNextTimeNotShow();

    MIHSliderView* sliderView = nullptr;
    QCheckBox* nextTimeNotShowChk = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void windowDidLoad() override;

private:
    void buildLayout();
    void awakeFromNib();

    QList<QImage> _introImages;
    QString _title;
    bool _showLeftCheckBox = true;
};
