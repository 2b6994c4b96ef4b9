#pragma once

#include "tags/MTEAudioFile.h"
#include "tags/MTEContainer.h"
#include "tags/MTEFfmpegMetadata.h"

#include <QString>

#include <memory>
#include <optional>

// Makes the tag handler that fits a file. It keeps no state between calls, so the loader
// thread and several conversion threads may call it at once.
class MTEAudioCreator {
public:
    static MTEAudioCreator& sharedMTEAudioCreator();

    // A handler for the file, its tags read when shouldDump is set; null when there is no
    // readable regular file at the path. probedCodec is the audio codec a probe found in
    // the file (FFmpeg's name), or empty when unknown (see fileTypeOfPathAndCodec);
    // probedTags the probe's libavformat reading of its tags, which the handler then takes
    // as its ffmpegEntries instead of reading them itself where it needs them.
    std::shared_ptr<MTEAudioFile> creatFileWithPathShouldDump(
        const QString& path, bool shouldDump, const QString& probedCodec = QString(),
        const std::optional<MTEFfmpegMetadata::Entries>& probedTags = std::nullopt) const;

    // The tag family of a path by its extension (case-insensitive).
    static int fileTypeOfPath(const QString& path);
    // The family by the extension, unless the probed audio says the name is wrong: a file
    // named .mp3 or .flac holding other audio goes to FFmpeg's reader, since TagLib's MPEG
    // and FLAC readers search the whole file for their frames (half a minute for 400 MB).
    static int fileTypeOfPathAndCodec(const QString& path, const QString& probedCodec);
    // The container TagLib reads the file as, by its extension and, when known, the probed
    // audio codec: an Ogg file holds Vorbis or Opus, and a name that lies about the audio
    // leaves the file to FFmpeg's reader.
    static MTEContainer containerOfPath(const QString& path, const QString& probedCodec = {});
    // Every container but MP4 and None is read and written in the "mpeg" family.
    static int fileTypeOfContainer(MTEContainer container);
    // An empty handler of the class that serves the family.
    static std::shared_ptr<MTEAudioFile> makeHandlerOfType(int fileType);
};
