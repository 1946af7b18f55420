#pragma once

#include <tollund/TollundApi.h>

#include <cstdint>

// One slot of a CImageBuffer; the pool owns it and its storage.
struct TOLLUND_API IMAGE_BUFFER_STRUCT {
    unsigned char* data; // slot-size bytes
    int valid;           // 1 while it holds a frame not yet consumed, 0 when free
    uint32_t stamp;      // stamp of the frame last stored; 0 if it never held one
    int length;          // bytes of the stored frame
};

// A fixed pool of equally sized frame buffers. A full pool overwrites its oldest unconsumed
// frame, so the producer never waits. No lock: producer and consumer serialise their calls.
class TOLLUND_API CImageBuffer {
public:
    CImageBuffer();
    ~CImageBuffer();
    CImageBuffer(const CImageBuffer&) = delete;
    CImageBuffer& operator=(const CImageBuffer&) = delete;

    // Allocates count slots of size bytes each, all free with stamp 0.
    void InitBuffer(int count, int size);
    // Stores a frame in the slot GetEmptyBuffer picks if its stamp is larger than the slot's.
    // 0 when there is no slot or the frame does not fit a slot, else 1 (even when dropped).
    int Push(const unsigned char* frame, int length, uint32_t stamp);
    // The first free slot, else the oldest valid one; null without slots.
    IMAGE_BUFFER_STRUCT* GetEmptyBuffer();
    // The oldest valid slot, or null. The consumer clears its valid flag when done with it.
    IMAGE_BUFFER_STRUCT* GetValidBuffer();
    // Number of valid slots.
    int GetValidBufferNum();

private:
    void Release();

    int m_count;
    IMAGE_BUFFER_STRUCT* m_buffers;
    int m_validNum;
    int m_size;
};
