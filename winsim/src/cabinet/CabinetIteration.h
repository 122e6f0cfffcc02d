// One SetupIterateCabinetA walk: the notifications Windows sends for a cabinet, in its order, and what the
// callback's answers make of them.
//
//   SPFILENOTIFY_CABINETINFO    for the cabinet, and for each next cabinet joined (answer ignored)
//   SPFILENOTIFY_FILEINCABINET  for each file that starts in the cabinet; FILEOP_DOIT extracts it to
//                               FullTargetName, FILEOP_SKIP (or any other answer) passes it by, FILEOP_ABORT
//                               ends the walk with the callback's error
//   SPFILENOTIFY_NEEDNEWCABINET when the data being extracted goes on in the next cabinet of the set
//   SPFILENOTIFY_FILEEXTRACTED  after each extraction, and after one that failed (which ends the walk);
//                               an answer other than NO_ERROR ends the walk with that error
#pragma once

#include <cstdint>
#include <string>

#include "CabinetDirectory.h"
#include "CabinetIo.h"
#include "CabinetReader.h"
#include "windows.h"
#include "setupapi.h"

namespace winsim
{

class Runtime;

class CabinetIteration
{
public:
    // `cabinet` as the caller gave it; `fullPath` the same made full.
    CabinetIteration(Runtime& runtime, const std::string& cabinet, const std::string& fullPath,
                     PSP_FILE_CALLBACK_A handler, PVOID context);
    CabinetIteration(const CabinetIteration&) = delete;
    CabinetIteration& operator=(const CabinetIteration&) = delete;

    // 0 when every file was offered, else the error SetupIterateCabinetA fails with. Files extracted before
    // a failure stay.
    uint32_t Run();

private:
    UINT Notify(UINT notification, UINT_PTR param1, UINT_PTR param2);
    void SendCabinetInfo(const CabinetDirectory& directory, const std::string& folder);
    // Offers one file; `stop` says the walk ends here, with the error returned.
    uint32_t Offer(size_t index, bool& stop);
    uint32_t Extract(size_t index, const std::string& target);
    bool BeforeCabinetRead(const std::string& path, uint64_t position);
    uint32_t JoinNextCabinet();

    Runtime& m_runtime;
    const std::string m_cabinet;
    const std::string m_fullPath;
    PSP_FILE_CALLBACK_A m_handler;
    PVOID m_context;
    CabinetIo m_io;
    CabinetReader m_reader;
    CabinetDirectory m_directory;
    // The cabinet whose data the files last extracted came from (FILEPATHS Source, FILEINCABINET Param2).
    std::string m_source;
    // The last cabinet of the set joined so far, and the read of its split block that asks for the next.
    CabinetDirectory m_tail;
    std::string m_tailPath;
    uint64_t m_tailSplit = 0;
    bool m_watchSplit = false;
    // Where the next cabinet is looked for, with a trailing backslash; the callback may change it.
    std::string m_searchFolder;
    uint32_t m_joinError = 0;
};

} // namespace winsim
