#pragma once

// A pool of decoder picture buffers, handed out through the decoder's get_buffer2 and taken
// back when the last frame reference to a buffer goes. The decoder context's opaque points
// at the BufferPool. Decoders may ask from several threads, so the pool keeps its own lock,
// and a buffer still held by a frame keeps its pool alive.

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <memory>
#include <mutex>
#include <vector>

struct BufferPool;

struct PoolBuffer {
    uint8_t* base[4] = {};
    uint8_t* data[4] = {};
    int linesize[4] = {};
    int h = 0;
    int w = 0;
    int pix_fmt = -1;
    int refcount = 0;
    std::shared_ptr<BufferPool> pool; // set while a frame holds the buffer
    int size = 0;                     // bytes of the image at base[0]

    PoolBuffer() = default;
    PoolBuffer(const PoolBuffer&) = delete;
    PoolBuffer& operator=(const PoolBuffer&) = delete;
    ~PoolBuffer();
};

struct BufferPool : std::enable_shared_from_this<BufferPool> {
    std::mutex mutex;
    std::vector<std::unique_ptr<PoolBuffer>> idle; // the most recently returned last
};
using BufferPoolPtr = std::shared_ptr<BufferPool>;

BufferPoolPtr tool_pool_new();

// get_buffer2 for video decoders; other media, hardware frames and decoders without direct
// rendering get the default buffers.
int tool_pool_get_buffer(AVCodecContext* s, AVFrame* frame, int flags);

// The buffer free callback of the frames the pool hands out: drops one reference.
void tool_pool_release_buffer(void* opaque, uint8_t* data);

// A new buffer for a width × height picture of the given format; null on failure.
std::unique_ptr<PoolBuffer> tool_pool_alloc(AVCodecContext* s, int width, int height,
                                            AVPixelFormat format);

// Frees the pool's idle buffers and lets go of it; buffers still held by frames free
// themselves when released.
void tool_pool_free(BufferPoolPtr& pool);
