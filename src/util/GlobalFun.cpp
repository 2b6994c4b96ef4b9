#include "util/GlobalFun.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"

#include "utils/VTFileLocalManager.h"
#include "utils/VTGlobalFunctions.h"

#include <QSysInfo>
#include <QUuid>
#include <QVersionNumber>

#include <climits>
#include <cmath>

QByteArray GlobalFun::imageDataRepresentationOfType(const QImage& image, const QString& type) {
    return VTGlobalFunctions::imageDataRepresentationOfType(image, type);
}

QString GlobalFun::getEstimateStrBySecond(double secondsLeft) {
    return VTGlobalFunctions::getEstimateStrBySecond(secondsLeft);
}

double GlobalFun::getSecondsByTimeString(const QString& text) {
    return VTGlobalFunctions::getSecondsByTimeString(text);
}

QString GlobalFun::encodedURLParameterString(const QString& text) {
    return VTGlobalFunctions::encodedURLParameterString(text);
}

bool GlobalFun::MakeSureFolderExsist(const QString& folder) {
    return VTGlobalFunctions::MakeSureFolderExsist(folder);
}

QString GlobalFun::makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                             const QString& extension) {
    return VTGlobalFunctions::makeSureFullPathIdenticalAndHaveExtention(path, extension);
}

QStringList GlobalFun::fileListAtDirenctory(const QString& folder,
                                            const std::function<bool()>& shouldStop) {
    return VTFileLocalManager::fileListAtDirenctory(folder, shouldStop);
}

QString GlobalFun::getTimeStringBySecond(double seconds) {
    int s = 0;
    if (std::isfinite(seconds) && seconds > 0.0)
        s = seconds >= double(INT_MAX) ? INT_MAX : int(seconds);
    const int h = s / 3600;
    const int m = (s - 3600 * h) / 60;
    const int c = s - 60 * (s / 60);
    QString text;
    if (h != 0)
        text += QString::asprintf("%2d:", h);
    text += m == 0 ? QStringLiteral("00:") : QString::asprintf("%d:", m);
    text += QString::asprintf("%02d", c);
    return text;
}

namespace {
QVersionNumber systemVersion() {
    return QVersionNumber::fromString(QSysInfo::productVersion());
}
} // namespace

int GlobalFun::getCurrentOSVersion() {
    const QVersionNumber version = systemVersion();
    if (version.isNull())
        return 0;
    return version.majorVersion() * 10000 + version.minorVersion() * 100 + version.microVersion();
}

void GlobalFun::getMajorMinorBugFix(qint64* major, qint64* minor, qint64* bugFix) {
    const QVersionNumber version = systemVersion();
    qint64* targets[] = {major, minor, bugFix};
    for (int i = 0; i < 3; ++i) {
        if (i >= version.segmentCount())
            return;
        if (targets[i])
            *targets[i] = version.segmentAt(i);
    }
}

QString GlobalFun::getGUID() {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    QString guid = defaults.stringForKey(QLatin1String(PreferenceKeys::kGuidKey));
    if (guid.isEmpty()) {
        guid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        defaults.setObject(QLatin1String(PreferenceKeys::kGuidKey), guid);
        defaults.synchronize();
    }
    return guid;
}
