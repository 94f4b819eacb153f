#pragma once
// Runs another Windows program for a test and collects what it printed.
#include <windows.h>

#include <string>

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::string output;  // standard output and standard error, as written
};

// Runs the command line and waits up to `timeoutMs`; a program still running then is killed.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs);

// A program left running in the background, killed by the destructor if still alive.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::wstring& commandLine);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool Started() const { return process != nullptr; }
    DWORD Id() const { return id; }
    // Waits for the exit; false on time-out.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();

private:
    HANDLE process = nullptr;
    DWORD id = 0;
};

// How many threads this process has now.
long ThreadsOfThisProcess();
