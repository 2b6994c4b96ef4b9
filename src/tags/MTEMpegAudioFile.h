#pragma once

#include "tags/MTEAudioFile.h"

namespace TagLib::RIFF::Info {
class Tag;
}

// The "mpeg" family: every file whose tags TagLib reads and writes, each in its own kind of
// tag, seen through ID3v2 frame ids. MPEG audio files (mp3, mp2) and the ID3 chunk of WAV
// and AIFF files hold ID3 tags; a WAV file without one is read from its INFO chunk, an AIFF
// file from its text chunks where its ID3 chunk lacks a field. FLAC
// files are read from an ID3v2 tag when they have one, otherwise from their Vorbis comment,
// and are written through the Vorbis comment, as Ogg Vorbis and Opus files are. WMA files
// keep ASF attributes.
class MTEMpegAudioFile : public MTEAudioFile {
public:
    bool dumpMediaAttribInfo() override;
    MTETagWriteResult saveID3AttribPath(int mode, const QString& path) override;
    std::shared_ptr<MTEAudioFile> copy() const override;

private:
    bool dumpId3File();
    bool dumpFlacFile();
    void dumpRiffInfo(const TagLib::RIFF::Info::Tag* info);
    void dumpAiffChunks(const QList<std::pair<QByteArray, QString>>& chunks);
    // The chunks' values of the fields that hold no text yet.
    void readAiffChunks(const QList<std::pair<QByteArray, QString>>& chunks);
};
