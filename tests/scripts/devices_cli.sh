#!/usr/bin/env bash
# The device tree through the winsim command: a fresh machine lists the profile's devices in order with
# their state, and plugging a device in and out shows in the tree, the registry and the journal.
set -u
src="$1"
bin="$2"
W="$bin/winsim"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

modem='USB\VID_F0E1&PID_3A01\5&1E2D3C4B&0&1'
soft='PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\4&1A2B3C4D&0&58F0'

"$W" new "$src/profiles/xp-sp2" "$work/m" || fail "winsim new"
out=$("$W" devices "$work/m") || fail "winsim devices"
[ "$(printf '%s\n' "$out" | head -1)" = 'HTREE\ROOT\0' ] || fail "the tree does not start at the root"

# The device lines, in profile order, each indented by its depth.
devices=$(printf '%s\n' "$out" | grep -v '^ *[a-z ]*: ' | tail -n +2)
expected='  PCI\VEN_F0E2&DEV_0A10&SUBSYS_0A10F0E2&REV_02\3&267A616A&0&D8
    HDAUDIO\FUNC_02&VEN_F0E1&DEV_2F20&SUBSYS_F0E10001&REV_1001\4&1C3B2A0E&0&0102
      HDAMDM\WAVE_F0E1_2F20\5&2A6C0D11&0&0
      HDAMDM\VOICE_F0E1_2F20\5&2A6C0D11&0&1
      HDAMDM\FAX_F0E1_2F20\5&2A6C0D11&0&2
    HDAUDIO\FUNC_01&VEN_F0E1&DEV_5045&SUBSYS_F0E10001&REV_1001\4&1C3B2A0E&0&0001
  PCI\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01\4&1A2B3C4D&0&58F0
    MDMSAMPL\CHILD_AUDIO\5&3B1F0C22&0&0
  PCI\VEN_F0E2&DEV_0B20&SUBSYS_0B20F0E2&REV_01\3&267A616A&0&EF
    USB\ROOT_HUB20\4&2D4C1B3A&0
      USB\VID_F0E1&PID_3A01\5&1E2D3C4B&0&1'
[ "$devices" = "$expected" ] || fail "devices out of order: $devices"

# A device's status line follows its block.
status() { "$W" devices "$work/m" | grep -A7 -F "$1" | grep -m1 'status:' | sed 's/.*status: *//'; }
[ "$(status "$soft")" = "problem 28 (no driver)" ] || fail "soft modem: $(status "$soft")"
[ "$(status 'PCI\VEN_F0E2&DEV_0A10')" = "started" ] || fail "controller: $(status 'PCI\VEN_F0E2&DEV_0A10')"
[ "$(status "$modem")" = "absent (unplugged)" ] || fail "USB modem: $(status "$modem")"
[ "$(status 'HDAMDM\WAVE')" = "absent (parent's driver not running)" ] || fail "wave: $(status 'HDAMDM\WAVE')"

# Plugged in: found as new hardware, without a driver; its keys are made and journalled.
"$W" plug "$work/m" "$(printf '%s' "$modem" | tr 'A-Z' 'a-z')" || fail "winsim plug"
[ "$(status "$modem")" = "problem 28 (no driver)" ] || fail "plugged USB modem: $(status "$modem")"
"$W" reg "$work/m" export 'HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_F0E1&PID_3A01' | grep -q '"HardwareID"=hex(7)' ||
    fail "the plugged modem has no Enum key"
"$W" journal "$work/m" | grep -qF "device   plug         $modem" || fail "the journal lacks the plug-in"

# Pulled out: absent again, its keys stay; a reboot leaves it out.
"$W" unplug "$work/m" "$modem" || fail "winsim unplug"
[ "$(status "$modem")" = "absent (unplugged)" ] || fail "unplugged USB modem: $(status "$modem")"
"$W" reg "$work/m" export 'HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_F0E1&PID_3A01' >/dev/null ||
    fail "unplugging took the keys away"
"$W" reboot "$work/m" || fail "winsim reboot"
[ "$(status "$modem")" = "absent (unplugged)" ] || fail "rebooted USB modem: $(status "$modem")"
[ "$(status "$soft")" = "problem 28 (no driver)" ] || fail "rebooted soft modem: $(status "$soft")"

"$W" plug "$work/m" 'USB\VID_FFFF&PID_0000\1' 2>/dev/null && fail "plugging an unknown device succeeded"
"$W" plug "$work/m" 2>/dev/null && fail "plug without a device succeeded"
"$W" devices 2>/dev/null && fail "devices without a machine succeeded"

# Windows 9x keeps the tree under HKLM\Enum.
"$W" new "$src/profiles/win98se" "$work/98" || fail "winsim new win98se"
"$W" reg "$work/98" export 'HKLM\Enum\PCI' | grep -q '"HardwareID"="PCI\\\\VEN_F0E1&DEV_2F20&SUBSYS_200FF0E1&REV_01,' ||
    fail "the Windows 9x HardwareID is not one comma-separated string"
echo "PASS"
