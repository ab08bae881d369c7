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
