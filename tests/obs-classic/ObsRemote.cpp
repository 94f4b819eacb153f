// Drives a running OBS.exe through its main window's own commands, as its menus and buttons do.
//     obs_remote ACTION...
//       wait MS          until OBS's main window exists (exit 2 when it does not within MS)
//       command ID       post WM_COMMAND ID to it (the ids are OBS.h's: 5002 start or stop
//                        recording, 5004 exit, 5015 start or stop the preview)
//       sleep MS         wait
//       gone MS          until the main window is gone (exit 3 when it is not within MS)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND MainWindow() { return FindWindowW(L"OBSWindowClass", nullptr); }

bool WaitFor(bool present, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while ((MainWindow() != nullptr) != present) {
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const char* action = argv[i];
        const unsigned long value = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(action, "wait") == 0) {
            if (!WaitFor(true, value)) {
                std::printf("obs_remote: no OBS window after %lu ms\n", value);
                return 2;
            }
        } else if (std::strcmp(action, "command") == 0) {
            HWND window = MainWindow();
            if (!window || !PostMessageW(window, WM_COMMAND, MAKEWPARAM(value, 0), 0)) {
                std::printf("obs_remote: command %lu not posted\n", value);
                return 1;
            }
        } else if (std::strcmp(action, "sleep") == 0) {
            Sleep(value);
        } else if (std::strcmp(action, "gone") == 0) {
            if (!WaitFor(false, value)) {
                std::printf("obs_remote: OBS still there after %lu ms\n", value);
                return 3;
            }
        } else {
            std::printf("obs_remote: unknown action %s\n", action);
            return 1;
        }
    }
    return 0;
}
