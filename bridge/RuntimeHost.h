#pragma once
#include "bridge/ClrHosting.h"

// Creates the runtime's meta host through mscoree.dll, loaded at run time so the plugin loads
// where .NET is absent. Stores the creation's HRESULT in `result`; null on any failure.
ICLRMetaHost* CreateMetaHost(HRESULT& result) noexcept;
