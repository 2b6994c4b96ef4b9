#pragma once

#include <QVariant>

#include <cstdint>

class LSMediaDecoder;

// Receives a preview decoder's reports. Every method is optional; held as a non-owning
// pointer.
class LSMediaDecoderDelegate {
public:
    virtual ~LSMediaDecoderDelegate() = default;

    // Playback time in seconds, about 24 times a second while a preview plays.
    virtual void LSMediaDecoderDecodeProgress(LSMediaDecoder* decoder, double seconds) {
        (void)decoder;
        (void)seconds;
    }
    // Packed RGB24 picture data.
    virtual void decoderDidReplayImageDataWidthHeight(const uint8_t* data, int width, int height) {
        (void)data;
        (void)width;
        (void)height;
    }
    virtual void audioCallBackWithSamples(const QVariant& samples) { (void)samples; }
    // The preview could not play (unreadable file, no decoder, no audio device): nothing more
    // will be reported for it. The decoder may be released from here.
    virtual void LSMediaDecoderPlaybackFailed(LSMediaDecoder* decoder) { (void)decoder; }
};
