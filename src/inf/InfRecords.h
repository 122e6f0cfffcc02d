// Records read from INF files: one copied file, one AddReg/DelReg line; lists of at most 500.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// The most entries any INF-derived list holds; further entries are dropped.
const size_t MAX_INF_LIST_ENTRIES = 500;

// dwFileType values.
const DWORD INF_FILE_TYPE_OTHER = 0;
const DWORD INF_FILE_TYPE_CATALOG = 1;
const DWORD INF_FILE_TYPE_INF = 2;

struct COPY_FILES_INFO
{
    std::string kFileName;
    std::string kSourceFile;
    std::string kDestinationFile;
    DWORD dwCopyFlags = 0;
    DWORD dwFileType = INF_FILE_TYPE_OTHER;
    std::string kOEMInfName;
};

struct ADD_REG_INFO
{
    std::string kRootKey;
    std::string kRegKey;
    std::string kValueName;
    std::string kFlags;
    std::string kValueData;
};

// One line of an audio endpoint section of a device INI: which endpoint key, and the value to write or,
// for a qualifier line, the value the endpoint must already hold.
struct VISTA_WAVERT_REG_INFO
{
    std::string kFlag;
    std::string kValue;
    std::string kValueType;
    std::string kValueData;
};

typedef std::vector<COPY_FILES_INFO> CCopyFilesList;
typedef std::vector<ADD_REG_INFO> CAddRegList;
typedef std::vector<VISTA_WAVERT_REG_INFO> CVistaWaveRTRegList;

// Appends unless the list is full.
template <typename T>
bool AddBounded(std::vector<T>& list, const T& entry)
{
    if (list.size() >= MAX_INF_LIST_ENTRIES)
        return false;
    list.push_back(entry);
    return true;
}
