#pragma once

#include "shell/MASPreferencesViewController.h"

#include <QObject>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QVDataEngine;

// The General pane: playlist name and format, quality controls, removal of converted rows,
// tag copying and sending to the playlist. Its view is built on first use.
class GeneralPreferencesViewController : public QObject, public MASPreferencesViewController {
    Q_OBJECT
public:
    // chosenOutputFormat answers the title of the output format chosen in the main window.
    GeneralPreferencesViewController(std::function<QString()> chosenOutputFormat,
                                     const QVDataEngine& catalogue);
    ~GeneralPreferencesViewController() override;

    QString identifier() const override;
    QIcon toolbarItemImage() const override;
    QString toolbarItemLabel() const override;
    QWidget* view() override;

    void updateAutoSyncButtonState();

    QLineEdit* _tfiTunesPlaylistName = nullptr;
    QComboBox* _popiTunesFmtName = nullptr;
    QCheckBox* _chkQuanity = nullptr;
    QComboBox* _popSampleRate = nullptr;
    QComboBox* _popBitRate = nullptr;
    QComboBox* _popChannels = nullptr;
    QSlider* _sldQuality = nullptr;
    QCheckBox* _chkRemove = nullptr;
    QCheckBox* _chkCopyMetadata = nullptr;
    QCheckBox* _chkAutoSync = nullptr;

public Q_SLOTS:
    void controlTextDidChange(const QString& text);
    void clickRemoveAfterConverte(bool on);
    void clickCopyMetadata(bool on);
    void clickAutoSync(bool on);

private:
    void buildView();
    void awakeFromNib();
    void updateQuanityParamPopupButton();

    std::function<QString()> _chosenOutputFormat;
    const QVDataEngine& _catalogue;
    std::unique_ptr<QWidget> _view;
    QMetaObject::Connection _formatObserver;
};
