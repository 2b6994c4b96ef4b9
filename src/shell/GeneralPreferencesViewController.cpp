#include "shell/GeneralPreferencesViewController.h"

#include "engine/QVDataEngine.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "shell/PreferenceStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

using PreferenceStore::storeBool;
using PreferenceStore::storedBool;

namespace {

constexpr int kViewWidth = 440;
constexpr int kViewHeight = 265;

// Three switches on their tracks: the general-preferences picture.
QIcon switchesImage() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const int knobs[] = {40, 20, 32};
    for (int row = 0; row < 3; ++row) {
        const int y = 14 + row * 18;
        painter.setPen(QPen(QColor(0x70, 0x74, 0x7a), 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(10, y, 54, y);
        painter.setPen(QPen(QColor(0x3a, 0x3d, 0x42), 2));
        painter.setBrush(QColor(0xf2, 0xf2, 0xf2));
        painter.drawEllipse(QPoint(knobs[row], y), 7, 7);
    }
    return QIcon(pixmap);
}

void fillChoices(QComboBox* popup, const QStringList& choices, const QString& current) {
    popup->clear();
    popup->addItems(choices);
    popup->setCurrentIndex(std::max(0, static_cast<int>(choices.indexOf(current))));
}

} // namespace

GeneralPreferencesViewController::GeneralPreferencesViewController(
    std::function<QString()> chosenOutputFormat, const QVDataEngine& catalogue)
    : _chosenOutputFormat(std::move(chosenOutputFormat)), _catalogue(catalogue) {}

GeneralPreferencesViewController::~GeneralPreferencesViewController() {
    NotificationCenter::defaultCenter().removeObserver(_formatObserver);
}

QString GeneralPreferencesViewController::identifier() const {
    return QStringLiteral("GeneralPreferences");
}

QIcon GeneralPreferencesViewController::toolbarItemImage() const {
    return switchesImage();
}

QString GeneralPreferencesViewController::toolbarItemLabel() const {
    return QCoreApplication::translate("Localizable", "General");
}

QWidget* GeneralPreferencesViewController::view() {
    if (!_view) {
        buildView();
        awakeFromNib();
    }
    return _view.get();
}

void GeneralPreferencesViewController::buildView() {
    _view = std::make_unique<QWidget>();
    _view->setObjectName(QStringLiteral("GeneralPreferencesView"));
    _view->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QWidget* view = _view.get();
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 16, 20, 16);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    _tfiTunesPlaylistName = new QLineEdit(view);
    form->addRow(QStringLiteral("Playlist name:"), _tfiTunesPlaylistName);
    _popiTunesFmtName = new QComboBox(view);
    form->addRow(QStringLiteral("Playlist format:"), _popiTunesFmtName);
    _chkQuanity = new QCheckBox(QStringLiteral("Choose the quality by its parameters"), view);
    form->addRow(QString(), _chkQuanity);
    _popSampleRate = new QComboBox(view);
    form->addRow(QStringLiteral("Sample rate:"), _popSampleRate);
    _popBitRate = new QComboBox(view);
    form->addRow(QStringLiteral("Bit rate:"), _popBitRate);
    _popChannels = new QComboBox(view);
    form->addRow(QStringLiteral("Channels:"), _popChannels);
    _sldQuality = new QSlider(Qt::Horizontal, view);
    _sldQuality->setRange(0, 100);
    form->addRow(QStringLiteral("Quality:"), _sldQuality);
    layout->addLayout(form);

    _chkRemove = new QCheckBox(QStringLiteral("Remove files from the list once converted"), view);
    _chkCopyMetadata =
        new QCheckBox(QStringLiteral("Copy tags and cover art into converted files"), view);
    _chkAutoSync = new QCheckBox(QStringLiteral("Add converted files to the playlist"), view);
    layout->addWidget(_chkRemove);
    layout->addWidget(_chkCopyMetadata);
    layout->addWidget(_chkAutoSync);
    layout->addStretch(1);

    connect(_tfiTunesPlaylistName, &QLineEdit::textEdited, this,
            &GeneralPreferencesViewController::controlTextDidChange);
    connect(_chkRemove, &QCheckBox::clicked, this,
            &GeneralPreferencesViewController::clickRemoveAfterConverte);
    connect(_chkCopyMetadata, &QCheckBox::clicked, this,
            &GeneralPreferencesViewController::clickCopyMetadata);
    connect(_chkAutoSync, &QCheckBox::clicked, this,
            &GeneralPreferencesViewController::clickAutoSync);
}

void GeneralPreferencesViewController::awakeFromNib() {
    _formatObserver = NotificationCenter::defaultCenter().addObserver(
        QLatin1String(Notifications::kOutputFormatChange), this,
        [this](const QString&, const QVariantMap&) { updateAutoSyncButtonState(); });
    _view->resize(kViewWidth, kViewHeight);

    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    _tfiTunesPlaylistName->setText(
        defaults.stringForKey(QLatin1String(PreferenceKeys::kiTunesPlaylistNameKey)));

    _popiTunesFmtName->clear();
    _popiTunesFmtName->addItems(QVDataEngine::itunesFormats());
    QString format = defaults.stringForKey(QLatin1String(PreferenceKeys::kDefaultFmtNameKey));
    if (format.isEmpty())
        format = QStringLiteral("ALAC");
    _popiTunesFmtName->setCurrentIndex(_popiTunesFmtName->findText(format));

    const bool byParameters = storedBool(PreferenceKeys::kCheckQuanityKey);
    _chkQuanity->setChecked(byParameters);
    if (!byParameters) {
        _popSampleRate->setEnabled(true);
        _popBitRate->setEnabled(true);
        _popChannels->setEnabled(true);
        _sldQuality->setEnabled(false);
    }
    updateQuanityParamPopupButton();
    connect(_popiTunesFmtName, &QComboBox::currentIndexChanged, this,
            &GeneralPreferencesViewController::updateQuanityParamPopupButton);

    _chkRemove->setChecked(storedBool(PreferenceKeys::kRemoveAfterConverteKey));
    _chkCopyMetadata->setChecked(storedBool(PreferenceKeys::kCopyMetadataKey));
    updateAutoSyncButtonState();
}

// The parameter pop-ups offer the choices of the format shown in the format pop-up.
void GeneralPreferencesViewController::updateQuanityParamPopupButton() {
    const auto format = _catalogue.getFormatWithName(_popiTunesFmtName->currentText());
    const QVFormatSetting setting = format.value_or(QVFormatSetting{});
    fillChoices(_popSampleRate, setting.arySampleRate, setting.sampleRate);
    fillChoices(_popBitRate, setting.aryBiteRate, setting.biteRate);
    fillChoices(_popChannels, setting.aryChannels, setting.channels);
}

void GeneralPreferencesViewController::updateAutoSyncButtonState() {
    if (!_chkAutoSync)
        return;
    const QString format = _chosenOutputFormat ? _chosenOutputFormat() : QString();
    PreferenceStore::showAutoSyncState(_chkAutoSync, format);
}

void GeneralPreferencesViewController::controlTextDidChange(const QString& text) {
    PreferenceStore::storePlaylistName(text);
}

void GeneralPreferencesViewController::clickRemoveAfterConverte(bool on) {
    storeBool(PreferenceKeys::kRemoveAfterConverteKey, on);
}

void GeneralPreferencesViewController::clickCopyMetadata(bool on) {
    storeBool(PreferenceKeys::kCopyMetadataKey, on);
}

void GeneralPreferencesViewController::clickAutoSync(bool on) {
    storeBool(PreferenceKeys::kAutoSyncKey, on);
}
