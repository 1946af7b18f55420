// The frame pool: slot choice, replacement of the oldest frame, consumption, refusal.
#include <tollund/CImageBuffer.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int Push(CImageBuffer& pool, const std::string& frame, uint32_t stamp) {
    return pool.Push(reinterpret_cast<const unsigned char*>(frame.data()),
                     static_cast<int>(frame.size()), stamp);
}

std::string Frame(const IMAGE_BUFFER_STRUCT* slot) {
    return {reinterpret_cast<const char*>(slot->data), static_cast<size_t>(slot->length)};
}

class ImageBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        pool_.InitBuffer(3, 8);
        slots_ = pool_.GetEmptyBuffer(); // slot 0; the slots are one array
        ASSERT_NE(slots_, nullptr);
    }
    CImageBuffer pool_;
    IMAGE_BUFFER_STRUCT* slots_ = nullptr;
};

TEST_F(ImageBufferTest, NewPoolHasFreeSlotsWithStampZero) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(slots_[i].valid, 0);
        EXPECT_EQ(slots_[i].stamp, 0u);
    }
    EXPECT_EQ(pool_.GetValidBufferNum(), 0);
    EXPECT_EQ(pool_.GetValidBuffer(), nullptr);
}

TEST_F(ImageBufferTest, FullPoolReplacesItsOldestFrame) {
    EXPECT_EQ(Push(pool_, "f10", 10), 1);
    EXPECT_EQ(Push(pool_, "f11", 11), 1);
    EXPECT_EQ(Push(pool_, "frame12", 12), 1);
    EXPECT_EQ(slots_[0].stamp, 10u);
    EXPECT_EQ(slots_[1].stamp, 11u);
    EXPECT_EQ(Frame(&slots_[2]), "frame12");
    EXPECT_EQ(pool_.GetValidBufferNum(), 3);

    EXPECT_EQ(Push(pool_, "f13", 13), 1);
    EXPECT_EQ(slots_[0].stamp, 13u);
    EXPECT_EQ(Frame(&slots_[0]), "f13");
    EXPECT_EQ(slots_[0].length, 3);

    IMAGE_BUFFER_STRUCT* oldest = pool_.GetValidBuffer();
    ASSERT_EQ(oldest, &slots_[1]);
    EXPECT_EQ(oldest->stamp, 11u);
    EXPECT_EQ(oldest->valid, 1); // reading does not consume
}

TEST_F(ImageBufferTest, ConsumedSlotIsUsedNext) {
    Push(pool_, "a", 1);
    Push(pool_, "b", 2);
    Push(pool_, "c", 3);
    slots_[1].valid = 0;
    EXPECT_EQ(pool_.GetEmptyBuffer(), &slots_[1]);
    Push(pool_, "d", 4);
    EXPECT_EQ(Frame(&slots_[1]), "d");
    EXPECT_EQ(pool_.GetValidBufferNum(), 3);
}

TEST_F(ImageBufferTest, FrameNotNewerThanItsSlotIsDropped) {
    Push(pool_, "a", 7);
    Push(pool_, "b", 8);
    Push(pool_, "c", 9);
    // The oldest slot holds stamp 7: a frame with stamp 5 or 7 leaves it unchanged.
    for (const uint32_t stamp : {5u, 7u}) {
        EXPECT_EQ(Push(pool_, "new", stamp), 1);
        EXPECT_EQ(Frame(&slots_[0]), "a");
        EXPECT_EQ(slots_[0].stamp, 7u);
    }
}

TEST_F(ImageBufferTest, EqualStampsCountTheLowerIndexAsOlder) {
    Push(pool_, "a", 4);
    Push(pool_, "b", 4);
    Push(pool_, "c", 4);
    EXPECT_EQ(pool_.GetValidBuffer(), &slots_[0]);
    EXPECT_EQ(pool_.GetEmptyBuffer(), &slots_[0]);
}

TEST_F(ImageBufferTest, FrameLongerThanTheSlotIsRefusedWhole) {
    const std::string fits(8, 'f');
    EXPECT_EQ(Push(pool_, fits, 1), 1);
    EXPECT_EQ(Frame(&slots_[0]), fits);
    EXPECT_EQ(Push(pool_, std::string(9, 'x'), 2), 0);
    EXPECT_EQ(slots_[1].valid, 0);
    EXPECT_EQ(slots_[1].stamp, 0u);
    EXPECT_EQ(pool_.Push(nullptr, -1, 3), 0);
}

TEST(ImageBufferEmpty, PoolWithoutSlotsRefusesEverything) {
    CImageBuffer pool;
    EXPECT_EQ(pool.Push(reinterpret_cast<const unsigned char*>("x"), 1, 1), 0);
    EXPECT_EQ(pool.GetEmptyBuffer(), nullptr);
    EXPECT_EQ(pool.GetValidBuffer(), nullptr);
    EXPECT_EQ(pool.GetValidBufferNum(), 0);
    pool.InitBuffer(0, 16);
    EXPECT_EQ(pool.GetEmptyBuffer(), nullptr);
}

TEST(ImageBufferEmpty, SecondInitReplacesThePool) {
    CImageBuffer pool;
    pool.InitBuffer(2, 4);
    pool.Push(reinterpret_cast<const unsigned char*>("abcd"), 4, 1);
    pool.InitBuffer(1, 16);
    EXPECT_EQ(pool.GetValidBufferNum(), 0);
    const std::string big(16, 'b');
    EXPECT_EQ(pool.Push(reinterpret_cast<const unsigned char*>(big.data()), 16, 2), 1);
    EXPECT_EQ(pool.GetValidBufferNum(), 1);
}

} // namespace
