// ports: the machine's serial ports and what programs last set on them, one block a port.
//
//   COM3
//       state:    open by pid 12 | free, 1 open so far, 0 busy opens left
//       dcb:      115200 8N1, binary, CTS out-flow, DTR enable, RTS handshake, ...
//       timeouts: read interval 1, read 0 x + 0, write 0 x + 0
//       queues:   2048 in, 1024 out
//       lines:    DTR on, RTS off
#include <cstdio>
#include <string>

#include "Commands.h"
#include "core/Machine.h"
#include "hardware/SerialPorts.h"

namespace
{

std::string DcbText(const DCB& dcb)
{
    static const char kParity[] = "NOEMS";
    static const char* const kStop[] = {"1", "1.5", "2"};
    static const char* const kDtr[] = {"disable", "enable", "handshake", "?"};
    static const char* const kRts[] = {"disable", "enable", "handshake", "toggle"};
    std::string text = std::to_string(dcb.BaudRate) + " " + std::to_string(dcb.ByteSize) + kParity[dcb.Parity % 5] +
                       kStop[dcb.StopBits % 3];
    text += std::string(", binary ") + (dcb.fBinary ? "on" : "off");
    text += std::string(", parity check ") + (dcb.fParity ? "on" : "off");
    text += std::string(", out-flow CTS ") + (dcb.fOutxCtsFlow ? "on" : "off");
    text += std::string(" DSR ") + (dcb.fOutxDsrFlow ? "on" : "off");
    text += std::string(", DTR ") + kDtr[dcb.fDtrControl];
    text += std::string(", DSR sensitivity ") + (dcb.fDsrSensitivity ? "on" : "off");
    text += std::string(", TX continue on XOFF ") + (dcb.fTXContinueOnXoff ? "on" : "off");
    text += std::string(", XON/XOFF out ") + (dcb.fOutX ? "on" : "off") + " in " + (dcb.fInX ? "on" : "off");
    text += std::string(", error char ") + (dcb.fErrorChar ? "on" : "off");
    text += std::string(", null strip ") + (dcb.fNull ? "on" : "off");
    text += std::string(", RTS ") + kRts[dcb.fRtsControl];
    text += std::string(", abort on error ") + (dcb.fAbortOnError ? "on" : "off");
    text += ", XON limit " + std::to_string(dcb.XonLim) + ", XOFF limit " + std::to_string(dcb.XoffLim);
    text += ", chars XON " + std::to_string(static_cast<unsigned char>(dcb.XonChar)) + " XOFF " +
            std::to_string(static_cast<unsigned char>(dcb.XoffChar)) + " error " +
            std::to_string(static_cast<unsigned char>(dcb.ErrorChar)) + " EOF " +
            std::to_string(static_cast<unsigned char>(dcb.EofChar)) + " event " +
            std::to_string(static_cast<unsigned char>(dcb.EvtChar));
    return text;
}

} // namespace

int CommandPorts(const Args& args)
{
    if (args.size() != 1)
        return Fail("usage: winsim ports DIR");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    std::string text;
    for (const winsim::SerialPortState& port : winsim::SerialPorts::All(machine.GetStore()))
    {
        const COMMTIMEOUTS& t = port.timeouts;
        text += port.name + "\n";
        text +=
            "    state:    " + (port.openPid ? "open by pid " + std::to_string(port.openPid) : std::string("free")) +
            ", " + std::to_string(port.opens) + " opens so far, " + std::to_string(port.busyOpens) +
            " busy opens left\n";
        text += "    dcb:      " + DcbText(port.dcb) + "\n";
        text += "    timeouts: read interval " + std::to_string(t.ReadIntervalTimeout) + ", read " +
                std::to_string(t.ReadTotalTimeoutMultiplier) + " x + " + std::to_string(t.ReadTotalTimeoutConstant) +
                ", write " + std::to_string(t.WriteTotalTimeoutMultiplier) + " x + " +
                std::to_string(t.WriteTotalTimeoutConstant) + "\n";
        text += "    queues:   " + std::to_string(port.inQueue) + " in, " + std::to_string(port.outQueue) + " out\n";
        text +=
            std::string("    lines:    DTR ") + (port.dtr ? "on" : "off") + ", RTS " + (port.rts ? "on" : "off") + "\n";
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
