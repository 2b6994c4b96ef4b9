#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

// The preferences window: playlist name, playlist format, removal of converted rows,
// tag copying and sending converted files to the playlist. Every change is stored at once.
class MTPreferenceWndCtlr : public QWidget {
    Q_OBJECT
public:
    // chosenOutputFormat answers the title of the output format chosen in the main window.
    explicit MTPreferenceWndCtlr(std::function<QString()> chosenOutputFormat,
                                 QWidget* parent = nullptr);
    ~MTPreferenceWndCtlr() override;

    void showWindow();
    void updateAutoSyncButtonState();

    QLineEdit* _tfiTunesPlaylistName = nullptr;
    QComboBox* _popiTunesFmtName = nullptr;
    QCheckBox* _chkRemove = nullptr;
    QCheckBox* _chkCopyMetadata = nullptr;
    QCheckBox* _chkAutoSync = nullptr;
    QSlider* _sldQuality = nullptr;

public Q_SLOTS:
    void controlTextDidChange(const QString& text);
    void clickRemoveAfterConverte(bool on);
    void clickCopyMetadata(bool on);
    void clickAutoSync(bool on);

private:
    void buildLayout();
    void awakeFromNib();

    std::function<QString()> _chosenOutputFormat;
    QMetaObject::Connection _formatObserver;
};
