#include "transcoder/tool_buffer_pool.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kEdge = 32; // pixels of margin around the picture
constexpr int kMinAlign = 32;

void poolAssert(bool condition, const char* text, int line) {
    if (condition)
        return;
    av_log(nullptr, AV_LOG_FATAL, "Assertion %s failed at %s:%d\n", text, __FILE__, line);
    std::abort();
}

std::unique_ptr<PoolBuffer> takeIdle(BufferPool& pool) {
    std::lock_guard lock(pool.mutex);
    if (pool.idle.empty())
        return nullptr;
    std::unique_ptr<PoolBuffer> buf = std::move(pool.idle.back());
    pool.idle.pop_back();
    return buf;
}

void giveBack(BufferPool& pool, std::unique_ptr<PoolBuffer> buf) {
    std::lock_guard lock(pool.mutex);
    pool.idle.push_back(std::move(buf));
}

bool fits(const PoolBuffer& buf, int w, int h, AVPixelFormat format) {
    return buf.w == w && buf.h == h && buf.pix_fmt == format;
}

bool usesPool(const AVCodecContext* s) {
    return s->opaque && s->codec_type == AVMEDIA_TYPE_VIDEO && !s->hw_frames_ctx && s->codec &&
           (s->codec->capabilities & AV_CODEC_CAP_DR1);
}

// Plane pointers start past the margin; the palette of a paletted format is not a plane.
void placePlanes(PoolBuffer& buf, const AVPixFmtDescriptor* desc, int align) {
    int hShift = 0;
    int vShift = 0;
    av_pix_fmt_get_chroma_sub_sample(AVPixelFormat(buf.pix_fmt), &hShift, &vShift);
    const int pixelSize = desc->comp[0].step;
    for (int i = 0; i < 4; ++i) {
        if (!buf.base[i] || (i == 1 && (desc->flags & AV_PIX_FMT_FLAG_PAL))) {
            buf.data[i] = buf.base[i];
            continue;
        }
        const int hs = i ? hShift : 0;
        const int vs = i ? vShift : 0;
        const int across = FFALIGN((pixelSize * kEdge) >> hs, align);
        buf.data[i] = buf.base[i] + ((buf.linesize[i] * kEdge) >> vs) + across;
    }
}

} // namespace

PoolBuffer::~PoolBuffer() {
    av_freep(&base[0]);
}

BufferPoolPtr tool_pool_new() {
    return std::make_shared<BufferPool>();
}

std::unique_ptr<PoolBuffer> tool_pool_alloc(AVCodecContext* s, int width, int height,
                                            AVPixelFormat format) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!desc)
        return nullptr;
    int w = width;
    int h = height;
    int linesizeAlign[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(s, &w, &h, linesizeAlign);
    const int align = std::max(kMinAlign, linesizeAlign[0]);

    auto buf = std::make_unique<PoolBuffer>();
    // The margin on each side, and room for the first plane's start to be aligned.
    const int size = av_image_alloc(buf->base, buf->linesize, w + 2 * kEdge + align, h + 2 * kEdge,
                                    format, align);
    if (size < 0) {
        av_log(s, AV_LOG_ERROR, "alloc_buffer: av_image_alloc() failed\n");
        return nullptr;
    }
    buf->size = size;
    std::memset(buf->base[0], 128, static_cast<size_t>(size));
    buf->w = width;
    buf->h = height;
    buf->pix_fmt = format;
    placePlanes(*buf, desc, align);
    return buf;
}

int tool_pool_get_buffer(AVCodecContext* s, AVFrame* frame, int flags) {
    if (!usesPool(s))
        return avcodec_default_get_buffer2(s, frame, flags);
    auto* pool = static_cast<BufferPool*>(s->opaque);
    const auto format = AVPixelFormat(frame->format);
    if (format < 0 || av_image_check_size(frame->width, frame->height, 0, s) < 0) {
        av_log(s, AV_LOG_ERROR, "codec_get_buffer: image parameters invalid\n");
        return -1;
    }

    std::unique_ptr<PoolBuffer> buf = takeIdle(*pool);
    if (buf && !fits(*buf, frame->width, frame->height, format))
        buf.reset();
    if (!buf)
        buf = tool_pool_alloc(s, frame->width, frame->height, format);
    if (!buf)
        return AVERROR(ENOMEM);

    poolAssert(buf->refcount == 0, "buf->refcount == 0", __LINE__);
    AVBufferRef* ref = av_buffer_create(buf->base[0], static_cast<size_t>(buf->size),
                                        tool_pool_release_buffer, buf.get(), 0);
    if (!ref) {
        giveBack(*pool, std::move(buf));
        return AVERROR(ENOMEM);
    }
    buf->refcount = 1;
    buf->pool = pool->shared_from_this();
    for (int i = 0; i < 4; ++i) {
        frame->data[i] = buf->data[i];
        frame->linesize[i] = buf->linesize[i];
    }
    frame->extended_data = frame->data;
    frame->buf[0] = ref;
    buf.release(); // owned by the frame's buffer reference until it is released
    return 0;
}

void tool_pool_release_buffer(void* opaque, uint8_t*) {
    std::unique_ptr<PoolBuffer> buf(static_cast<PoolBuffer*>(opaque));
    poolAssert(buf->refcount > 0, "buf->refcount > 0", __LINE__);
    if (--buf->refcount > 0) {
        buf.release();
        return;
    }
    // The last reference may be the pool's own: keep it until the buffer is back.
    std::shared_ptr<BufferPool> pool = std::move(buf->pool);
    giveBack(*pool, std::move(buf));
}

void tool_pool_free(BufferPoolPtr& pool) {
    if (!pool)
        return;
    std::vector<std::unique_ptr<PoolBuffer>> idle;
    {
        std::lock_guard lock(pool->mutex);
        idle.swap(pool->idle);
    }
    pool.reset();
}
