#include "tags/MTEMpegAudioFile.h"

#include "tags/MTEFlacTags.h"
#include "tags/MTETagText.h"

#include <QFileInfo>

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace {

bool isFlacPath(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("flac"), Qt::CaseInsensitive) == 0;
}

bool hasID3v2Frames(TagLib::ID3v2::Tag* tag) {
    return tag && !tag->frameList().isEmpty();
}

} // namespace

bool MTEMpegAudioFile::dumpMediaAttribInfo() {
    return isFlacPath(strFilePath) ? dumpFlacFile() : dumpMpegFile();
}

bool MTEMpegAudioFile::dumpMpegFile() {
    TagLib::MPEG::File file(MTETagText::fileName(strFilePath).constData(),
                            TagLib::ID3v2::FrameFactory::instance(), true,
                            TagLib::AudioProperties::Average);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a readable MPEG file: %s", qPrintable(strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        dAudioLength = properties->lengthInSeconds();
    if (file.hasID3v2Tag() && hasID3v2Frames(file.ID3v2Tag(false))) {
        dumpID3V2Info(file.ID3v2Tag(false));
    } else {
        qCInfo(lcTags, "tag version 1...,read id3v1 information");
        dumpID3V1Info(file.hasID3v1Tag() ? file.ID3v1Tag(false) : nullptr);
    }
    return true;
}

bool MTEMpegAudioFile::dumpFlacFile() {
    TagLib::FLAC::File file(MTETagText::fileName(strFilePath).constData(),
                            TagLib::ID3v2::FrameFactory::instance(), true,
                            TagLib::AudioProperties::Average);
    if (!file.isValid()) {
        qCWarning(lcTags, "not a readable FLAC file: %s", qPrintable(strFilePath));
        return false;
    }
    if (const auto* properties = file.audioProperties())
        dAudioLength = properties->lengthInSeconds();
    if (file.hasID3v2Tag() && hasID3v2Frames(file.ID3v2Tag(false))) {
        dumpID3V2Info(file.ID3v2Tag(false));
    } else if (MTEFlacTags::hasTags(file)) {
        MTEFlacTags::read(file, *this);
    } else {
        qCInfo(lcTags, "tag version 1...,read id3v1 information");
        dumpID3V1Info(file.hasID3v1Tag() ? file.ID3v1Tag(false) : nullptr);
    }
    return true;
}

bool MTEMpegAudioFile::saveID3AttribPath(int mode, const QString& path) {
    qCInfo(lcTags, "MPEG Save attrib information");
    const QString target = targetPathForMode(mode, path);
    if (target.isEmpty())
        return false;
    const bool flac = isFlacPath(mode == 0 ? target : strFilePath);
    return flac ? MTEFlacTags::write(target, *this) : saveID3V2Info(target);
}

std::shared_ptr<MTEAudioFile> MTEMpegAudioFile::copy() const {
    return std::make_shared<MTEMpegAudioFile>(*this);
}
