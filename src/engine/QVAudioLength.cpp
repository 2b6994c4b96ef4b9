#include "engine/QVAudioLength.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextCloser>;

struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using Packet = std::unique_ptr<AVPacket, PacketFree>;

FormatContext openWithStreamInfo(const QString& path) {
    // The "file:" prefix keeps a colon in the name from being read as a protocol.
    const QByteArray url =
        QByteArrayLiteral("file:") + QFile::encodeName(QFileInfo(path).absoluteFilePath());
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return nullptr;
    FormatContext context(raw);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return nullptr;
    return context;
}

// In the stream's time base: the packets' lengths added up, or the span of their
// timestamps where that is longer (a demuxer may leave a packet's length unset).
double countedTicks(AVFormatContext* context, int index) {
    const Packet packet(av_packet_alloc());
    if (!packet)
        return 0.0;
    double total = 0.0;
    double first = INFINITY;
    double end = -INFINITY;
    while (av_read_frame(context, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            const double length = double(std::max<int64_t>(packet->duration, 0));
            total += length;
            if (packet->pts != AV_NOPTS_VALUE) {
                first = std::min(first, double(packet->pts));
                end = std::max(end, double(packet->pts) + length);
            }
        }
        av_packet_unref(packet.get());
    }
    return std::max(total, end - first);
}

} // namespace

std::optional<double> QVAudioLength::secondsIn(const QString& path) {
    const FormatContext context = openWithStreamInfo(path);
    if (!context)
        return std::nullopt;
    const int index = av_find_best_stream(context.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return std::nullopt;
    const AVStream* stream = context->streams[index];
    const bool stated =
        stream->duration > 0 && context->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE;
    const double ticks = stated ? double(stream->duration) : countedTicks(context.get(), index);
    const double seconds = ticks * av_q2d(stream->time_base);
    if (!std::isfinite(seconds))
        return std::nullopt;
    return std::max(seconds, 0.0);
}
