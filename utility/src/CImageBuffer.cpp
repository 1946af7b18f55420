#include <tollund/CFunction.h>
#include <tollund/CImageBuffer.h>

#include <cstring>
#include <new>

namespace {

// True when slot a holds an older frame than slot b (smaller stamp; lower index on a tie,
// which the callers' index order gives).
bool Older(const IMAGE_BUFFER_STRUCT& a, const IMAGE_BUFFER_STRUCT& b) {
    return a.stamp < b.stamp;
}

} // namespace

CImageBuffer::CImageBuffer() : m_count(0), m_buffers(nullptr), m_validNum(0), m_size(0) {}

CImageBuffer::~CImageBuffer() {
    Release();
}

void CImageBuffer::Release() {
    for (int i = 0; i < m_count; ++i) {
        m_buffers[i].valid = 0;
        m_buffers[i].stamp = 0;
        delete[] m_buffers[i].data;
    }
    delete[] m_buffers;
    m_buffers = nullptr;
    m_count = 0;
    m_validNum = 0;
    m_size = 0;
}

void CImageBuffer::InitBuffer(int count, int size) {
    Release(); // a second call replaces the pool instead of leaking it
    if (count <= 0 || size < 0) {
        return;
    }
    auto* buffers = new (std::nothrow) IMAGE_BUFFER_STRUCT[static_cast<size_t>(count)];
    if (buffers == nullptr) {
        CFunction::RLog("CImageBuffer::InitBuffer: no memory for %d slots", count);
        return;
    }
    for (int i = 0; i < count; ++i) {
        buffers[i].data = new (std::nothrow) unsigned char[static_cast<size_t>(size)];
        if (buffers[i].data == nullptr) {
            for (int k = 0; k < i; ++k) {
                delete[] buffers[k].data;
            }
            delete[] buffers;
            CFunction::RLog("CImageBuffer::InitBuffer: no memory for %d slots of %d bytes", count,
                            size);
            return;
        }
        buffers[i].valid = 0;
        buffers[i].stamp = 0;
        buffers[i].length = 0;
    }
    m_buffers = buffers;
    m_count = count;
    m_size = size;
}

int CImageBuffer::Push(const unsigned char* frame, int length, uint32_t stamp) {
    // A frame that does not fit a slot is refused whole rather than stored cut.
    if (length < 0 || length > m_size || (frame == nullptr && length > 0)) {
        return 0;
    }
    IMAGE_BUFFER_STRUCT* slot = GetEmptyBuffer();
    if (slot == nullptr) {
        return 0;
    }
    if (slot->stamp < stamp) {
        if (length > 0) {
            std::memcpy(slot->data, frame, static_cast<size_t>(length));
        }
        slot->stamp = stamp;
        slot->valid = 1;
        slot->length = length;
    }
    return 1;
}

IMAGE_BUFFER_STRUCT* CImageBuffer::GetEmptyBuffer() {
    IMAGE_BUFFER_STRUCT* oldest = nullptr;
    for (int i = 0; i < m_count; ++i) {
        IMAGE_BUFFER_STRUCT& slot = m_buffers[i];
        if (slot.valid == 0) {
            return &slot;
        }
        if (oldest == nullptr || Older(slot, *oldest)) {
            oldest = &slot;
        }
    }
    return oldest;
}

IMAGE_BUFFER_STRUCT* CImageBuffer::GetValidBuffer() {
    IMAGE_BUFFER_STRUCT* oldest = nullptr;
    int valid = 0;
    for (int i = 0; i < m_count; ++i) {
        IMAGE_BUFFER_STRUCT& slot = m_buffers[i];
        if (slot.valid == 0) {
            continue;
        }
        ++valid;
        if (oldest == nullptr || Older(slot, *oldest)) {
            oldest = &slot;
        }
    }
    m_validNum = valid;
    return oldest;
}

int CImageBuffer::GetValidBufferNum() {
    int valid = 0;
    for (int i = 0; i < m_count; ++i) {
        if (m_buffers[i].valid != 0) {
            ++valid;
        }
    }
    m_validNum = valid;
    return valid;
}
