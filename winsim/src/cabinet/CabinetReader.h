// A cabinet opened with libmspack (stored, MSZIP, Quantum and LZX folders), and the cabinets of its set
// joined to it as the files need them. Errors come back as Win32 errors.
#pragma once

#include <mspack.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CabinetIo.h"

namespace winsim
{

class CabinetReader
{
public:
    explicit CabinetReader(CabinetIo& io);
    ~CabinetReader();
    CabinetReader(const CabinetReader&) = delete;
    CabinetReader& operator=(const CabinetReader&) = delete;

    // Opens the cabinet at a path on the machine; 0, the error of opening the file, or ERROR_INVALID_DATA for
    // a file that is not a cabinet.
    uint32_t Open(const std::string& path);
    // The files listed in the cabinet opened, in their order there.
    size_t FileCount() const { return m_files.size(); }
    const char* FileName(size_t index) const { return m_files[index]->filename; }

    // Writes one file to a target path (replacing what is there); 0 or the Win32 error. A target left
    // half-written by a failure is the caller's to remove.
    uint32_t Extract(size_t index, const std::string& target);

    // Joins the next cabinet of the set; the caller has checked that it is the one that follows.
    uint32_t Append(const std::string& path);

private:
    uint32_t ErrorOf(int code) const;
    const char* Keep(const std::string& path);

    CabinetIo& m_io;
    mscab_decompressor* m_decompressor = nullptr;
    mscabd_cabinet* m_first = nullptr;
    mscabd_cabinet* m_last = nullptr;
    std::vector<mscabd_file*> m_files;
    // libmspack keeps the name pointers it was given, to reopen the cabinets while decompressing.
    std::vector<std::unique_ptr<std::string>> m_paths;
};

} // namespace winsim
