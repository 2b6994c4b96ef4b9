#pragma once

// The packet queue that carries demuxed packets from a preview's reader thread to its
// decoders, and the process-wide flush packet that marks a discontinuity in it.

extern "C" {
#include <libavcodec/packet.h>
}

#include <SDL2/SDL_mutex.h>

// One queued packet (the library's own list record is deprecated).
struct PlayerPacketList {
    AVPacket pkt;
    PlayerPacketList* next;
};

struct PacketQueue {
    PlayerPacketList* first_pkt;
    PlayerPacketList* last_pkt;
    int nb_packets;
    // Payload bytes plus one entry record per packet.
    int size;
    // 1 refuses puts and makes gets return -1.
    int abort_request;
    SDL_mutex* mutex;
    SDL_cond* cond;
};

// Set up by player_global_init; recognised by its data pointer alone.
extern AVPacket flush_pkt;
void player_flush_packet_init();
bool player_is_flush_packet(const AVPacket* pkt);

void player_queue_init(PacketQueue* q);
void player_queue_start(PacketQueue* q);
// Takes over the packet: on failure it is freed (the flush packet never is).
int player_queue_put(PacketQueue* q, AVPacket* pkt);
// The caller holds q->mutex.
int player_queue_append(PacketQueue* q, AVPacket* pkt);
void player_queue_flush(PacketQueue* q);
void player_queue_abort(PacketQueue* q);
// 1 with a packet (now the caller's), 0 when empty and not blocking, -1 when aborted.
int player_queue_get(PacketQueue* q, AVPacket* pkt, int block);
void player_queue_destroy(PacketQueue* q);
// For threads other than the queue's producer and consumer: read under the queue's lock.
bool player_queue_aborted(PacketQueue* q);
void player_queue_stats(PacketQueue* q, int* nb_packets, int* size);
