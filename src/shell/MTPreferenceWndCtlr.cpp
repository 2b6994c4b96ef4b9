#include "shell/MTPreferenceWndCtlr.h"

#include "engine/QVDataEngine.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "shell/PreferenceStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

using PreferenceStore::storeBool;
using PreferenceStore::storedBool;

MTPreferenceWndCtlr::MTPreferenceWndCtlr(std::function<QString()> chosenOutputFormat,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), _chosenOutputFormat(std::move(chosenOutputFormat)) {
    setObjectName(QStringLiteral("MTPreferenceWndCtlr"));
    setWindowTitle(QStringLiteral("Preferences"));
    buildLayout();
    awakeFromNib();
}

MTPreferenceWndCtlr::~MTPreferenceWndCtlr() {
    NotificationCenter::defaultCenter().removeObserver(_formatObserver);
}

void MTPreferenceWndCtlr::showWindow() {
    show();
    raise();
    activateWindow();
}

void MTPreferenceWndCtlr::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    _tfiTunesPlaylistName = new QLineEdit(this);
    _tfiTunesPlaylistName->setMinimumWidth(220);
    form->addRow(QStringLiteral("Playlist name:"), _tfiTunesPlaylistName);
    _popiTunesFmtName = new QComboBox(this);
    form->addRow(QStringLiteral("Playlist format:"), _popiTunesFmtName);
    layout->addLayout(form);

    _chkAutoSync = new QCheckBox(QStringLiteral("Add converted files to the playlist"), this);
    _chkCopyMetadata =
        new QCheckBox(QStringLiteral("Copy tags and cover art into converted files"), this);
    _chkRemove = new QCheckBox(QStringLiteral("Remove files from the list once converted"), this);
    layout->addWidget(_chkAutoSync);
    layout->addWidget(_chkCopyMetadata);
    layout->addWidget(_chkRemove);

    // Kept for the window's layout; nothing reads it.
    _sldQuality = new QSlider(Qt::Horizontal, this);
    _sldQuality->setRange(0, 100);
    _sldQuality->hide();
    layout->addStretch(1);

    connect(_tfiTunesPlaylistName, &QLineEdit::textEdited, this,
            &MTPreferenceWndCtlr::controlTextDidChange);
    connect(_chkRemove, &QCheckBox::clicked, this, &MTPreferenceWndCtlr::clickRemoveAfterConverte);
    connect(_chkCopyMetadata, &QCheckBox::clicked, this, &MTPreferenceWndCtlr::clickCopyMetadata);
    connect(_chkAutoSync, &QCheckBox::clicked, this, &MTPreferenceWndCtlr::clickAutoSync);
}

void MTPreferenceWndCtlr::awakeFromNib() {
    _formatObserver = NotificationCenter::defaultCenter().addObserver(
        QLatin1String(Notifications::kOutputFormatChange), this,
        [this](const QString&, const QVariantMap&) { updateAutoSyncButtonState(); });

    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    _tfiTunesPlaylistName->setText(
        defaults.stringForKey(QLatin1String(PreferenceKeys::kiTunesPlaylistNameKey)));

    _popiTunesFmtName->clear();
    _popiTunesFmtName->addItems(QVDataEngine::itunesFormats());
    QString format = defaults.stringForKey(QLatin1String(PreferenceKeys::kDefaultFmtNameKey));
    if (format.isEmpty())
        format = QStringLiteral("ALAC");
    _popiTunesFmtName->setCurrentIndex(_popiTunesFmtName->findText(format));

    _chkRemove->setChecked(storedBool(PreferenceKeys::kRemoveAfterConverteKey));
    _chkCopyMetadata->setChecked(storedBool(PreferenceKeys::kCopyMetadataKey));
    updateAutoSyncButtonState();
}

void MTPreferenceWndCtlr::updateAutoSyncButtonState() {
    const QString format = _chosenOutputFormat ? _chosenOutputFormat() : QString();
    PreferenceStore::showAutoSyncState(_chkAutoSync, format);
}

void MTPreferenceWndCtlr::controlTextDidChange(const QString& text) {
    PreferenceStore::storePlaylistName(text);
}

void MTPreferenceWndCtlr::clickRemoveAfterConverte(bool on) {
    storeBool(PreferenceKeys::kRemoveAfterConverteKey, on);
}

void MTPreferenceWndCtlr::clickCopyMetadata(bool on) {
    storeBool(PreferenceKeys::kCopyMetadataKey, on);
}

void MTPreferenceWndCtlr::clickAutoSync(bool on) {
    storeBool(PreferenceKeys::kAutoSyncKey, on);
}
