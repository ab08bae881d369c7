  ; A running agent holds KDX3.exe open, so its files could not be replaced: the user ends it
  ; first. Silent installs give up at once, with exit code 2.
  kdx_check_running:
  FindWindow $0 "KaleidraAgent"
  IntCmp $0 0 kdx_not_running
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kaleidra Agent is running. Close it (tray menu > Close) and choose Retry." /SD IDCANCEL IDRETRY kdx_check_running
    SetErrorLevel 2
    Quit
  kdx_not_running:
  ; The companion goes into $SYSDIR, which is the 64-bit System32 only for a 64-bit installer
  ; (a 32-bit one is redirected to SysWOW64, where 64-bit Windows does not look for it).
  !if ${NSIS_PTR_SIZE} < 8
    !error "the installer must be a 64-bit one (Target amd64-unicode)"
  !endif
