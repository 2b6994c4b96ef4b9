#pragma once

// The kind of file a tag handler reads and writes through TagLib. None: a file whose tags
// only FFmpeg reads and that takes no tags written by TagLib.
enum class MTEContainer {
    None,
    Mp3,       // ID3v2 (or ID3v1) in an MPEG audio file
    Mp2,       // the same in an MPEG-1/2 Layer II file; ffmpeg writes it none of its own
    Flac,      // Vorbis comment and picture blocks
    OggVorbis, // Vorbis comment of an Ogg stream, pictures as METADATA_BLOCK_PICTURE
    OggOpus,   // the same for Opus
    Asf,       // WMA: content description and extended attributes
    Wav,       // an ID3v2 chunk; read from a RIFF INFO chunk when it has none
    Aiff,      // an ID3v2 chunk
    Mp4,       // MP4 items
};
