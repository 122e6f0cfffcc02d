// Tables of the machine store. Every module's state that outlives a process lives here.
#pragma once

namespace winsim
{

inline constexpr const char* kSchemaSql = R"SQL(
CREATE TABLE IF NOT EXISTS meta(
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL);

-- Registry (see registry/RegistryStore.h). name holds the ANSI bytes as written; uname is the upper-cased
-- name in UTF-8, so that byte order is the order NT's registry index enumerates in. Key ids are never
-- reused (AUTOINCREMENT): an open handle to a deleted key must not find a newer one. mtime is virtual
-- milliseconds since 1601; volatile keys go away at reboot.
CREATE TABLE IF NOT EXISTS reg_keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    uname TEXT NOT NULL,
    deny_write INTEGER NOT NULL DEFAULT 0,
    mtime INTEGER NOT NULL DEFAULT 0,
    volatile INTEGER NOT NULL DEFAULT 0,
    class TEXT NOT NULL DEFAULT '',
    UNIQUE(parent, uname));

CREATE TABLE IF NOT EXISTS reg_values(
    key INTEGER NOT NULL,
    uname TEXT NOT NULL,
    name TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    seq INTEGER NOT NULL,
    PRIMARY KEY(key, uname));
CREATE INDEX IF NOT EXISTS reg_values_by_seq ON reg_values(key, seq);

-- Files module: attributes (0 = none) by upper-case normalised path, and the creation and last-write times
-- (milliseconds since 1601) of files made or written through winsim; NULL times fall back to the host's.
CREATE TABLE IF NOT EXISTS file_attrs(
    upath TEXT PRIMARY KEY,
    attrs INTEGER NOT NULL,
    mtime INTEGER,
    ctime INTEGER);

-- Write-protected folders (see files/WriteProtection.h): folders on a read-only medium or without write
-- rights for the user, by upper-case normalised path. Nothing at or below one may change.
CREATE TABLE IF NOT EXISTS protected_folders(
    upath TEXT PRIMARY KEY);

-- Processes of the machine (see processes/ProcessTable.h). host_pid is the host process of an attached
-- process (0 while its parent is still starting it, and for declared processes). A declared process is
-- a row only, scripted by the profile: it ends at `ends` (virtual ms; NULL = never) with declared_exit.
CREATE TABLE IF NOT EXISTS processes(
    pid INTEGER PRIMARY KEY,
    host_pid INTEGER NOT NULL,
    image TEXT NOT NULL,
    cmdline TEXT NOT NULL,
    parent INTEGER NOT NULL DEFAULT 0,
    started INTEGER NOT NULL,
    exited INTEGER,
    exit_code INTEGER,
    declared INTEGER NOT NULL DEFAULT 0,
    ends INTEGER,
    declared_exit INTEGER NOT NULL DEFAULT 0,
    -- 1 while the process waits on something outside the machine (a test on a host command).
    outside INTEGER NOT NULL DEFAULT 0);

-- Named events, semaphores and mutexes (kernel objects). kind: 1 event, 2 semaphore, 3 mutex.
-- state: event signalled (0/1) or semaphore count. abandoned: a mutex whose owning thread ended
-- without releasing it; the next thread to take it gets WAIT_ABANDONED.
CREATE TABLE IF NOT EXISTS named_objects(
    name TEXT PRIMARY KEY,
    kind INTEGER NOT NULL,
    manual_reset INTEGER NOT NULL DEFAULT 0,
    state INTEGER NOT NULL DEFAULT 0,
    max_count INTEGER NOT NULL DEFAULT 0,
    owner_pid INTEGER NOT NULL DEFAULT 0,
    owner_tid INTEGER NOT NULL DEFAULT 0,
    recursion INTEGER NOT NULL DEFAULT 0,
    abandoned INTEGER NOT NULL DEFAULT 0);

CREATE TABLE IF NOT EXISTS named_object_refs(
    name TEXT NOT NULL,
    pid INTEGER NOT NULL,
    count INTEGER NOT NULL,
    PRIMARY KEY(name, pid));

-- Modules (see modules/ModuleTrims.h): what the profile takes away from the built-in modules. module is
-- the upper-case file name; export '' stands for the whole module, any other row for one export.
CREATE TABLE IF NOT EXISTS module_trims(
    module TEXT NOT NULL,
    export TEXT NOT NULL,
    PRIMARY KEY(module, export));

