// Reads and drives another program's dialog windows, as a person at the screen would: what the
// setup program's pages and message boxes say, and its buttons.
//     window_driver ACTION...
//       window TITLE top|owned MS   until a visible top-level window whose title holds TITLE, not
//                                   owned (a wizard) or owned (a message box), exists; it becomes
//                                   the current window (exit 2 when none within MS)
//       texts                       print the text of each visible control in it, one a line:
//                                   "ID<tab>text", line breaks in a text written as \n
//       click ID                    press its button ID (posted, so a dialog the press opens
//                                   cannot block the driver)
//       set-text ID TEXT            set the text of its control ID
//       rect                        print "rect X Y WIDTH HEIGHT" of the current window
//       gone MS                     until the current window is gone (exit 3 when it is not)
//       sleep MS                    wait
// Texts go out in UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
    const wchar_t* title;
    bool owned;
    HWND found;
};

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"";
    std::vector<wchar_t> text(length + 1);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return L"";
    }
    return std::wstring(text.data(), copied);
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
    Search& search = *reinterpret_cast<Search*>(parameter);
    if (!IsWindowVisible(window)) return TRUE;
    if ((GetWindow(window, GW_OWNER) != nullptr) != search.owned) return TRUE;
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (!std::wcsstr(title, search.title)) return TRUE;
    search.found = window;
    return FALSE;
}

std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            if (IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    return controls;
}

HWND Control(HWND window, int id) {
    for (HWND child : Controls(window)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

void PrintUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

bool Wait(DWORD milliseconds, bool (*done)(void*), void* context) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done(context)) {
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    HWND current = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::wstring action = argv[i];
        auto needs = [&](int count) {
            if (i + count >= argc) {
                std::printf("window_driver: %ls needs %d argument(s)\n", action.c_str(), count);
                std::exit(1);
            }
        };
        if (action == L"window") {
            needs(3);
            Search search{argv[i + 1], std::wcscmp(argv[i + 2], L"owned") == 0, nullptr};
            const DWORD milliseconds = std::wcstoul(argv[i + 3], nullptr, 10);
            i += 3;
            const bool found = Wait(
                milliseconds,
                [](void* context) {
                    Search& s = *static_cast<Search*>(context);
                    s.found = nullptr;
                    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&s));
                    return s.found != nullptr;
                },
                &search);
            if (!found) {
                std::printf("window_driver: no window \"%ls\" after %lu ms\n", search.title, milliseconds);
                return 2;
            }
            current = search.found;
            continue;
        }
        if (action == L"sleep") {
            needs(1);
            Sleep(std::wcstoul(argv[++i], nullptr, 10));
            continue;
        }
        if (!current) {
            std::printf("window_driver: %ls before window\n", action.c_str());
            return 1;
        }
        if (action == L"texts") {
            for (HWND child : Controls(current)) {
                std::wstring text = TextOf(child);
                std::wstring line = std::to_wstring(GetDlgCtrlID(child)) + L"\t";
                for (wchar_t c : text) {
                    if (c == L'\r') continue;
                    line += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
                }
                PrintUtf8(line + L"\n");
            }
        } else if (action == L"click") {
            needs(1);
            const int id = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
            HWND button = Control(current, id);
            if (!button || !PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(button))) {
                std::printf("window_driver: no button %d to press\n", id);
                return 1;
            }
        } else if (action == L"set-text") {
            needs(2);
            const int id = static_cast<int>(std::wcstol(argv[i + 1], nullptr, 10));
            HWND control = Control(current, id);
            DWORD_PTR result = 0;
            if (!control || !SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[i + 2]),
                                                 SMTO_ABORTIFHUNG, 2000, &result)) {
                std::printf("window_driver: no control %d to set\n", id);
                return 1;
            }
            i += 2;
        } else if (action == L"rect") {
            RECT rect{};
            GetWindowRect(current, &rect);
            std::printf("rect %ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
            std::fflush(stdout);
        } else if (action == L"gone") {
            needs(1);
            const DWORD milliseconds = std::wcstoul(argv[++i], nullptr, 10);
            if (!Wait(milliseconds, [](void* window) { return !IsWindow(static_cast<HWND>(window)); }, current)) {
                std::printf("window_driver: the window is still there after %lu ms\n", milliseconds);
                return 3;
            }
        } else {
            std::printf("window_driver: unknown action %ls\n", action.c_str());
            return 1;
        }
        std::fflush(stdout);
    }
    return 0;
}
