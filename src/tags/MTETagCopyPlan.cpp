#include "tags/MTETagCopyPlan.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEId3File.h"

#include <QFileInfo>

#include <taglib/infotag.h>

namespace {

bool isCaf(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("caf"), Qt::CaseInsensitive) == 0;
}

// The muxers that keep any key of ffmpeg's copy: ID3v2 (MP3, the ID3 chunk of AIFF), Vorbis
// comments, ASF attributes and CAF's information strings.
bool muxerKeepsAnyKey(MTEContainer output, bool caf) {
    switch (output) {
    case MTEContainer::Mp3:
    case MTEContainer::Flac:
    case MTEContainer::OggVorbis:
    case MTEContainer::OggOpus:
    case MTEContainer::Asf:
    case MTEContainer::Aiff:
        return true;
    case MTEContainer::None:
        return caf;
    default:
        return false;
    }
}

// FFmpeg reads a WAV file's ID3 chunk only when the file has no INFO chunk.
bool ffmpegSeesTagsOf(const MTEAudioFile* source) {
    if (!source || source->container() != MTEContainer::Wav)
        return true;
    MTEId3File file(source->strFilePath, MTEContainer::Wav, false);
    const TagLib::RIFF::Info::Tag* info = file.infoTag();
    return !file.tag(false) || !info || info->isEmpty();
}

} // namespace

MTETagCopyPlan MTETagCopyPlan::of(const MTEAudioFile* source, const QString& outputPath) {
    MTETagCopyPlan plan;
    plan.output = MTEAudioCreator::containerOfPath(outputPath);
    const bool caf = plan.output == MTEContainer::None && isCaf(outputPath);
    if (plan.output != MTEContainer::None)
        plan.writer = Writer::TagLib;
    else if (caf)
        plan.writer = Writer::Options;
    plan.aiffId3Chunk = plan.output == MTEContainer::Aiff;
    if (plan.output == MTEContainer::Asf)
        plan.ffmpegMaxTextLength = MTEAsfTags::kMaxTextLength;
    plan.ffmpegCarriesOtherFields = muxerKeepsAnyKey(plan.output, caf) && ffmpegSeesTagsOf(source);
    return plan;
}
