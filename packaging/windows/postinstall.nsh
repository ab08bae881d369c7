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
