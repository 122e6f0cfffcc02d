#include "modem/CModemPort.h"

#include "common/CTraceScope.h"

BOOL CModemPort::Reset(const std::string& csPortName)
{
    CTraceScope trace("CModemPort::Reset", "csPortName = %s", csPortName.c_str());
    TraceLine("CModemPort::Reset : not available in this build\n");
    return trace.Return(FALSE);
}
