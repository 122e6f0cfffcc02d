// The calling thread as the attached process sees it: its thread id and the mutexes it owns.
//
// Thread ids are multiples of four, like process ids, and come from a range of 256 per process id
// (pid * 256 + 4n), so that they are unique on the machine for any plausible number of threads and
// never collide with process ids.
#pragma once

#include <cstdint>
#include <memory>

namespace winsim
{

class LocalMutex;
class Runtime;

class CurrentThread
{
public:
    // The calling thread's id, given on first use in each attachment.
    static uint32_t Id(Runtime& rt);
    // A fresh id for a thread about to be started.
    static uint32_t Allocate(Runtime& rt);
    // Gives the calling (new) thread the id its creator allocated for it.
    static void Assign(Runtime& rt, uint32_t tid);

    // The calling thread has just become the owner of `mutex`.
    static void NoteOwned(std::weak_ptr<LocalMutex> mutex);
    // The calling thread is ending: every mutex it still owns, in the process or on the machine, becomes
    // abandoned.
    static void AbandonMutexes(Runtime& rt);
};

} // namespace winsim
