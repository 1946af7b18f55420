#include "FilePieceRing.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

// Pieces in one chain: 64 pieces of 2 KiB put 128 KiB in flight per system call, and keep the
// ring small enough for one per connection.
constexpr unsigned MaxPiecesPerRun = 64;
constexpr unsigned RingEntries = 256; // the chain, the stop poll and cancellations
constexpr uint64_t StopTag = ~uint64_t{0};
constexpr uint64_t CancelTag = ~uint64_t{0} - 1;

uint64_t PieceTag(unsigned piece, bool send) {
    return (uint64_t{piece} << 1) | (send ? 1 : 0);
}

// Every chain is submitted whole, and completions wait for the thread's next call into the
// ring instead of interrupting it: the thread is mostly waiting there anyway. Kernels without
// these flags (before 5.19) get no ring: the caller's plain loop serves them. Deferring the
// work to the waits themselves (DEFER_TASKRUN) would make each wait for one completion run only
// one step of the chain, a system call per operation again.
bool OpenRing(io_uring& ring) {
    io_uring_params params{};
    params.flags = IORING_SETUP_SUBMIT_ALL | IORING_SETUP_COOP_TASKRUN;
    return io_uring_queue_init_params(RingEntries, &ring, &params) == 0;
}

} // namespace

FilePieceRing::FilePieceRing(int stopFd, size_t pieceSize) : m_pieceSize(pieceSize) {
    if (pieceSize == 0 || stopFd < 0 || !OpenRing(m_ring)) {
        return;
    }
    io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
    io_uring_prep_poll_add(sqe, stopFd, POLLIN);
    io_uring_sqe_set_data64(sqe, StopTag);
    if (io_uring_submit(&m_ring) != 1) {
        // Without the stop watched, a transfer waiting in the ring could not be ended.
        io_uring_queue_exit(&m_ring);
        return;
    }
    m_buffer = std::make_unique<char[]>(pieceSize);
    m_open = true;
}

FilePieceRing::~FilePieceRing() {
    // Between runs only the stop poll can be in the ring, and it refers to no memory of ours.
    if (m_open) {
        io_uring_queue_exit(&m_ring);
    }
}

void FilePieceRing::Abandon() {
    (void)m_buffer.release(); // deliberately leaked: see the member's comment
    io_uring_queue_exit(&m_ring);
    m_open = false;
}

bool FilePieceRing::NextCompletion(io_uring_cqe*& cqe) {
    for (;;) {
        const int result = io_uring_wait_cqe(&m_ring, &cqe);
        if (result == 0) {
            return true;
        }
        if (result != -EINTR) {
            return false;
        }
    }
}

void FilePieceRing::CancelAll() {
    io_uring_sqe* sqe = io_uring_get_sqe(&m_ring);
    if (sqe == nullptr) {
        return;
    }
    io_uring_prep_cancel64(sqe, 0, IORING_ASYNC_CANCEL_ANY | IORING_ASYNC_CANCEL_ALL);
    io_uring_sqe_set_data64(sqe, CancelTag);
    (void)io_uring_submit(&m_ring);
}

