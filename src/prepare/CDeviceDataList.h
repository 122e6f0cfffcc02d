// The device records of one run, in the order preparation found them. Held by value: adding copies the
// record, and a record reached while walking the list may be replaced in place.
#pragma once

#include <vector>

#include "prepare/DeviceData.h"

class CDeviceDataList
{
public:
    void AddTail(const DEVICE_DATA& data) { m_records.push_back(data); }
    size_t GetCount() const { return m_records.size(); }
    bool IsEmpty() const { return m_records.empty(); }
    const DEVICE_DATA& GetAt(size_t nIndex) const { return m_records[nIndex]; }
    // Replaces the record at a position; false when there is none.
    bool SetAt(size_t nIndex, const DEVICE_DATA& data);
    void RemoveAll() { m_records.clear(); }

    std::vector<DEVICE_DATA>::const_iterator begin() const { return m_records.begin(); }
    std::vector<DEVICE_DATA>::const_iterator end() const { return m_records.end(); }

    // One block of trace lines per record, numbered from 1: the install side's form (child pairs and the
    // wave hardware ID) and the uninstall side's (child file names only).
    void DumpForInstall() const;
    void DumpForUninstall() const;

private:
    void Dump(bool bInstall) const;

    std::vector<DEVICE_DATA> m_records;
};
