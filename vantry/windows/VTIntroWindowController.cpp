#include "VTIntroWindowController.h"

#include "MIHSliderView.h"
#include "platform/UserDefaults.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kNotShowAgainKey = QStringLiteral("next_not_show_tips_again");
}

VTIntroWindowController::VTIntroWindowController(const QList<QImage>& introImages,
                                                 const QString& title, QWidget* parent)
    : VTCommonWindowController(parent), _introImages(introImages), _title(title) {
    setObjectName(QStringLiteral("VTIntroWindowController"));
    buildLayout();
    awakeFromNib();
    windowDidLoad();
}

void VTIntroWindowController::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    sliderView = new MIHSliderView(this);
    sliderView->setMinimumSize(480, 320);
    layout->addWidget(sliderView, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(16, 0, 16, 0);
    nextTimeNotShowChk = new QCheckBox(tr("Do not show this again"), this);
    connect(nextTimeNotShowChk, &QCheckBox::clicked, this,
            &VTIntroWindowController::clickNextTimeNotShow);
    bottom->addWidget(nextTimeNotShowChk);
    bottom->addStretch(1);
    btnClose = new QPushButton(tr("Close"), this);
    connect(btnClose, &QPushButton::clicked, this, &VTIntroWindowController::clickClose);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);
}

void VTIntroWindowController::awakeFromNib() {
    nextTimeNotShowChk->setChecked(checkNextTimeNotShowAgain());
    nextTimeNotShowChk->setVisible(_showLeftCheckBox);
    setNextTimeNotShowAgain(nextTimeNotShowChk->isChecked());
}

void VTIntroWindowController::windowDidLoad() {
    initViews();
    if (!_title.isNull())
        setWindowTitle(_title);
}

void VTIntroWindowController::initViews() {
    sliderView->setTransitionStyle(MIHSliderTransitionPushFromLeft);
    for (const QImage& image : _introImages) {
        auto* slide = new QLabel(sliderView->contentView());
        slide->setAlignment(Qt::AlignCenter);
        slide->setPixmap(QPixmap::fromImage(image));
        sliderView->addSlide(slide);
    }
}

void VTIntroWindowController::setShowLeftCheckBox(bool show) {
    _showLeftCheckBox = show;
    nextTimeNotShowChk->setVisible(show);
}

void VTIntroWindowController::clickShow() {
    show();
    centerWindow(this);
}

void VTIntroWindowController::clickClose() {
    dismissModeWindow();
}

void VTIntroWindowController::clickNextTimeNotShow() {
    setNextTimeNotShowAgain(!checkNextTimeNotShowAgain());
}

bool VTIntroWindowController::checkNextTimeNotShowAgain() {
    return UserDefaults::standardUserDefaults().boolForKey(kNotShowAgainKey);
}

void VTIntroWindowController::setNextTimeNotShowAgain(bool notShowAgain) {
    UserDefaults::standardUserDefaults().setBool(kNotShowAgainKey, notShowAgain);
}
