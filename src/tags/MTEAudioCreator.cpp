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
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("mp3") || extension == QLatin1String("flac"))
        return MTEFileTypeMpeg;
    if (extension == QLatin1String("m4a") || extension == QLatin1String("mp4") ||
        extension == QLatin1String("m4r"))
        return MTEFileTypeM4A;
    return MTEFileTypeOther;
}

int MTEAudioCreator::fileTypeOfPathAndCodec(const QString& path, const QString& probedCodec) {
    const int byName = fileTypeOfPath(path);
    if (byName != MTEFileTypeMpeg || probedCodec.isEmpty())
        return byName;
    const bool flacName =
        QFileInfo(path).suffix().compare(QLatin1String("flac"), Qt::CaseInsensitive) == 0;
    const QStringList fitting =
        flacName ? QStringList{QStringLiteral("flac")}
                 : QStringList{QStringLiteral("mp3"), QStringLiteral("mp2"), QStringLiteral("mp1")};
    if (fitting.contains(probedCodec, Qt::CaseInsensitive))
        return byName;
    qCInfo(lcTags, "%s holds %s audio: its tags are read through FFmpeg", qPrintable(path),
           qPrintable(probedCodec));
    return MTEFileTypeOther;
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

std::shared_ptr<MTEAudioFile>
MTEAudioCreator::creatFileWithPathShouldDump(const QString& path, bool shouldDump,
                                             const QString& probedCodec) const {
    if (!isReadableRegularFile(path)) {
        qCInfo(lcTags, "no readable file for tags at %s", qPrintable(path));
        return nullptr;
    }
    const int fileType = fileTypeOfPathAndCodec(path, probedCodec);
    std::shared_ptr<MTEAudioFile> handler = makeHandlerOfType(fileType);
    handler->eumFileType = fileType;
    handler->strFilePath = path;
    handler->dicMap = MTETagKeyMap::familyMap(MTETagKeyMap::familyOfFileType(fileType));
    if (shouldDump)
        handler->dumpMediaAttribInfo();
    handler->strOutFileName = QFileInfo(path).fileName();
    return handler;
}
