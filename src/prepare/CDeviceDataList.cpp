#include "CDeviceDataList.h"

#include "common/CTraceScope.h"

bool CDeviceDataList::SetAt(size_t nIndex, const DEVICE_DATA& data)
{
    if (nIndex >= m_records.size())
        return false;
    m_records[nIndex] = data;
    return true;
}

void CDeviceDataList::DumpForInstall() const
{
    Dump(true);
}

void CDeviceDataList::DumpForUninstall() const
{
    Dump(false);
}

void CDeviceDataList::Dump(bool bInstall) const
{
    int n = 0;
    for (const DEVICE_DATA& data : m_records)
    {
        ++n;
        TraceLine("#%d : DeviceData.csInstallPath = %s\n", n, data.csInstallPath.c_str());
        TraceLine("#%d : DeviceData.csClassType = %s\n", n, data.csClassType.c_str());
        TraceLine("#%d : DeviceData.csEnumFileName = %s\n", n, data.csEnumFileName.c_str());
        TraceLine("#%d : DeviceData.csBusTypeAndDeviceID = %s\n", n, data.csBusTypeAndDeviceID.c_str());
        TraceLine("#%d : DeviceData.csBusType = %s\n", n, data.csBusType.c_str());
        TraceLine("#%d : DeviceData.csDeviceID = %s\n", n, data.csDeviceID.c_str());
        TraceLine("#%d : DeviceData.csDeviceDesc = %s\n", n, data.csDeviceDesc.c_str());
        for (int i = 0; i < MAX_CHILD_DEVICES; ++i)
        {
            const CHILD_DEVICE& child = data.ChildDevice[i];
            if (child.csChildFileName.empty() && child.csChildBusTypeAndDeviceID.empty())
                continue;
            if (bInstall)
            {
                TraceLine("#%d : DeviceData[%d].csChildFileName = %s\n", n, i, child.csChildFileName.c_str());
                TraceLine("#%d : DeviceData[%d].csChildBusTypeAndDeviceID = %s\n", n, i,
                          child.csChildBusTypeAndDeviceID.c_str());
            }
            else
            {
                TraceLine("#%d : DeviceData.ChildDevice[%d].csChildFileName = %s\n", n, i,
                          child.csChildFileName.c_str());
            }
        }
        TraceLine("#%d : DeviceData.csWaveFileName = %s\n", n, data.csWaveFileName.c_str());
        if (bInstall)
            TraceLine("#%d : DeviceData.csWaveBusTypeAndDeviceID = %s\n", n, data.csWaveBusTypeAndDeviceID.c_str());
        TraceLine("#%d : DeviceData.SetupStatus = %d\n", n, data.SetupStatus);
    }
}
