#include "util/QVFileLocalManager.h"

#include "platform/PreferenceKeys.h"
#include "platform/UserFolders.h"
#include "util/GlobalFun.h"

#include "utils/VTFileLocalManager.h"

QString RealHomeDirectory2() {
    return RealHomeDirectory();
}

namespace {
QString upperOutputDir() {
    return UserFolders::musicDirectory() + u'/' + QLatin1String(kProductNameString);
}
} // namespace

QString QVFileLocalManager::getDefaultOutputDir(const QString& subFolder) {
    return upperOutputDir() + u'/' + subFolder;
}

QString QVFileLocalManager::getDefaultUpperOutputDir() {
    const QString folder = upperOutputDir();
    GlobalFun::MakeSureFolderExsist(folder);
    return folder;
}
