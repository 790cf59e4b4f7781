#!/usr/bin/env python3
"""Writes data/demo-machine/: an invented Windows 98 SE computer with a Radeon card, five
installed games and their icons. Every byte is made here; run it again to rebuild the folder."""
import os
import shutil
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "demo-machine")
FULL_CARD_LINE = "CARD_ATI Radeon256 /R:640x480 /R:800x600 /R:1024x768 /R:1280x1024 /R:1600x1200 /I"

REGISTRY = r'''REGEDIT4

; An invented Windows 98 SE machine for trying Kavendel out.

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion]
"VersionNumber"="4.10.2222"
"SystemRoot"="C:\\WINDOWS"
"RegisteredOwner"="デモ ユーザー"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000]
"DriverDesc"="RADEON DDR"
"InfSection"="R6_AGP_ENU"
"ProviderName"="ATI Technologies Inc."
"DevLoader"="*vdd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0010]
"DriverDesc"="ATI WDM Rage Theater Audio"
"ProviderName"="ATI Technologies Inc."

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0011]
"DriverDesc"="ATI WDM Rage Theater Video"
"ProviderName"="ATI Technologies Inc."

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0012]
"DriverDesc"="Sound Blaster Demo"
"ProviderName"="Demo Audio Inc."

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Memory]
"Size"="64.0"
"Type"="DDR SDRAM (Double Data Rate)"
"Block Write Support"="No (0)"
"Upgrade Module Possibility"="No (0)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\ASIC]
"Chip ID"="0x5144 (RADEON)"
"Bus Type"="AGP (Accelerated Graphics Port)"
"AGP Transfer"="4x (1x,2x,4x)"
"2D Acceleration"="Yes (1)"
"3D Acceleration"="Yes (1)"
"Aperture Range"="64MB (0xE4000000)"
"Bus Mastering"="Yes (1)"
"IDCT"="Yes (1)"
"Motion Compensation"="Yes (1)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Audio]
"SPDIF Output"="No (0)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\BIOS]
"Part Number"="DEMO-0097-64 (R6)"
"Version"="1.0.97 (Demo)"
"File Name"="DEMO64.BIN"
"Date"="2000/07/14"
"DDC Detected"="DDC2B (Monitor)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Driver]
"Version"="4.12.97 (Demo build)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Multi Media]
"Any Video In"="Yes (1)"
"Any Video Out"="Yes (1)"
"Is All-in-Wonder Family"="No (0)"
"IO Expander Found"="No (0)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Video In]
"Chip Type"="Rage Theater (Rev. A)"
"Crystal Frequency"="28.63636MHz (NTSC)"
"Standard"="NTSC-J (Japan)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\CDS\0000\0\Video Out]
"Chip Type"="Rage Theater (Rev. A)"
"Crystal Frequency"="28.63636MHz (NTSC)"
"Standard"="NTSC-J (Japan)"
"Bus Type"="I2C (Serial)"
"Macro Vision Support"="Yes (1)"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\Driver\0000\atidxhal]
"UseAGP"="1"
"UseMMX"="1"
"Use3DNow"="0"
"UseKNI"="1"
"TCL"="1"
"DisableHyperZ"="0"
"FastZClearEnabled"="1"
"enableTextureCompression"="1"
"ExportCompressedTex"="1"
"TableFog"="1"

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\Driver\0000\DAL]
"DALGameGammaScale"=dword:00808080
"GCOOPTION_SlowerEdge"=dword:00000000
"GCORULE_RMXSupport"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\ATI Technologies\Driver\0000\OpenGL]
"OGLEnableHWPageFlip"=dword:00000001
"OGLWaitVerticalSync"=dword:00000000
"OGLMaxAnisotropy"=dword:00000004
"OGLLODBias"=dword:00000002

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\VxD\VIAGART]
"Turbo"=hex:01,00
"SideBand"=hex:00,00

[HKEY_LOCAL_MACHINE\SOFTWARE\EA SPORTS\Euro 2000]
"Install Dir"="C:\\Program Files\\EA SPORTS\\Euro 2000"

[HKEY_LOCAL_MACHINE\SOFTWARE\Electronic Arts\Need For Speed - Porsche Unleashed]
"Install Dir"="C:\\Program Files\\Electronic Arts\\Porsche Unleashed"

[HKEY_LOCAL_MACHINE\SOFTWARE\Electronic Arts\Need For Speed High Stakes]
"InstallPath"="C:\\Program Files\\Electronic Arts\\High Stakes"

[HKEY_LOCAL_MACHINE\SOFTWARE\EA SPORTS\NBA Live 2000]
"Install Dir"="C:\\Program Files\\EA SPORTS\\NBA Live 2000"

[HKEY_LOCAL_MACHINE\SOFTWARE\EA SPORTS\FIFA 2000]
"Install Dir"="C:\\Program Files\\EA SPORTS\\FIFA 2000"

[HKEY_LOCAL_MACHINE\SOFTWARE\Electronic Arts\3D Data]
"Cards"=dword:00000001
"1"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\Electronic Arts\3D Data\Card1]
"Group"="D3D"
"Module"="d3d"
"Name"="Demo Accelerator"
"Types"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\Electronic Arts\3D Data\Sort Order]
"1"=dword:00000001

[HKEY_USERS\.DEFAULT\Control Panel\Desktop]
"Wallpaper"="C:\\WINDOWS\\壁紙.bmp"
"UserPreferencemask"=hex:be,00,00,00

[HKEY_USERS\.DEFAULT\Software\Electronic Arts\3D Data]
"Cards"=dword:00000000

[HKEY_USERS\.DEFAULT\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Startup"="C:\\WINDOWS\\ｽﾀｰﾄ ﾒﾆｭｰ\\ﾌﾟﾛｸﾞﾗﾑ\\ｽﾀｰﾄｱｯﾌﾟ"
'''

