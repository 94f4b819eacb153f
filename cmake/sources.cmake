# Source lists shared by the Windows and native builds.

# The host library stand-in; all of it is portable but the PNG writer.
set(HOST_SOURCES
  host/Alloc.cpp
  host/Graphics.cpp
  host/Services.cpp
  host/String.cpp
  host/XElement.cpp
)

# Plugin code that decides things and touches no Win32: built and tested natively too.
set(PORTABLE_SOURCES
  bridge/Commands.cpp
  bridge/Inbound.cpp
  bridge/Payload.cpp
  bridge/Registry.cpp
  companion/LauncherThrottle.cpp
  companion/SharedBlockParser.cpp
  source/Sizing.cpp
  companion/SettingsCommand.cpp
  plugin/FailureReports.cpp
)

# Plugin code at the Win32, GDI, GDI+ and COM edges.
set(WINDOWS_SOURCES
  companion/Launcher.cpp
  companion/SharedBlock.cpp
  plugin/Exports.cpp
  plugin/Handles.cpp
  plugin/PluginState.cpp
  source/Callbacks.cpp
  source/Gdip.cpp
  source/Measure.cpp
  source/Rasteriser.cpp
  source/SharedRender.cpp
  source/SongListSource.cpp
  bridge/BridgeSteps.cpp
  bridge/FaultGuard.cpp
  bridge/RuntimeHost.cpp
  bridge/SourceWindow.cpp
  companion/SettingsCommandSend.cpp
)

# The companion simulator's decisions (options, the block's text): no Win32, tested natively too.
set(COMPANION_SIM_LOGIC_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/companion_sim/Options.cpp
  ${CMAKE_SOURCE_DIR}/tools/companion_sim/BlockText.cpp
)