FilePieceRing::Run FilePieceRing::SendPieces(int file, int socket, long long from, long long end) {
    Run run;
    if (m_stopped) {
        run.outcome = Outcome::Stopped;
        return run;
    }
    const long long left = end - from;
    if (!m_open || left <= 0) {
        run.outcome = Outcome::Incomplete;
        return run;
    }
    const auto pieceSize = static_cast<long long>(m_pieceSize);
    const auto pieces = static_cast<unsigned>(
        std::min<long long>((left + pieceSize - 1) / pieceSize, MaxPiecesPerRun));

    unsigned lengths[MaxPiecesPerRun];
    int readResults[MaxPiecesPerRun];
    int sendResults[MaxPiecesPerRun];
    QueuePieces(file, socket, from, end, pieces, lengths);
    for (unsigned i = 0; i < pieces; ++i) {
        readResults[i] = -ECANCELED;
        sendResults[i] = -ECANCELED;
    }

    const int submitted = io_uring_submit(&m_ring);
    if (submitted < 0) {
        // Nothing went in, and nothing must go in later: the caller goes on with plain calls.
        io_uring_queue_exit(&m_ring);
        m_open = false;
        run.outcome = Outcome::Incomplete;
        return run;
    }
    if (static_cast<unsigned>(submitted) != 2 * pieces) {
        // Every entry is submitted whole or not at all; anything else leaves operations the
        // run cannot account for, and bytes of the body in an unknown state.
        Abandon();
        run.outcome = Outcome::Failed;
        return run;
    }
    if (!CollectResults(pieces, readResults, sendResults)) {
        Abandon();
        run.outcome = Outcome::Failed;
        return run;
    }

    unsigned whole = 0;
    while (whole < pieces && readResults[whole] == static_cast<int>(lengths[whole]) &&
           sendResults[whole] == static_cast<int>(lengths[whole])) {
        run.sent += lengths[whole];
        ++whole;
    }
    if (whole == pieces) {
        run.outcome = Outcome::Sent;
    } else if (m_stopped) {
        run.outcome = Outcome::Stopped;
    } else if (readResults[whole] != static_cast<int>(lengths[whole])) {
        run.outcome = Outcome::Incomplete;
    } else {
        run.outcome = Outcome::Failed;
    }
    return run;
}

void FilePieceRing::QueuePieces(int file, int socket, long long from, long long end,
                                unsigned pieces, unsigned* lengths) {
    const auto pieceSize = static_cast<long long>(m_pieceSize);
    char* buffer = m_buffer.get();
    for (unsigned i = 0; i < pieces; ++i) {
        const long long offset = from + static_cast<long long>(i) * pieceSize;
        lengths[i] = static_cast<unsigned>(std::min(pieceSize, end - offset));

        io_uring_sqe* read = io_uring_get_sqe(&m_ring);
        io_uring_prep_read(read, file, buffer, lengths[i], static_cast<uint64_t>(offset));
        io_uring_sqe_set_data64(read, PieceTag(i, false));
        read->flags |= IOSQE_IO_LINK;

        // MSG_WAITALL: a piece goes whole or the chain breaks, so the next read cannot overwrite
        // bytes not yet sent. MSG_MORE holds back partial segments while more is to come.
        const bool last = offset + lengths[i] >= end;
        io_uring_sqe* send = io_uring_get_sqe(&m_ring);
        io_uring_prep_send(send, socket, buffer, lengths[i],
                           MSG_NOSIGNAL | MSG_WAITALL | (last ? 0 : MSG_MORE));
        io_uring_sqe_set_data64(send, PieceTag(i, true));
        if (i + 1 < pieces) {
            send->flags |= IOSQE_IO_LINK;
        }
    }
}

bool FilePieceRing::CollectResults(unsigned pieces, int* readResults, int* sendResults) {
    unsigned outstanding = 2 * pieces;
    while (outstanding > 0) {
        io_uring_cqe* cqe = nullptr;
        if (!NextCompletion(cqe)) {
            return false;
        }
        const uint64_t tag = io_uring_cqe_get_data64(cqe);
        const int result = cqe->res;
        io_uring_cqe_seen(&m_ring, cqe);
        if (tag == StopTag) {
            m_stopped = true;
            CancelAll();
            continue;
        }
        if (tag == CancelTag) {
            continue;
        }
        const auto piece = static_cast<unsigned>(tag >> 1);
        if (piece < pieces) {
            ((tag & 1) != 0 ? sendResults : readResults)[piece] = result;
        }
        --outstanding;
        if (m_stopped && outstanding > 0) {
            // The chain may have moved on to an operation the last cancellation did not see.
            CancelAll();
        }
    }
    return true;
}
