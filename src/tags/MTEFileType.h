#pragma once

// The tag family of a file, chosen by its extension.
enum MTEFileType : int {
    MTEFileTypeMpeg = 0,  // "mpeg": mp3, flac
    MTEFileTypeM4A = 1,   // "m4a": m4a, mp4, m4r
    MTEFileTypeOther = 4, // "ffmpeg": every other extension
};
