// Named events, semaphores and mutexes in the machine store: one namespace for every process attached
// to the machine. Each process's open handles are counted per name (named_object_refs); an object is
// gone when the last handle anywhere closes. A process that ended without closing its handles (it
// crashed) is treated as having closed them: such references are pruned when a name is created or opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace winsim
{

class NamedObject;
class Runtime;
struct MachineIdentity;

enum class NamedKind : int
{
    Event = 1,
    Semaphore = 2,
    Mutex = 3
};

struct NamedObjectSpec
{
    NamedKind kind = NamedKind::Event;
    bool manualReset = false;
    // Event: signalled (0/1). Semaphore: the initial count.
    int32_t state = 0;
    int32_t maxCount = 0;
    // Mutex: the thread that owns a newly made mutex (0: none).
    uint32_t ownerTid = 0;
};

class NamedObjectTable
{
public:
    explicit NamedObjectTable(Runtime& rt) : m_rt(rt) {}

    // The name the program passed, as it is kept on the machine: "Local\" and, before Vista (where the
    // user's session is the global one), "Global\" name the same namespace as a plain name. A remaining
    // backslash is ERROR_PATH_NOT_FOUND, an overlong name ERROR_FILENAME_EXCED_RANGE.
    static bool NormalizeName(const MachineIdentity& identity, const std::string& raw, std::string& name,
                              uint32_t& error);

    // Makes the object, or opens the one of that name (`existed`); a name of another kind fails with
    // ERROR_INVALID_HANDLE. Opening an existing mutex never takes ownership.
    std::shared_ptr<NamedObject> Create(const std::string& name, const NamedObjectSpec& objectSpec, bool& existed,
                                        uint32_t& error);
    // ERROR_FILE_NOT_FOUND when there is no such name, ERROR_INVALID_HANDLE when it is of another kind.
    std::shared_ptr<NamedObject> Open(const std::string& name, NamedKind kind, uint32_t& error);
    // One handle of this process to `name` closed.
    void Release(const std::string& name);
    // Thread `tid` of this process ended: the named mutexes it owns become abandoned.
    void AbandonOwnedBy(uint32_t tid);

private:
    bool AddReference(const std::string& name);
    void PruneEndedProcesses();
    void Delete(const std::string& name, const char* why);

    Runtime& m_rt;
};

} // namespace winsim
