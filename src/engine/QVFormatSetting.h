#pragma once

#include <QString>
#include <QStringList>

// One output format of the catalogue with the user's current choices. A value: a copy owns
// its choice lists, so changing a copy never changes the catalogue.
struct QVFormatSetting {
    QStringList arySampleRate;
    QStringList aryBiteRate;
    QStringList aryChannels;
    QString fmtName; // title: the catalogue key and the text of the format pop-up
    QString fmtDescribe;
    QString sampleRate;  // current choice: Hz, or "Use Source"
    QString biteRate;    // current choice: kbit/s, or "Use Source"
    QString channels;    // current choice: "Stereo", "Mono", "Use Source", ...
    QString decodecName; // encoder after "-acodec"; null when the catalogue maps none
    QString outputExtName;
    QString strImgFileName;
    QString outputPath;
    int enumAddToiTunes = 0;
    bool isSaveAsOriginal = false;

    bool operator==(const QVFormatSetting&) const = default;
};