-- Windows (headless). hwnd is the handle value; pid the owning process (its windows go when it ends);
-- parent 0 for top-level windows; owner the window a top-level window belongs to (0: none); z orders
-- top-level windows, highest on top. ui_state holds the machine-wide "focus" and "foreground" window
-- handles and "next_hwnd", the next handle value to give (handles are not reused).
CREATE TABLE IF NOT EXISTS windows(
    hwnd INTEGER PRIMARY KEY,
    pid INTEGER NOT NULL,
    tid INTEGER NOT NULL DEFAULT 0,
    parent INTEGER NOT NULL DEFAULT 0,
    class TEXT NOT NULL DEFAULT '',
    title TEXT NOT NULL DEFAULT '',
    visible INTEGER NOT NULL DEFAULT 1,
    z INTEGER NOT NULL DEFAULT 0,
    owner INTEGER NOT NULL DEFAULT 0,
    style INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS windows_by_pid ON windows(pid);
CREATE TABLE IF NOT EXISTS ui_state(
    name TEXT PRIMARY KEY,
    value INTEGER NOT NULL);
-- What the owning process shows of its windows, written whenever its message loop goes idle: the control
-- id, the rectangle (screen coordinates for top-level windows, the parent's client area for children),
-- the control's state as `winsim screen` prints it, and a top-level window's pixels (0x00RRGGBB, row by
-- row, width x height 32-bit words).
CREATE TABLE IF NOT EXISTS window_views(
    hwnd INTEGER PRIMARY KEY,
    pid INTEGER NOT NULL,
    ctrl_id INTEGER NOT NULL DEFAULT 0,
    x INTEGER NOT NULL DEFAULT 0,
    y INTEGER NOT NULL DEFAULT 0,
    cx INTEGER NOT NULL DEFAULT 0,
    cy INTEGER NOT NULL DEFAULT 0,
    state TEXT NOT NULL DEFAULT '',
    width INTEGER NOT NULL DEFAULT 0,
    height INTEGER NOT NULL DEFAULT 0,
    pixels BLOB);

-- Processes and programs (see processes/). process_modules: the modules a process has loaded besides its
-- image and the built-ins every program imports, in load order; handle is the module handle value.
-- declared_programs: what the profile scripts ([Process.N] and [Program.NAME] in machine.ini); name is
-- upper-case ("PROCESS.1", "COMPANION"); boot 1 for the processes running from (re)boot; modules holds
-- one path a line, windows one "title|class" a line; lifetime_ms NULL for a program that runs until ended;
-- installer holds what an installer program does when started, one "Key=value" a line.
CREATE TABLE IF NOT EXISTS process_modules(
    seq INTEGER PRIMARY KEY,
    pid INTEGER NOT NULL,
    handle INTEGER NOT NULL,
    path TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS process_modules_by_pid ON process_modules(pid, seq);
CREATE TABLE IF NOT EXISTS declared_programs(
    name TEXT PRIMARY KEY,
    seq INTEGER NOT NULL,
    image TEXT NOT NULL DEFAULT '',
    boot INTEGER NOT NULL DEFAULT 0,
    modules TEXT NOT NULL DEFAULT '',
    windows TEXT NOT NULL DEFAULT '',
    lifetime_ms INTEGER,
    exit_code INTEGER NOT NULL DEFAULT 0,
    installer TEXT NOT NULL DEFAULT '');

-- Serial ports and wave output (see hardware/). serial_ports: the ports of the profile's [SerialPorts];
-- busy_opens counts the opens still refused as if another program held the port, open_pid the process
-- holding it now (0: none); dcb and timeouts are the DCB and COMMTIMEOUTS last set, as stored bytes.
-- wave_out: the number of wave output devices and from when (NowMs() terms) they are there.
CREATE TABLE IF NOT EXISTS serial_ports(
    name TEXT PRIMARY KEY,
    busy_opens INTEGER NOT NULL DEFAULT 0,
    opens INTEGER NOT NULL DEFAULT 0,
    open_pid INTEGER NOT NULL DEFAULT 0,
    dcb BLOB,
    timeouts BLOB,
    in_queue INTEGER NOT NULL DEFAULT 0,
    out_queue INTEGER NOT NULL DEFAULT 0,
    dtr INTEGER NOT NULL DEFAULT 0,
    rts INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS wave_out(
    devices INTEGER NOT NULL,
    available_from_ms INTEGER NOT NULL);

-- Message boxes as they were shown, with the answer they got (scripted, or the default button).
CREATE TABLE IF NOT EXISTS message_boxes(
    seq INTEGER PRIMARY KEY,
    time_ms INTEGER NOT NULL,
    pid INTEGER NOT NULL,
    owner INTEGER NOT NULL DEFAULT 0,
    caption TEXT NOT NULL,
    text TEXT NOT NULL,
    style INTEGER NOT NULL,
    answer INTEGER NOT NULL);

-- ---- Device tree (see devices/DeviceTree.h) ----------------------------------------------------------
-- One row per device the machine has or has had, in enumeration order (seq: the profile's order, later
-- devices after). What Windows keeps in the registry (Enum, Control\Class, Services) stays there; this is
-- the hardware as the buses report it and the PnP manager's runtime state. devinst is the DEVINST handle
-- (1 is the root, never a row) and is never reused; instance is upper-case, parent '' for the root.
-- hardware_ids and compatible_ids hold one ID a line, most specific first. exposed: the parent's driver
-- enumerates the device, so it is there only while that driver runs. plugged: the hardware is there;
-- plug_at: virtual ms at which it gets plugged in. present: it has a devnode. removed: removed by
-- DIF_REMOVE, back at the next re-enumeration. driver: an installed driver loads for it. disabled is the
-- state asked for; until change_at (0: nothing under way) the device still shows was_disabled. problem:
-- a problem code an install left (0: none). pending_until: install activity pending until then (0: none).
-- enum_key caches the reg_keys id of the Enum key (0: not known). install_*: the profile's scripted
-- behaviour for installs.
CREATE TABLE IF NOT EXISTS devices(
    devinst INTEGER PRIMARY KEY,
    seq INTEGER NOT NULL,
    instance TEXT NOT NULL UNIQUE,
    parent TEXT NOT NULL DEFAULT '',
    hardware_ids TEXT NOT NULL DEFAULT '',
    compatible_ids TEXT NOT NULL DEFAULT '',
    description TEXT NOT NULL DEFAULT '',
    bus_description TEXT NOT NULL DEFAULT '',
    exposed INTEGER NOT NULL DEFAULT 0,
    plugged INTEGER NOT NULL DEFAULT 1,
    plug_at INTEGER,
    present INTEGER NOT NULL DEFAULT 0,
    removed INTEGER NOT NULL DEFAULT 0,
    driver INTEGER NOT NULL DEFAULT 0,
    disabled INTEGER NOT NULL DEFAULT 0,
    was_disabled INTEGER NOT NULL DEFAULT 0,
    change_at INTEGER NOT NULL DEFAULT 0,
    problem INTEGER NOT NULL DEFAULT 0,
    pending_until INTEGER NOT NULL DEFAULT 0,
    enum_key INTEGER NOT NULL DEFAULT 0,
    install_delay_ms INTEGER NOT NULL DEFAULT 0,
    install_fails INTEGER NOT NULL DEFAULT 0,
    needs_reboot INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS devices_by_seq ON devices(seq);
-- Driver installs the PnP manager has queued after a re-enumeration: the device, the published INF it
-- found for it, and when the install runs (virtual ms).
CREATE TABLE IF NOT EXISTS pnp_installs(
    instance TEXT PRIMARY KEY,
    inf TEXT NOT NULL,
    due INTEGER NOT NULL);
-- New hardware without a driver the PnP manager has yet to search a driver for: the device and when it
-- arrived (virtual ms).
CREATE TABLE IF NOT EXISTS pnp_arrivals(
    instance TEXT PRIMARY KEY,
    at INTEGER NOT NULL);
-- ---- end of the device tree ----------------------------------------------------------------------------

CREATE TABLE IF NOT EXISTS journal(
    seq INTEGER PRIMARY KEY,
    time_ms INTEGER NOT NULL,
    pid INTEGER NOT NULL,
    kind TEXT NOT NULL,
    op TEXT NOT NULL,
    target TEXT NOT NULL,
    detail TEXT NOT NULL DEFAULT '');
)SQL";

} // namespace winsim
