#include "FakeFfmpeg.h"

#include "engine/FFMpegLauncher.h"

QString FakeFfmpeg::path(const QString& name) {
    return QStringLiteral(QUAVERLY_TEST_SUPPORT_DIR "/fake-ffmpeg/") + name;
}

FakeFfmpeg::Scope::Scope(const QString& programPath) {
    FFMpegLauncher::setFFMpegPathOverride(programPath);
}

FakeFfmpeg::Scope::~Scope() {
    FFMpegLauncher::setFFMpegPathOverride(QString());
}
