// A reference for the agent's start-up: its own main window, built and shown as the agent shows
// it with the status panel docked, but without the creation sequence (no settings read, no hot
// keys, no wallpaper rotation, no tray). What the agent takes beyond this is its own work; what
// this takes beyond the bare Qt window is the window's widgets and texts.
#include "app/Panels.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"

int main(int argc, char** argv)
{
    kdx::TApplication app(argc, argv);
    kdx::TfrmMain window(kdx::TFormCatalog {kdx::StandardPanels(), {}}, nullptr, kdx::TTrayAndKeys::AfterWindowShown);
    window.mnuStatusClick();
    window.ShowMainWindow();
    return app.exec();
}
