#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

// The application's helpers. Most forward to the framework's implementation, so there is
// one behaviour for both; getTimeStringBySecond is the application's own short form.
class GlobalFun {
public:
    static QByteArray imageDataRepresentationOfType(const QImage& image, const QString& type);
    static QString getEstimateStrBySecond(double secondsLeft);
    static double getSecondsByTimeString(const QString& text);
    static QString encodedURLParameterString(const QString& text);
    static bool MakeSureFolderExsist(const QString& folder);
    static QString makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                             const QString& extension);
    static QStringList fileListAtDirenctory(const QString& folder,
                                            const std::function<bool()>& shouldStop = {});

    // "00:05", "1:05", "10:00", " 1:2:05", "10:00:00".
    static QString getTimeStringBySecond(double seconds);
    // Version of the running system as major·10000 + minor·100 + patch; 0 when unknown.
    static int getCurrentOSVersion();
    // Writes major, then minor, then patch; stops at the first part that is unknown.
    static void getMajorMinorBugFix(qint64* major, qint64* minor, qint64* bugFix);
    // A UUID kept in the user's preferences under "guid", made on first use.
    static QString getGUID();
};
