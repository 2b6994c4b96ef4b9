#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Files for the probing tests, made once per test program with the ffmpeg program.
struct ProbeSample {
    QString name;      // what the case is called in test output
    QString path;      // the file
    QString codecName; // expected audio codec name, empty for none
};

class ProbeSamples {
public:
    // One four-second audio file of each output format of the catalogue.
    static const std::vector<ProbeSample>& catalogue();
    // A folder of this test program holding every generated sample.
    static QString folder();
    // A sine WAV of the given length (cached by length).
    static QString wav(double seconds);
    static QString videoOnlyMp4();
    static QString videoAndAudioMp4();
    static QString subtitleOnlySrt();
    static QString subtitleOnlyMkv();
    // A copy of the first bytes of source, named after the case.
    static QString truncatedCopy(const QString& source, qint64 bytes, const QString& name);
};
