#include "tags/MTEAudioCreator.h"

#include "tags/MTEM4AAudioFile.h"
#include "tags/MTEMpegAudioFile.h"
#include "tags/MTEOtherAudioFile.h"
#include "tags/MTETagKeyMap.h"
#include "tags/MTETagText.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Only a regular file we can open is worth a handler: directories, devices and FIFOs
// (whose open would block) are refused before any open.
bool isReadableRegularFile(const QString& path) {
    if (path.isEmpty())
        return false;
    struct stat info {};
    if (::stat(MTETagText::fileName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace

MTEAudioCreator& MTEAudioCreator::sharedMTEAudioCreator() {
    static MTEAudioCreator instance;
    return instance;
}

int MTEAudioCreator::fileTypeOfPath(const QString& path) {
    return fileTypeOfContainer(containerOfPath(path));
}

int MTEAudioCreator::fileTypeOfPathAndCodec(const QString& path, const QString& probedCodec) {
    const MTEContainer container = containerOfPath(path, probedCodec);
    if (container == MTEContainer::None && containerOfPath(path) != MTEContainer::None)
        qCInfo(lcTags, "%s holds %s audio: its tags are read through FFmpeg", qPrintable(path),
               qPrintable(probedCodec));
    return fileTypeOfContainer(container);
}

MTEContainer MTEAudioCreator::containerOfPath(const QString& path, const QString& probedCodec) {
    struct Row {
        const char* extension;
        MTEContainer container;
        // The audio the container's reader takes; empty: any. A name that holds other
        // audio is no file of that kind.
        QStringList codecs;
    };
    const QStringList mpegAudio{QStringLiteral("mp3"), QStringLiteral("mp2"),
                                QStringLiteral("mp1")};
    const QStringList oggAudio{QStringLiteral("vorbis"), QStringLiteral("opus")};
    const Row rows[] = {
        {"mp3", MTEContainer::Mp3, mpegAudio},
        {"mp2", MTEContainer::Mp2, mpegAudio},
        {"flac", MTEContainer::Flac, {QStringLiteral("flac")}},
        {"ogg", MTEContainer::OggVorbis, oggAudio},
        {"oga", MTEContainer::OggVorbis, oggAudio},
        {"opus", MTEContainer::OggOpus, oggAudio},
        {"wma", MTEContainer::Asf, {}},
        {"wav", MTEContainer::Wav, {}},
        {"aiff", MTEContainer::Aiff, {}},
        {"aif", MTEContainer::Aiff, {}},
        {"m4a", MTEContainer::Mp4, {}},
        {"mp4", MTEContainer::Mp4, {}},
        {"m4r", MTEContainer::Mp4, {}},
    };
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const Row& row : rows) {
        if (extension != QLatin1String(row.extension))
            continue;
        if (probedCodec.isEmpty() || row.codecs.isEmpty())
            return row.container;
        if (!row.codecs.contains(probedCodec, Qt::CaseInsensitive))
            return MTEContainer::None;
        if (row.codecs == oggAudio) // an Ogg file is read by the kind of its stream
            return probedCodec.compare(QLatin1String("opus"), Qt::CaseInsensitive) == 0
                       ? MTEContainer::OggOpus
                       : MTEContainer::OggVorbis;
        return row.container;
    }
    return MTEContainer::None;
}

int MTEAudioCreator::fileTypeOfContainer(MTEContainer container) {
    switch (container) {
    case MTEContainer::None:
        return MTEFileTypeOther;
    case MTEContainer::Mp4:
        return MTEFileTypeM4A;
    default:
        return MTEFileTypeMpeg;
    }
}

std::shared_ptr<MTEAudioFile> MTEAudioCreator::makeHandlerOfType(int fileType) {
    switch (fileType) {
    case MTEFileTypeMpeg:
        return std::make_shared<MTEMpegAudioFile>();
    case MTEFileTypeM4A:
        return std::make_shared<MTEM4AAudioFile>();
    default:
        return std::make_shared<MTEOtherAudioFile>();
    }
}

std::shared_ptr<MTEAudioFile> MTEAudioCreator::creatFileWithPathShouldDump(
    const QString& path, bool shouldDump, const QString& probedCodec,
    const std::optional<MTEFfmpegMetadata::Entries>& probedTags) const {
    if (!isReadableRegularFile(path)) {
        qCInfo(lcTags, "no readable file for tags at %s", qPrintable(path));
        return nullptr;
    }
    const int fileType = fileTypeOfPathAndCodec(path, probedCodec);
    std::shared_ptr<MTEAudioFile> handler = makeHandlerOfType(fileType);
    handler->eumFileType = fileType;
    handler->eumContainer = containerOfPath(path, probedCodec);
    handler->strFilePath = path;
    handler->dicMap = MTETagKeyMap::familyMap(MTETagKeyMap::familyOfFileType(fileType));
    handler->ffmpegEntries = probedTags;
    if (shouldDump)
        handler->dumpMediaAttribInfo();
    handler->strOutFileName = QFileInfo(path).fileName();
    return handler;
}
