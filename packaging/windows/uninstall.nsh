  ; A running agent holds KDX3.exe open: the user ends it first, or nothing is removed (exit
  ; code 2).
  kdx_check_running:
  FindWindow $0 "KaleidraAgent"
  IntCmp $0 0 kdx_not_running
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kaleidra Agent is running. Close it (tray menu > Close) and choose Retry." /SD IDCANCEL IDRETRY kdx_check_running
    SetErrorLevel 2
    Quit
  kdx_not_running:

  ; The log-on entry would start the removed program: it goes when it names this copy.
  ReadRegStr $0 HKCU "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" "Kaleidra"
  StrCmp $0 '"$INSTDIR\KDX3.exe"' 0 kdx_run_kept
    DeleteRegValue HKCU "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" "Kaleidra"
  kdx_run_kept:

  ; KDX.ini holds the user's lists and stays, unless it is still the empty file the installer
  ; made.
  ClearErrors
  FileOpen $0 "$INSTDIR\KDX.ini" r
  IfErrors kdx_ini_kept
    FileSeek $0 0 END $1
    FileClose $0
    IntCmp $1 0 0 kdx_ini_kept kdx_ini_kept
      Delete "$INSTDIR\KDX.ini"
  kdx_ini_kept:

  ; The companion screensaver in the system folder goes when this was the last installation
  ; that counted on it (SharedDLLs); another product's count keeps it. Once it is gone, the
  ; user's "SCRNSAVE.EXE" that names it would name a missing program: it is removed, which
  ; Windows reads as no screensaver. A copy still running is removed at the next restart.
  ReadRegStr $0 SHCTX "Software\Tembrix Software\Kaleidra Agent" "CompanionCounted"
  StrCmp $0 "1" 0 kdx_companion_kept
    ClearErrors
    ReadRegDWORD $0 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" "$SYSDIR\KDXSaver.SCR"
    IfErrors 0 +2
      StrCpy $0 1
    IntOp $0 $0 - 1
    IntCmp $0 0 kdx_companion_last kdx_companion_last
      WriteRegDWORD HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" "$SYSDIR\KDXSaver.SCR" $0
      Goto kdx_companion_kept
    kdx_companion_last:
      DeleteRegValue HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" "$SYSDIR\KDXSaver.SCR"
      Delete /REBOOTOK "$SYSDIR\KDXSaver.SCR"
      ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
      StrCmp $0 '"KDXSaver.SCR"' 0 kdx_companion_kept
        DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
  kdx_companion_kept:
