#include "SRingBuffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {
void putAll(SRingBuffer& ring, const char* text) {
    for (const char* p = text; *p; ++p)
        ASSERT_TRUE(ring.put((unsigned char)*p));
}
}  // namespace

TEST(SRingBuffer, FullBufferDropsTheOldestBytesAndCountsThem) {
    SRingBuffer ring;
    ring.reset(4);
    putAll(ring, "abcdef");
    EXPECT_EQ(ring.getAvailable(), 4);
    EXPECT_EQ(ring.getOverflowCount(), 2);
    char out[5] = {};
    ASSERT_TRUE(ring.get(out, 4));
    EXPECT_STREQ(out, "cdef");
    EXPECT_EQ(ring.getAvailable(), 0);

    ring.reset(4);
    EXPECT_EQ(ring.getOverflowCount(), 0);
    EXPECT_EQ(ring.getAvailable(), 0);
}

// take reports the gap once, where it stands: after the bytes taken before it, before the next one.
TEST(SRingBuffer, TakeMeetsTheGapOfDroppedBytesOnce) {
    SRingBuffer ring;
    ring.reset(4);
    unsigned char byte = 0;
    putAll(ring, "ab");
    ASSERT_EQ(ring.take(byte), 1);
    EXPECT_EQ(byte, 'a');
    putAll(ring, "cdefg");  // b, c dropped
    EXPECT_EQ(ring.take(byte), -2);
    std::string rest;
    while (ring.take(byte) == 1)
        rest += char(byte);
    EXPECT_EQ(rest, "defg");
    EXPECT_EQ(ring.take(byte), 0);

    putAll(ring, "hijkl");  // dropped, then forgotten by the purge
    ring.reset(4);
    putAll(ring, "m");
    ASSERT_EQ(ring.take(byte), 1);
    EXPECT_EQ(byte, 'm');
}

TEST(SRingBuffer, PositionsWrapAtTheCapacity) {
    SRingBuffer ring;
    ring.reset(10);
    char out[16];
    putAll(ring, "01234567");
    ASSERT_TRUE(ring.get(out, 8));  // read position 8
    putAll(ring, "abcd");           // positions 8, 9, 0, 1: write position 2
    EXPECT_EQ(ring.getAvailable(), 4);
    unsigned char byte = 0;
    struct Case {
        int index;
        bool ok;
        char want;
    } cases[] = {{0, true, 'a'}, {1, true, 'b'}, {2, true, 'c'},
                 {3, true, 'd'}, {4, false, 0},  {-1, false, 0}};
    for (const Case& c : cases) {
        byte = 0;
        EXPECT_EQ(ring.peek(c.index, byte), c.ok) << c.index;
        if (c.ok) {
            EXPECT_EQ(byte, (unsigned char)c.want) << c.index;
        }
    }
    EXPECT_EQ(ring.getData()[9], 'b');
    EXPECT_EQ(ring.getData()[0], 'c');

    EXPECT_FALSE(ring.get(out, 5));  // too few: nothing taken
    EXPECT_EQ(ring.getAvailable(), 4);
    ASSERT_TRUE(ring.get(out, 3));
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(ring.getAvailable(), 1);
}

TEST(SRingBuffer, WithoutStoragePutFails) {
    SRingBuffer ring;
    ring.reset(0);
    EXPECT_FALSE(ring.put('x'));
    EXPECT_EQ(ring.getAvailable(), 0);
    char out;
    EXPECT_FALSE(ring.get(&out, 1));
    EXPECT_TRUE(ring.get(&out, 0));
}

// The serial reader thread puts while the user-interface thread takes. Every byte put is either
// taken or counted as lost, and every take gets a run of consecutive bytes.
TEST(SRingBuffer, OneWriterAndOneReaderThread) {
    SRingBuffer ring;
    ring.reset(400);
    const int total = 200000;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < total; ++i)
            ring.put((unsigned char)i);
        done = true;
    });
    long taken = 0;
    bool consecutive = true;
    unsigned char chunk[64];
    for (;;) {
        bool finished = done;
        int available = ring.getAvailable();
        int n = available < 64 ? available : 64;
        if (n > 0 && ring.get(chunk, n)) {
            taken += n;
            for (int k = 1; k < n; ++k)
                if ((unsigned char)(chunk[k - 1] + 1) != chunk[k]) consecutive = false;
        } else if (finished && ring.getAvailable() == 0) {
            break;
        } else {
            std::this_thread::yield();
        }
    }
    writer.join();
    EXPECT_TRUE(consecutive);
    EXPECT_EQ(taken + ring.getOverflowCount(), total);
}
