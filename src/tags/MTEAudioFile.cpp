#include "tags/MTEAudioFile.h"

MTEAudioFile::~MTEAudioFile() = default;

std::shared_ptr<MTEAudioFile> MTEAudioFile::copy() const {
    return std::make_shared<MTEAudioFile>(*this);
}

QVariantMap MTEAudioFile::encodeWithCoder() const {
    return {{QStringLiteral("dicMap"), dicMap}, {QStringLiteral("dicReadInfo"), dicReadInfo}};
}

std::shared_ptr<MTEAudioFile> MTEAudioFile::initWithCoder(const QVariantMap& coder) {
    auto file = std::make_shared<MTEAudioFile>();
    file->dicMap = coder.value(QStringLiteral("dicMap")).toMap();
    file->dicReadInfo = coder.value(QStringLiteral("dicReadInfo")).toMap();
    return file;
}