# Folder names on disk deliberately differ in case from the registry's paths.
GAMES = [
    # folder on disk, icon (name on disk, colours), configuration file on disk, lines
    ("program files/EA Sports/EURO 2000", ("EURO2000.ICO", (0x20, 0x60, 0xC0), (0xF0, 0xF0, 0xF0)),
     "3DSETUP/3dsetup.ini",
     ["[3D Setup]", "CARD_Software Renderer /R:640x480 /S", "CARD_Demo Accelerator /R:640x480 /R:800x600 /I"]),
    ("program files/ELECTRONIC ARTS/Porsche unleashed", ("nfs5.ico", (0xC0, 0x20, 0x20), (0x20, 0x20, 0x20)),
     "3dsetup/3DSETUP.INI",
     ["[3D Setup]", "CARD_Software Renderer /R:640x480 /S", "CARD_ATI Radeon256", "END"]),
    ("program files/ELECTRONIC ARTS/HIGH STAKES", ("NFSHS.ICO", (0xE0, 0xA0, 0x10), (0x10, 0x10, 0x10)),
     "3DSetup/3DDATA.DAT",
     ["; 3D card table", "VERSION 4", "CARD_Software Renderer", "CARD_Demo Accelerator", "CARD_Demo Pro 2",
      "DRIVER d3d", "MODE 640x480", "MODE 800x600", "MODE 1024x768", "FOG ON", "END"]),
    ("program files/EA Sports/nba live 2000", ("NBALive.ico", (0x80, 0x20, 0xA0), (0xF0, 0x90, 0x20)),
     "Setup/3DSetup.ini",
     ["[3D Setup]", "CARD_ATI Radeon256", "CARD_Demo Accelerator", "END"]),
    ("program files/EA Sports/Fifa 2000", None,
     "3dsetup/3dsetup.INI",
     ["[3D Setup]", "CARD_Demo Accelerator /R:640x480 /I", FULL_CARD_LINE]),
]

INF_FILES = ["ATI_9XAA.INF", "ATITUNEP.INF", "ATIVMDXX.INF"]
# The Startup folder that Shell Folders names, as on a Japanese Windows 98. It is empty, as on a
# new installation, so git does not keep it; --apply-at-next-start makes it again, as Windows does.
STARTUP = "Windows/ｽﾀｰﾄ ﾒﾆｭｰ/ﾌﾟﾛｸﾞﾗﾑ/ｽﾀｰﾄｱｯﾌﾟ"


def icon(body, edge):
    """A 32x32, 32-bit Windows icon: a rounded badge with a diagonal stripe."""
    rows = []
    for y in range(31, -1, -1):  # bottom-up, as in a DIB
        row = b""
        for x in range(32):
            dx, dy = x - 15.5, y - 15.5
            inside = dx * dx + dy * dy <= 15 * 15
            if not inside:
                row += b"\x00\x00\x00\x00"
                continue
            r, g, b = edge if abs(x - y) <= 2 or dx * dx + dy * dy >= 13 * 13 else body
            row += bytes((b, g, r, 0xFF))
        rows.append(row)
    pixels = b"".join(rows)
    mask = b"\x00" * (4 * 32)  # AND mask, 32 rows of 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, len(image), 22) + image


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    shutil.rmtree(ROOT, ignore_errors=True)
    write(os.path.join(ROOT, "registry.reg"), REGISTRY.replace("\n", "\r\n").encode("cp932"))
    for folder, icon_data, config, lines in GAMES:
        base = os.path.join(ROOT, "drive_c", folder)
        if icon_data:
            name, body, edge = icon_data
            write(os.path.join(base, name), icon(body, edge))
        write(os.path.join(base, config), ("\r\n".join(lines) + "\r\n").encode("cp932"))
    for name in INF_FILES:
        write(os.path.join(ROOT, "drive_c", "Windows", "inf", name),
              ("; Demo setup information\r\n[Version]\r\nSignature=\"$CHICAGO$\"\r\n").encode("cp932"))
    os.makedirs(os.path.join(ROOT, "drive_c", STARTUP))


if __name__ == "__main__":
    main()
