#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QSlider;

// The output settings sheet: a second format pop-up, the quality slider and the sample
// rate, bitrate and channel pop-ups. Layout only: the main window controller fills the
// controls and acts on them. Every change takes effect at once; OK closes it.
class QVSettingSheet : public QDialog {
    Q_OBJECT
public:
    explicit QVSettingSheet(QWidget* parent);

    QComboBox* popSettingFmts = nullptr;
    QSlider* sldQuality = nullptr;
    QComboBox* popSampleRate = nullptr;
    QComboBox* popBitrate = nullptr;
    QComboBox* popChannels = nullptr;
    QPushButton* btnOK = nullptr;
};
