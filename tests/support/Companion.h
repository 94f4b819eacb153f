#pragma once
// Plays the companion's part inside a test process: its shared block and its two windows.
#include <windows.h>

#include <string>
#include <vector>

// Holds the named block, as the running companion does, and writes UTF-16 text into it.
class CompanionBlock {
public:
    CompanionBlock();
    ~CompanionBlock();
    CompanionBlock(const CompanionBlock&) = delete;
    CompanionBlock& operator=(const CompanionBlock&) = delete;
    bool Ok() const { return view != nullptr; }
    // The text and a NUL (at most 1024 units are written; longer text leaves no NUL).
    void Write(const std::wstring& text);

private:
    HANDLE mapping = nullptr;
    unsigned char* view = nullptr;
};

// A top-level window with one of the companion's titles, recording the companion messages it
// gets (1129 and 1230) in Received().
class CompanionWindow {
public:
    explicit CompanionWindow(const wchar_t* title);
    ~CompanionWindow();
    CompanionWindow(const CompanionWindow&) = delete;
    CompanionWindow& operator=(const CompanionWindow&) = delete;
    HWND get() const { return window; }

    struct Message {
        HWND window;
        UINT message;
    };
    static std::vector<Message>& Received();

private:
    HWND window = nullptr;
};

// The settings line the companion writes, from its fields in order (font, size, colour, ...).
std::wstring SettingsLine(const std::wstring& font, int fontSize, int color, int textOpacity, int backgroundColor,
                          int backgroundOpacity, int bold, int italic, int underline, int outline, int outlineSize,
                          int outlineColor, int outlineOpacity, int hotkey);
