#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Stateless helpers for time texts, folders, escaping, unique output paths and image data.
// Every function is callable from any thread.
class VTGlobalFunctions {
public:
    // "HH:MM:SS"; hours are not limited to two digits.
    static QString getTimeStringBySecond(double seconds);
    // Each non-null out-pointer gets its part; the last counts hundredths of a second.
    static void getTimeStringBySecondHourMiniteSecondsMmSeconds(double seconds, int* hour,
                                                                int* minite, int* second,
                                                                int* mmSeconds);
    // "2 minites 5 seconds remaining" and the like.
    static QString getEstimateStrBySecond(double secondsLeft);
    // "H:M:S" (parts read from the left, fractions allowed) to seconds; junk counts 0.
    static double getSecondsByTimeString(const QString& text);

    static bool MakeSureFolderExsist(const QString& folder);
    static QString encodedURLParameterString(const QString& text);

    // A path with the given extension at which nothing existed; the file is created empty
    // to reserve it, so two callers never receive the same path. A "(n)" counter goes into
    // the file name, never into a folder name.
    static QString makeSureFullPathIdenticalAndHaveExtention(const QString& path,
                                                             const QString& extension);

    // The image encoded as "tif"/"tiff", "bmp", "gif", "jpg"/"jpeg" or "png"; a null
    // QByteArray for any other word or when encoding fails.
    static QByteArray imageDataRepresentationOfType(const QImage& image, const QString& type);
};
