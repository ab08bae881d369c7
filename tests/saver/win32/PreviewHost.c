/* Stands in for the Screen Saver Settings dialog's little screen: a 320 x 240 window titled
   "Preview host" at the top left of the screen, whose handle it passes to the program named on
   its command line as "/p <window>", as Windows does. It looks twice a second for a child window
   of that program filling its own inner area, closes its window after the number of seconds
   given second, then waits up to five seconds for the program to end. Exit code: 0 when the
   child was there and the program ended, 1 when the program did not end (the preview must end
   with its window), 2 when it could not start it, 3 when no such child window was seen.
   Usage: previewhost.exe PROGRAM SECONDS */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static DWORD program;
static int childSeen;

static BOOL CALLBACK LookAtChild(HWND child, LPARAM host)
{
    DWORD owner = 0;
    RECT inner;
    GetWindowThreadProcessId(child, &owner);
    GetClientRect(child, &inner);
    if (owner == program && GetParent(child) == (HWND)host && IsWindowVisible(child) && inner.right == 320
        && inner.bottom == 240)
        childSeen = 1;
    return TRUE;
}

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == 2) {
        EnumChildWindows(window, LookAtChild, (LPARAM)window);
        return 0;
    }
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv)
{
    WNDCLASSA windowClass = {0};
    HWND host;
    char command[MAX_PATH * 2];
    STARTUPINFOA start;
    PROCESS_INFORMATION started;
    MSG message;
    if (argc != 3)
        return 2;
    ZeroMemory(&start, sizeof start);
    start.cb = sizeof start;
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = "PreviewHost";
    RegisterClassA(&windowClass);
    host = CreateWindowExA(0, "PreviewHost", "Preview host", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, NULL, NULL,
        windowClass.hInstance, NULL);
    snprintf(command, sizeof command, "\"%s\" /p %llu", argv[1], (unsigned long long)(ULONG_PTR)host);
    if (!CreateProcessA(argv[1], command, NULL, NULL, FALSE, 0, NULL, NULL, &start, &started))
        return 2;
    program = started.dwProcessId;
    SetTimer(host, 1, (UINT)atoi(argv[2]) * 1000, NULL);
    SetTimer(host, 2, 500, NULL);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    if (WaitForSingleObject(started.hProcess, 5000) != WAIT_OBJECT_0)
        return 1;
    return childSeen ? 0 : 3;
}
