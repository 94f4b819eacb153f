#pragma once
// Failures caught at the host boundary, said once. Every export, callback and per-source call
// the host makes catches whatever its work throws; the catch block reports it here, so a
// failure is never silent, and a call that fails on every frame writes one warning, not one per
// frame, until it succeeds again.

// The host's calls into the plugin whose failures are reported.
enum class HostCall : unsigned {
    RefreshFrame,
    ActivateSource,
    DeactivateSource,
    CreateSource,
    ConfigureSource,
    LoadPlugin,
    UnloadPlugin,
    DestroySource,
    HotkeyRelease,
    // The work the plugin's own threads do for the calls above.
    Render,
    HotkeyRegistration,
};

// Which of one owner's calls (a source's, or the process's for the callbacks and the exports)
// have failed and been reported since they last succeeded.
class FailureReports {
public:
    // Only from inside a catch block: unless this call's failure is reported already, writes one
    // AppWarning naming the call and what was caught (the what() of a std::exception, else
    // "unknown exception"). Takes no memory from the host's allocator, so it also reports
    // running out of it. Never throws.
    void Failed(HostCall call) noexcept;
    // The call ran through: its next failure is reported again.
    void Succeeded(HostCall call) noexcept { reported &= ~Bit(call); }
    bool IsReported(HostCall call) const noexcept { return (reported & Bit(call)) != 0; }

private:
    static unsigned Bit(HostCall call) noexcept { return 1u << static_cast<unsigned>(call); }
    unsigned reported = 0;
};
