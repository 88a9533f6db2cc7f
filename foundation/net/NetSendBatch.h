// Sends gathered over one piece of work of a thread (the handling of one
// received block, say): while a batch is open on a thread, every stream
// socket that this thread sends on holds its sends in its queue, and the
// batch's end sends each socket's queue at once. The bytes and their order
// are those of the single sends; only the number of send calls drops.
// Batches nest: the outermost one releases.
#pragma once

#include <vector>

namespace FdNet
{

class CNetAsync;

class CSendBatch
{
public:
    CSendBatch();
    // Releases every socket held, in the order they joined.
    ~CSendBatch();
    CSendBatch(const CSendBatch&) = delete;
    CSendBatch& operator=(const CSendBatch&) = delete;

    // Called by a stream socket about to send, under its own lock: true when
    // a batch of this thread holds it (it then only queues).
    static bool boJoin(CNetAsync& socket);
    // A socket that goes before the batch ends leaves it.
    static void vLeave(CNetAsync& socket);

private:
    CSendBatch* m_lpOuter;
    std::vector<CNetAsync*> m_held;
};

} // namespace FdNet
