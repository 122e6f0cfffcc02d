#include "SerialPorts.h"

#include <cstdlib>
#include <cstring>

#include "core/HandleTable.h"
#include "core/KernelObject.h"
#include "core/Runtime.h"
#include "core/Store.h"
#include "files/NameCase.h"

namespace winsim
{

namespace
{

// An open port: the handle keeps the port held until it is closed.
class SerialPortObject : public KernelObject
{
public:
    SerialPortObject(std::string name, uint32_t pid) : m_name(std::move(name)), m_pid(pid) {}
    ~SerialPortObject() override
    {
        Runtime* rt = Runtime::Current();
        if (!rt)
            return;
        Statement release = rt->GetMachine().GetStore().Prepare(
            "UPDATE serial_ports SET open_pid = 0 WHERE name = ?1 AND open_pid = ?2");
        release.Bind(1, m_name).Bind(2, static_cast<int64_t>(m_pid));
        release.Run();
    }
    ObjectKind Kind() const override { return ObjectKind::Other; }
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    uint32_t m_pid;
};

constexpr const char* kColumns = "name, busy_opens, opens, open_pid, dcb, timeouts, in_queue, out_queue, dtr, rts";

SerialPortState FromRow(const Statement& row)
{
    SerialPortState state;
    state.name = row.Text(0);
    state.busyOpens = static_cast<uint32_t>(row.Int(1));
    state.opens = static_cast<uint32_t>(row.Int(2));
    state.openPid = static_cast<uint32_t>(row.Int(3));
    state.dcb = SerialPorts::DefaultDcb();
    std::vector<uint8_t> dcb = row.Blob(4);
    if (dcb.size() == sizeof(DCB))
        std::memcpy(&state.dcb, dcb.data(), sizeof(DCB));
    std::vector<uint8_t> timeouts = row.Blob(5);
    if (timeouts.size() == sizeof(COMMTIMEOUTS))
        std::memcpy(&state.timeouts, timeouts.data(), sizeof(COMMTIMEOUTS));
    state.inQueue = static_cast<uint32_t>(row.Int(6));
    state.outQueue = static_cast<uint32_t>(row.Int(7));
    state.dtr = row.Int(8) != 0;
    state.rts = row.Int(9) != 0;
    return state;
}

bool Load(Store& store, const std::string& name, SerialPortState& state)
{
    Statement select =
        store.Prepare((std::string("SELECT ") + kColumns + " FROM serial_ports WHERE name = ?1").c_str());
    select.Bind(1, name);
    if (!select.Step())
        return false;
    state = FromRow(select);
    return true;
}

bool IsPortName(const std::string& upper)
{
    if (upper.size() < 4 || upper.compare(0, 3, "COM") != 0)
        return false;
    return upper.find_first_not_of("0123456789", 3) == std::string::npos && upper[3] != '0';
}

} // namespace

DCB SerialPorts::DefaultDcb()
{
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_9600;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    return dcb;
}

std::string SerialPorts::PortName(const char* path)
{
    if (!path)
        return {};
    std::string upper = NameCase::Upper(path);
    if (upper.compare(0, 4, "\\\\.\\") == 0)
        upper = upper.substr(4);
    return IsPortName(upper) ? upper : std::string();
}

HANDLE SerialPorts::Open(Runtime& rt, const std::string& port, DWORD disposition)
{
    Store& store = rt.GetMachine().GetStore();
    Transaction txn(store);
    SerialPortState state;
    if (!Load(store, port, state))
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // Communication devices exist already; serial.sys shares a port with nobody.
    if (disposition != OPEN_EXISTING)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (state.busyOpens > 0 || state.openPid != 0)
    {
        if (state.busyOpens > 0)
        {
            Statement busy = store.Prepare("UPDATE serial_ports SET busy_opens = busy_opens - 1 WHERE name = ?1");
            busy.Bind(1, port);
            busy.Run();
            txn.Commit();
        }
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    Statement take = store.Prepare("UPDATE serial_ports SET open_pid = ?2, opens = opens + 1 WHERE name = ?1");
    take.Bind(1, port).Bind(2, static_cast<int64_t>(rt.Pid()));
    if (!take.Run() || !txn.Commit())
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = rt.Handles().Insert(std::make_shared<SerialPortObject>(port, rt.Pid()));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

bool SerialPorts::Find(Runtime& rt, HANDLE handle, SerialPortState& state)
{
    auto object = std::dynamic_pointer_cast<SerialPortObject>(rt.Handles().Lookup(handle, ObjectKind::Other));
    if (!object || !Load(rt.GetMachine().GetStore(), object->Name(), state))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

bool SerialPorts::Save(Runtime& rt, const SerialPortState& state)
{
    Statement update = rt.GetMachine().GetStore().Prepare(
        "UPDATE serial_ports SET dcb = ?2, timeouts = ?3, in_queue = ?4, out_queue = ?5, dtr = ?6, rts = ?7 "
        "WHERE name = ?1");
    update.Bind(1, state.name)
        .BindBlob(2, &state.dcb, sizeof(DCB))
        .BindBlob(3, &state.timeouts, sizeof(COMMTIMEOUTS))
        .Bind(4, static_cast<int64_t>(state.inQueue))
        .Bind(5, static_cast<int64_t>(state.outQueue))
        .Bind(6, state.dtr ? 1 : 0)
        .Bind(7, state.rts ? 1 : 0);
    return update.Run();
}

bool SerialPorts::AddFromProfile(Store& store, const std::string& name, const std::string& value, std::string& what)
{
    const std::string port = NameCase::Upper(name);
    if (!IsPortName(port))
    {
        what = "'" + name + "' is not a port name such as COM3";
        return false;
    }
    const std::string upper = NameCase::Upper(value);
    int64_t busy = 0;
    if (upper.compare(0, 4, "BUSY") == 0)
    {
        char* end = nullptr;
        busy = std::strtoll(value.c_str() + 4, &end, 10);
        if (busy <= 0 || !end || *end)
        {
            what = "busy needs a number of opens, as in 'busy 2'";
            return false;
        }
    }
    else if (upper != "PRESENT")
    {
        what = "a port is 'present' or 'busy N', not '" + value + "'";
        return false;
    }
    Statement insert = store.Prepare("INSERT OR REPLACE INTO serial_ports(name, busy_opens) VALUES(?1, ?2)");
    insert.Bind(1, port).Bind(2, busy);
    return insert.Run();
}

std::vector<SerialPortState> SerialPorts::All(Store& store)
{
    std::vector<SerialPortState> ports;
    Statement select = store.Prepare((std::string("SELECT ") + kColumns + " FROM serial_ports ORDER BY name").c_str());
    while (select.Step())
        ports.push_back(FromRow(select));
    return ports;
}

} // namespace winsim
