# Source lists shared by the Windows and native builds.

# The host library stand-in; all of it is portable but the PNG writer.
set(HOST_SOURCES
  host/Alloc.cpp
  host/Graphics.cpp
  host/ImageSource.cpp
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
  companion/SettingsCommand.cpp
)

# Plugin code at the Win32, GDI, GDI+ and COM edges.
set(WINDOWS_SOURCES
  plugin/Exports.cpp
  plugin/PluginState.cpp
  bridge/BridgeSteps.cpp
  bridge/FaultGuard.cpp
  bridge/RuntimeHost.cpp
  bridge/SourceWindow.cpp
  companion/SettingsCommandSend.cpp
)
