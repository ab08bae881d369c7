  ; The agent keeps KDX.ini beside itself, where the companion screensaver reads it. Windows
  ; refuses a 64-bit program's writes into Program Files to users without administrator rights
  ; (it redirects only 32-bit programs), so the installer makes the file and lets the built-in
  ; group Users (its well-known SID) change it; the program files themselves stay protected.
  IfFileExists "$INSTDIR\KDX.ini" kdx_ini_made
    FileOpen $0 "$INSTDIR\KDX.ini" w
    FileClose $0
  kdx_ini_made:
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\KDX.ini" /grant *S-1-5-32-545:M'
  Pop $0

  ; The companion screensaver goes where Windows finds it by its bare name, both when it starts
  ; "SCRNSAVE.EXE" and when the agent opens "KDXSaver.SCR" through the shell: the system folder.
  ; This is a 64-bit installer (checked in preinstall.nsh), so $SYSDIR is the 64-bit System32
  ; and no file-system redirection applies. Other products may install a file of that name too:
  ; the count of users under SharedDLLs says when the last one is gone. This installation counts
  ; once, however often it is installed again over itself.
  SetOutPath "$SYSDIR"
  File "/oname=KDXSaver.SCR" "@KDX_COMPANION_FILE@"
  SetOutPath "$INSTDIR"
  ReadRegStr $0 SHCTX "Software\Tembrix Software\Kaleidra Agent" "CompanionCounted"
  StrCmp $0 "1" kdx_companion_counted
    ClearErrors
    ReadRegDWORD $0 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" "$SYSDIR\KDXSaver.SCR"
    IfErrors 0 +2
      StrCpy $0 0
    IntOp $0 $0 + 1
    WriteRegDWORD HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs" "$SYSDIR\KDXSaver.SCR" $0
    WriteRegStr SHCTX "Software\Tembrix Software\Kaleidra Agent" "CompanionCounted" "1"
  kdx_companion_counted:
