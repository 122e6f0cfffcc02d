// libmspack's file access, routed through the machine's files API: the names libmspack opens are Windows
// paths on the machine, cabinets are read with ReadFile, and extracted files are made with CreateFileA and
// WriteFile, so they are journalled and honour write-protected folders like any file the program writes.
#pragma once

#include <mspack.h>

#include <cstdint>
#include <functional>
#include <string>

namespace winsim
{

class CabinetIo
{
public:
    // Asked before every read from a cabinet, with the cabinet's path and the file position; a false answer
    // fails the read (the error stays with the hook's owner).
    using ReadHook = std::function<bool(const std::string& path, uint64_t position)>;

    CabinetIo();
    CabinetIo(const CabinetIo&) = delete;
    CabinetIo& operator=(const CabinetIo&) = delete;

    mspack_system* System() { return &m_system.base; }
    void SetReadHook(ReadHook hook) { m_readHook = std::move(hook); }

    // The Win32 error of the last file call that failed since ClearError; 0 when none did.
    uint32_t LastError() const { return m_lastError; }
    void ClearError() { m_lastError = 0; }
    // How many files have been opened for writing: tells whether a failed extraction made its target.
    uint32_t TargetsOpened() const { return m_targetsOpened; }

private:
    // What libmspack holds as its mspack_system: the table of functions, then the owner.
    struct Table
    {
        mspack_system base;
        CabinetIo* owner;
    };
    struct File;
    static File* FileOf(mspack_file* handle);

    static mspack_file* Open(mspack_system* self, const char* name, int mode);
    static void Close(mspack_file* handle);
    static int Read(mspack_file* handle, void* buffer, int bytes);
    static int Write(mspack_file* handle, void* buffer, int bytes);
    static int Seek(mspack_file* handle, off_t offset, int mode);
    static off_t Tell(mspack_file* handle);
    static void Message(mspack_file* handle, const char* format, ...);
    static void* Alloc(mspack_system* self, size_t bytes);
    static void Free(void* block);
    static void Copy(void* source, void* target, size_t bytes);

    Table m_system;
    ReadHook m_readHook;
    uint32_t m_lastError = 0;
    uint32_t m_targetsOpened = 0;
};

} // namespace winsim
