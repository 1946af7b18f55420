#pragma once

#include <liburing.h>

#include <cstddef>
#include <memory>

// Sends a file to a socket piece by piece through one buffer: a piece is read into the buffer,
// then sent from it, then the next piece is read. A run of such pieces goes to the kernel as one
// chain of linked reads and sends, so that a large file costs a system call per run instead of
// two per piece. The chain keeps the order of a plain read and send loop: a piece is not sent
// before it has been read whole, and is not overwritten before it has gone.
class FilePieceRing {
public:
    enum class Outcome {
        Sent,       // every piece of the run was read whole and sent whole
        Incomplete, // a read came back short or failed: the pieces after `sent` are untouched
        Failed,     // the connection refused a piece, or the ring failed: the body cannot go on
        Stopped,    // the stop descriptor became readable
    };
    struct Run {
        long long sent = 0; // bytes of whole pieces read and sent, from the run's start
        Outcome outcome = Outcome::Sent;
    };

    // Pieces worth a ring: below this a plain loop costs less than setting one up.
    static constexpr long long WorthBytes = 64 * 1024;

    // stopFd: a descriptor that becomes readable when the transfer must end at once.
    FilePieceRing(int stopFd, size_t pieceSize);
    ~FilePieceRing();
    FilePieceRing(const FilePieceRing&) = delete;
    FilePieceRing& operator=(const FilePieceRing&) = delete;

    // False when the system gives no ring (an old kernel, or io_uring switched off or filtered);
    // the caller then sends with plain calls.
    bool IsOpen() const { return m_open; }

    // Sends one run of pieces of the file's bytes from `from` towards `end`. Every piece but the
    // body's last is sent with MSG_MORE. When the run returns, the kernel is done with it.
    Run SendPieces(int file, int socket, long long from, long long end);

private:
    // Puts a chain of a read and a send per piece on the ring; lengths receives each piece's.
    void QueuePieces(int file, int socket, long long from, long long end, unsigned pieces,
                     unsigned* lengths);
    // Waits for every operation of the chain and records its result by piece; false when the
    // ring itself fails.
    bool CollectResults(unsigned pieces, int* readResults, int* sendResults);
    // Waits for the next completion; false only when the ring itself fails.
    bool NextCompletion(io_uring_cqe*& cqe);
    void CancelAll();
    // Ends a ring that may still hold operations: they may yet write into the buffer, so it is
    // left to them rather than freed.
    void Abandon();

    io_uring m_ring{};
    bool m_open = false; // the ring exists and takes runs
    size_t m_pieceSize;
    // The pieces' buffer. The ring's own, not the caller's: an operation the kernel still holds
    // can never write into memory that has been given back.
    std::unique_ptr<char[]> m_buffer;
    bool m_stopped = false;
};
