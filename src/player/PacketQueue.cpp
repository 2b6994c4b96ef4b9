#include "player/PacketQueue.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mem.h>
}

#include <cstring>

namespace {
constexpr char kFlushText[] = "FLUSH";
}

AVPacket flush_pkt;

void player_flush_packet_init() {
    std::memset(&flush_pkt, 0, sizeof(flush_pkt));
    flush_pkt.pts = AV_NOPTS_VALUE;
    flush_pkt.dts = AV_NOPTS_VALUE;
    flush_pkt.pos = -1;
    flush_pkt.data = reinterpret_cast<uint8_t*>(const_cast<char*>(kFlushText));
}

bool player_is_flush_packet(const AVPacket* pkt) {
    return pkt->data == reinterpret_cast<const uint8_t*>(kFlushText);
}

void player_queue_init(PacketQueue* q) {
    std::memset(q, 0, sizeof(*q));
    q->mutex = SDL_CreateMutex();
    q->cond = SDL_CreateCond();
    q->abort_request = 1;
}

void player_queue_start(PacketQueue* q) {
    SDL_LockMutex(q->mutex);
    q->abort_request = 0;
    AVPacket marker = flush_pkt;
    player_queue_append(q, &marker);
    SDL_UnlockMutex(q->mutex);
}

int player_queue_put(PacketQueue* q, AVPacket* pkt) {
    const bool isFlush = player_is_flush_packet(pkt);
    if (!isFlush && av_packet_make_refcounted(pkt) < 0) {
        av_packet_unref(pkt);
        return -1;
    }
    SDL_LockMutex(q->mutex);
    const int ret = player_queue_append(q, pkt);
    SDL_UnlockMutex(q->mutex);
    if (ret < 0 && !isFlush)
        av_packet_unref(pkt);
    return ret;
}

int player_queue_append(PacketQueue* q, AVPacket* pkt) {
    if (q->abort_request)
        return -1;
    auto* entry = static_cast<PlayerPacketList*>(av_malloc(sizeof(PlayerPacketList)));
    if (!entry)
        return -1;
    entry->pkt = *pkt;
    entry->next = nullptr;
    if (q->last_pkt)
        q->last_pkt->next = entry;
    else
        q->first_pkt = entry;
    q->last_pkt = entry;
    q->nb_packets++;
    q->size += entry->pkt.size + int(sizeof(*entry));
    SDL_CondSignal(q->cond);
    return 0;
}

void player_queue_flush(PacketQueue* q) {
    SDL_LockMutex(q->mutex);
    PlayerPacketList* entry = q->first_pkt;
    while (entry) {
        PlayerPacketList* next = entry->next;
        if (!player_is_flush_packet(&entry->pkt))
            av_packet_unref(&entry->pkt);
        av_free(entry);
        entry = next;
    }
    q->first_pkt = nullptr;
    q->last_pkt = nullptr;
    q->nb_packets = 0;
    q->size = 0;
    SDL_UnlockMutex(q->mutex);
}

void player_queue_abort(PacketQueue* q) {
    SDL_LockMutex(q->mutex);
    q->abort_request = 1;
    SDL_CondSignal(q->cond);
    SDL_UnlockMutex(q->mutex);
}

int player_queue_get(PacketQueue* q, AVPacket* pkt, int block) {
    int ret = 0;
    SDL_LockMutex(q->mutex);
    for (;;) {
        if (q->abort_request) {
            ret = -1;
            break;
        }
        if (PlayerPacketList* entry = q->first_pkt) {
            q->first_pkt = entry->next;
            if (!q->first_pkt)
                q->last_pkt = nullptr;
            q->nb_packets--;
            q->size -= entry->pkt.size + int(sizeof(*entry));
            *pkt = entry->pkt;
            av_free(entry);
            ret = 1;
            break;
        }
        if (!block)
            break;
        SDL_CondWait(q->cond, q->mutex);
    }
    SDL_UnlockMutex(q->mutex);
    return ret;
}

void player_queue_destroy(PacketQueue* q) {
    player_queue_flush(q);
    SDL_DestroyMutex(q->mutex);
    SDL_DestroyCond(q->cond);
    q->mutex = nullptr;
    q->cond = nullptr;
}

bool player_queue_aborted(PacketQueue* q) {
    SDL_LockMutex(q->mutex);
    const bool aborted = q->abort_request != 0;
    SDL_UnlockMutex(q->mutex);
    return aborted;
}

void player_queue_stats(PacketQueue* q, int* nb_packets, int* size) {
    SDL_LockMutex(q->mutex);
    *nb_packets = q->nb_packets;
    *size = q->size;
    SDL_UnlockMutex(q->mutex);
}
