#include "shell/AdvancedPreferencesViewController.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "utils/VTFileLocalManager.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace {

constexpr int kViewWidth = 440;
constexpr int kViewHeight = 130;

// A gear: the advanced-preferences picture.
QIcon gearImage() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath gear;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double angle = i * std::numbers::pi / teeth;
        const double radius = (i % 2 == 0) ? 27.0 : 21.0;
        const QPointF corner(32 + radius * std::cos(angle), 32 + radius * std::sin(angle));
        if (i == 0)
            gear.moveTo(corner);
        else
            gear.lineTo(corner);
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(32, 32), 8, 8);
    painter.setPen(QPen(QColor(0x3a, 0x3d, 0x42), 2));
    painter.setBrush(QColor(0x8a, 0x8e, 0x94));
    painter.drawPath(gear);
    return QIcon(pixmap);
}

} // namespace

AdvancedPreferencesViewController::AdvancedPreferencesViewController() = default;

AdvancedPreferencesViewController::~AdvancedPreferencesViewController() = default;

QString AdvancedPreferencesViewController::identifier() const {
    return QStringLiteral("AdvancedPreferences");
}

QIcon AdvancedPreferencesViewController::toolbarItemImage() const {
    return gearImage();
}

QString AdvancedPreferencesViewController::toolbarItemLabel() const {
    return QCoreApplication::translate("Localizable", "Advanced");
}

QWidget* AdvancedPreferencesViewController::view() {
    if (!_view) {
        buildView();
        awakeFromNib();
    }
    return _view.get();
}

QString AdvancedPreferencesViewController::getOutputPath() {
    return VTFileLocalManager::userRealHomeDirectory() +
           QStringLiteral("/Music/%1").arg(QLatin1String(kProductNameString));
}

void AdvancedPreferencesViewController::buildView() {
    _view = std::make_unique<QWidget>();
    _view->setObjectName(QStringLiteral("AdvancedPreferencesView"));
    _view->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QWidget* view = _view.get();
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 16, 20, 16);

    layout->addWidget(new QLabel(QStringLiteral("Default output folder:"), view));
    auto* folderRow = new QHBoxLayout;
    _tfOutputFolder = new QLineEdit(view);
    _tfOutputFolder->setReadOnly(true);
    folderRow->addWidget(_tfOutputFolder, 1);
    _btnShowOutputFolder = new QPushButton(QStringLiteral("Show"), view);
    folderRow->addWidget(_btnShowOutputFolder);
    layout->addLayout(folderRow);

    _chkDeleteOutputFiles = new QCheckBox(QStringLiteral("Delete output files"), view);
    layout->addWidget(_chkDeleteOutputFiles);
    layout->addStretch(1);

    connect(_chkDeleteOutputFiles, &QCheckBox::clicked, this,
            &AdvancedPreferencesViewController::clickDeleteOutputFiles);
    connect(_btnShowOutputFolder, &QPushButton::clicked, this,
            &AdvancedPreferencesViewController::clickShowOutputFolder);
}

void AdvancedPreferencesViewController::awakeFromNib() {
    _view->resize(kViewWidth, kViewHeight);
    const QString folder = getOutputPath();
    VTFileLocalManager::MakeSureFolderExsist(folder);
    _tfOutputFolder->setText(folder);
    _chkDeleteOutputFiles->setChecked(UserDefaults::standardUserDefaults().boolForKey(
        QLatin1String(PreferenceKeys::kDeleteOutputFileKey)));
}

void AdvancedPreferencesViewController::clickDeleteOutputFiles(bool on) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(QLatin1String(PreferenceKeys::kDeleteOutputFileKey), on);
    defaults.synchronize();
}

void AdvancedPreferencesViewController::clickShowOutputFolder() {
    Workspace::openFile(getOutputPath());
}
