#include "tags/MTETagCopyPlan.h"

#include "tags/MTEAsfTags.h"
#include "tags/MTEAudioCreator.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTETagProperties.h"

#include <QFileInfo>

#include <algorithm>

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

// What libavformat read from the source when the row was loaded, else a read of it now.
MTEFfmpegMetadata::Entries ffmpegTagsOf(const MTEAudioFile* source) {
    if (!source)
        return {};
    if (source->ffmpegEntries)
        return *source->ffmpegEntries;
    MTEFfmpegMetadata metadata;
    metadata.read(source->strFilePath);
    return metadata.entries;
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
    plan._muxerKeepsAnyKey = muxerKeepsAnyKey(plan.output, caf);
    plan.sourceTags = ffmpegTagsOf(source);
    for (const auto& [key, value] : std::as_const(plan.sourceTags)) {
        if (key.contains(u'=') && plan.keepsOutOfFfmpegCopy(value))
            plan.rebuildsFfmpegCopy = true;
    }
    for (const auto& [key, value] : std::as_const(plan.sourceTags)) {
        const bool lostInRebuild = plan.rebuildsFfmpegCopy && key.contains(u'=');
        if (!lostInRebuild && !plan.keepsOutOfFfmpegCopy(value))
            plan._copiedValues.insert(value);
    }
    return plan;
}

bool MTETagCopyPlan::keepsOutOfFfmpegCopy(const QString& value) const {
    return ffmpegMaxTextLength > 0 && value.size() > ffmpegMaxTextLength;
}

bool MTETagCopyPlan::ffmpegKeepsWhole(const MTECarriedField& field) const {
    return _muxerKeepsAnyKey && field.values.size() < 2 &&
           std::all_of(field.values.begin(), field.values.end(),
                       [this](const QString& value) { return _copiedValues.contains(value); });
}
