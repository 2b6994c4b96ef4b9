#include "TranscoderTestSupport.h"

#include "transcoder/ffmpeg_handles.h"
#include "transcoder/tool_buffer_pool.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kWidth = 70; // not a multiple of the block size
constexpr int kHeight = 46;

using Packet = std::vector<uint8_t>;

void paint(AVFrame* frame, int n) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            frame->data[0][y * frame->linesize[0] + x] = uint8_t(x * 3 + y * 5 + n * 40);
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < kHeight / 2; ++y)
            for (int x = 0; x < kWidth / 2; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = uint8_t(90 + plane * 30 + n);
}

std::vector<Packet> mjpegPackets(int count) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    CodecContextPtr enc(avcodec_alloc_context3(codec));
    enc->width = kWidth;
    enc->height = kHeight;
    enc->pix_fmt = AV_PIX_FMT_YUVJ420P;
    enc->time_base = {1, 25};
    EXPECT_EQ(avcodec_open2(enc.get(), codec, nullptr), 0);
    std::vector<Packet> packets;
    FramePtr frame(av_frame_alloc());
    frame->format = enc->pix_fmt;
    frame->width = kWidth;
    frame->height = kHeight;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    AVPacket* pkt = av_packet_alloc();
    for (int n = 0; n < count; ++n) {
        EXPECT_EQ(av_frame_make_writable(frame.get()), 0);
        paint(frame.get(), n);
        frame->pts = n;
        EXPECT_EQ(avcodec_send_frame(enc.get(), frame.get()), 0);
        while (avcodec_receive_packet(enc.get(), pkt) == 0) {
            packets.emplace_back(pkt->data, pkt->data + pkt->size);
            av_packet_unref(pkt);
        }
    }
    av_packet_free(&pkt);
    return packets;
}

CodecContextPtr openDecoder(BufferPool* pool) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    CodecContextPtr dec(avcodec_alloc_context3(codec));
    dec->thread_count = 1;
    dec->thread_type = FF_THREAD_SLICE;
    if (pool) {
        dec->opaque = pool;
        dec->get_buffer2 = tool_pool_get_buffer;
    }
    EXPECT_EQ(avcodec_open2(dec.get(), codec, nullptr), 0);
    return dec;
}

FramePtr decode(AVCodecContext* dec, const Packet& data) {
    AVPacket* pkt = av_packet_alloc();
    av_new_packet(pkt, int(data.size()));
    std::copy(data.begin(), data.end(), pkt->data);
    EXPECT_EQ(avcodec_send_packet(dec, pkt), 0);
    av_packet_free(&pkt);
    FramePtr frame(av_frame_alloc());
    EXPECT_EQ(avcodec_receive_frame(dec, frame.get()), 0);
    return frame;
}

// The visible pixels of all three planes.
std::vector<uint8_t> pixels(const AVFrame* frame) {
    std::vector<uint8_t> all;
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane ? (frame->width + 1) / 2 : frame->width;
        const int h = plane ? (frame->height + 1) / 2 : frame->height;
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = frame->data[plane] + y * frame->linesize[plane];
            all.insert(all.end(), row, row + w);
        }
    }
    return all;
}

size_t idleCount(BufferPool& pool) {
    std::lock_guard lock(pool.mutex);
    return pool.idle.size();
}

TEST(BufferPool, DecodesTheSamePicturesAsTheDefaultBuffersAndReusesOneBuffer) {
    const std::vector<Packet> packets = mjpegPackets(8);
    ASSERT_EQ(packets.size(), 8u);
    BufferPoolPtr pool = tool_pool_new();
    CodecContextPtr pooled = openDecoder(pool.get());
    CodecContextPtr plain = openDecoder(nullptr);

    for (const Packet& packet : packets) {
        FramePtr fromPool = decode(pooled.get(), packet);
        FramePtr fromDefault = decode(plain.get(), packet);
        ASSERT_EQ(fromPool->width, kWidth);
        EXPECT_EQ(av_buffer_get_opaque(fromPool->buf[0]) != nullptr, true);
        EXPECT_EQ(pixels(fromPool.get()), pixels(fromDefault.get()));
    }
    pooled.reset(); // the decoder may keep its last picture
    const size_t buffers = idleCount(*pool);
    EXPECT_GE(buffers, 1u);
    EXPECT_LE(buffers, 2u) << "pictures went back to the pool and were taken again";
}

TEST(BufferPool, AFrameOutlivesItsFreedPool) {
    const std::vector<Packet> packets = mjpegPackets(1);
    BufferPoolPtr pool = tool_pool_new();
    CodecContextPtr dec = openDecoder(pool.get());
    FramePtr frame = decode(dec.get(), packets.front());
    dec.reset();
    const std::vector<uint8_t> before = pixels(frame.get());
    tool_pool_free(pool);
    EXPECT_EQ(pool, nullptr);
    EXPECT_EQ(pixels(frame.get()), before);
    frame.reset(); // gives the buffer back to the pool it keeps alive, which then goes
}

TEST(BufferPool, InvalidPictureSizeIsRefused) {
    BufferPoolPtr pool = tool_pool_new();
    CodecContextPtr dec = openDecoder(pool.get());
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUVJ420P;
    frame->width = 0;
    frame->height = 0;
    LogCapture log;
    EXPECT_EQ(tool_pool_get_buffer(dec.get(), frame.get(), 0), -1);
    EXPECT_NE(log.str().find("codec_get_buffer: image parameters invalid\n"), std::string::npos);
}

} // namespace
