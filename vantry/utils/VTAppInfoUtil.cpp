#include "VTAppInfoUtil.h"

#include "platform/MainBundle.h"

namespace {
QString infoString(const char* key) {
    return MainBundle::mainBundle().objectForInfoDictionaryKey(QString::fromLatin1(key)).toString();
}
} // namespace

QString VTAppInfoUtil::appName() {
    return infoString("CFBundleName");
}

QString VTAppInfoUtil::bundleIdentifier() {
    return infoString("CFBundleIdentifier");
}

QString VTAppInfoUtil::bundleVersion() {
    return infoString("CFBundleShortVersionString");
}
