#include "VTCommSystemFunctions.h"

#include "platform/MainBundle.h"

#include <QGuiApplication>

namespace {
QVariant infoValue(const char* key) {
    return MainBundle::mainBundle().objectForInfoDictionaryKey(QString::fromLatin1(key));
}

QString infoText(const char* key) {
    return infoValue(key).toString();
}

QString infoTextOrNull(const char* key) {
    const QVariant value = infoValue(key);
    return value.isValid() ? value.toString() : QStringLiteral("(null)");
}
} // namespace

QString VTCommSystemFunctions::getProductName() {
    return infoText("CFBundleName");
}

QString VTCommSystemFunctions::getSoftwareVersion() {
    return QStringLiteral("Version %1 (%2)")
        .arg(infoTextOrNull("CFBundleShortVersionString"), infoTextOrNull("CFBundleVersion"));
}

QIcon VTCommSystemFunctions::getSoftwareIcon() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return app->windowIcon();
    return {};
}

QString VTCommSystemFunctions::getCopyrightRight() {
    return infoText("NSHumanReadableCopyright");
}

QString VTCommSystemFunctions::getSupportMail() {
    return infoText("SupportMail");
}

QString VTCommSystemFunctions::getDevMail() {
    return infoText("DevMail");
}

QString VTCommSystemFunctions::getHomepageUrl() {
    return infoText("HomepageUrl");
}

QString VTCommSystemFunctions::getSupportUrl() {
    return infoText("SupportUrl");
}

QString VTCommSystemFunctions::getSlogn() {
    return infoText("Slogn");
}
