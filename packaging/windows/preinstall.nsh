  ; A running agent holds KDX3.exe open, so its files could not be replaced: the user ends it
  ; first. Silent installs give up at once, with exit code 2.
  kdx_check_running:
  FindWindow $0 "KaleidraAgent"
  IntCmp $0 0 kdx_not_running
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kaleidra Agent is running. Close it (tray menu > Close) and choose Retry." /SD IDCANCEL IDRETRY kdx_check_running
    SetErrorLevel 2
    Quit
  kdx_not_running:
