# Source lists shared by the Windows and native builds.

# The host library stand-in; all of it is portable but the PNG writer.
set(HOST_SOURCES
  host/Alloc.cpp
  host/Graphics.cpp
  host/Services.cpp
  host/String.cpp
  host/XElement.cpp
)

# Plugin code that decides things and touches no Win32: built and tested natively too. Grouped by
# folder, from the ground floor up: plugin/ (what every part uses), companion/, bridge/, source/.
set(PORTABLE_SOURCES
  plugin/FailureReports.cpp
  plugin/Registry.cpp
  companion/Hotkey.cpp
  companion/LauncherThrottle.cpp
  companion/SettingsCommand.cpp
  companion/SharedBlockParser.cpp
  bridge/Commands.cpp
  bridge/Inbound.cpp
  bridge/Payload.cpp
  source/RenderBoard.cpp
  source/Sizing.cpp
)

# Plugin code at the Win32, GDI, GDI+ and COM edges, and the exports on top (dll/).
set(WINDOWS_SOURCES
  plugin/Handles.cpp
  plugin/OwnThread.cpp
  plugin/PluginState.cpp
  companion/CompanionThread.cpp
  companion/Launcher.cpp
  companion/SharedBlock.cpp
  bridge/BridgeSteps.cpp
  bridge/FaultGuard.cpp
  bridge/RuntimeHost.cpp
  bridge/SettingsCommandSend.cpp
  bridge/SourceWindow.cpp
  source/Callbacks.cpp
  source/Gdip.cpp
  source/Measure.cpp
  source/Rasteriser.cpp
  source/RenderThread.cpp
  source/SongListSource.cpp
  dll/Exports.cpp
)

# The companion simulator's decisions (options, the block's text): no Win32, tested natively too.
set(COMPANION_SIM_LOGIC_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/companion_sim/Options.cpp
  ${CMAKE_SOURCE_DIR}/tools/companion_sim/BlockText.cpp
)
