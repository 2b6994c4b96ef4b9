#include "player/PacketQueue.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int kEntrySize = int(sizeof(PlayerPacketList));

// A packet whose data is borrowed (not reference counted), like a demuxer's may be.
AVPacket borrowedPacket(uint8_t* data, int size) {
    AVPacket pkt{};
    pkt.data = data;
    pkt.size = size;
    pkt.stream_index = 1;
    return pkt;
}

class ProbePacketQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_flush_packet_init();
        player_queue_init(&q);
    }
    void TearDown() override { player_queue_destroy(&q); }
    PacketQueue q;
};

TEST_F(ProbePacketQueueTest, StartedQueueHoldsOnlyTheFlushPacket) {
    player_queue_start(&q);
    EXPECT_EQ(q.nb_packets, 1);
    EXPECT_EQ(q.size, kEntrySize);
    AVPacket out{};
    ASSERT_EQ(player_queue_get(&q, &out, 0), 1);
    EXPECT_TRUE(player_is_flush_packet(&out));
    EXPECT_EQ(out.data, flush_pkt.data);
    EXPECT_EQ(q.first_pkt, nullptr);
    EXPECT_EQ(q.last_pkt, nullptr);
}

TEST_F(ProbePacketQueueTest, PutBeforeStartFailsAndFreesThePacket) {
    AVPacket* pkt = av_packet_alloc();
    ASSERT_EQ(av_new_packet(pkt, 100), 0);
    EXPECT_EQ(player_queue_put(&q, pkt), -1);
    EXPECT_EQ(pkt->buf, nullptr);
    EXPECT_EQ(q.nb_packets, 0);
    av_packet_free(&pkt);
}

TEST_F(ProbePacketQueueTest, BorrowedDataIsCopiedAndSizesAddUp) {
    player_queue_start(&q);
    uint8_t payload[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    AVPacket pkt = borrowedPacket(payload, 10);
    ASSERT_EQ(player_queue_put(&q, &pkt), 0);
    EXPECT_EQ(q.nb_packets, 2);
    EXPECT_EQ(q.size, 2 * kEntrySize + 10);
    std::memset(payload, 0, sizeof(payload));

    AVPacket out{};
    ASSERT_EQ(player_queue_get(&q, &out, 0), 1); // the flush packet
    ASSERT_EQ(player_queue_get(&q, &out, 0), 1);
    ASSERT_NE(out.buf, nullptr);
    EXPECT_NE(out.data, payload);
    EXPECT_EQ(out.data[9], 10);
    EXPECT_EQ(q.size, 0);
    av_packet_unref(&out);
}

TEST_F(ProbePacketQueueTest, GetOnEmptyAndOnAbortedQueues) {
    player_queue_start(&q);
    AVPacket out{};
    ASSERT_EQ(player_queue_get(&q, &out, 0), 1);
    EXPECT_EQ(player_queue_get(&q, &out, 0), 0);
    AVPacket flush = flush_pkt;
    ASSERT_EQ(player_queue_put(&q, &flush), 0);
    player_queue_abort(&q);
    EXPECT_EQ(player_queue_get(&q, &out, 1), -1);
    EXPECT_EQ(q.nb_packets, 1);
}

TEST_F(ProbePacketQueueTest, FlushEmptiesAndTheListStartsAgain) {
    player_queue_start(&q);
    for (int i = 0; i < 3; ++i) {
        // The queue takes the packet over: nothing is left here to free.
        AVPacket pkt{};
        ASSERT_EQ(av_new_packet(&pkt, 50), 0);
        ASSERT_EQ(player_queue_put(&q, &pkt), 0);
    }
    player_queue_flush(&q);
    EXPECT_EQ(q.nb_packets, 0);
    EXPECT_EQ(q.size, 0);
    EXPECT_EQ(q.first_pkt, nullptr);
    EXPECT_EQ(q.last_pkt, nullptr);
    AVPacket flush = flush_pkt;
    ASSERT_EQ(player_queue_put(&q, &flush), 0);
    EXPECT_EQ(q.first_pkt, q.last_pkt);
    EXPECT_EQ(flush_pkt.data[0], 'F');
}

} // namespace
