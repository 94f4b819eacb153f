#pragma once
// Every name, text and number that the plugin shares with the host, the companion program or
// the user, each in one place.

// Settings keys: the source's look and size in its "data" element, "cx"/"cy" on the source's
// own element.
namespace keys {

inline constexpr const wchar_t* kData = L"data";
inline constexpr const wchar_t* kCx = L"cx";
inline constexpr const wchar_t* kCy = L"cy";
inline constexpr const wchar_t* kFont = L"font";
inline constexpr const wchar_t* kFontSize = L"fontSize";
inline constexpr const wchar_t* kColor = L"color";
inline constexpr const wchar_t* kTextOpacity = L"textOpacity";
inline constexpr const wchar_t* kBackgroundColor = L"backgroundColor";
inline constexpr const wchar_t* kBackgroundOpacity = L"backgroundOpacity";
inline constexpr const wchar_t* kBold = L"bold";
inline constexpr const wchar_t* kItalic = L"italic";
inline constexpr const wchar_t* kUnderline = L"underline";
inline constexpr const wchar_t* kOutline = L"outline";
inline constexpr const wchar_t* kOutlineSize = L"outlineSize";
inline constexpr const wchar_t* kOutlineColor = L"outlineColor";
inline constexpr const wchar_t* kOutlineOpacity = L"outlineOpacity";
inline constexpr const wchar_t* kHotkey = L"hotkey";
inline constexpr const wchar_t* kBaseSizeCx = L"baseSizeCX";
inline constexpr const wchar_t* kBaseSizeCy = L"baseSizeCY";
inline constexpr const wchar_t* kRandomColor = L"RandomColor";
inline constexpr const wchar_t* kRandomForeColor = L"RandomForeColor";
inline constexpr const wchar_t* kInnerId = L"innerId";
inline constexpr const wchar_t* kUsingAscii = L"usingASCII";
inline constexpr const wchar_t* kFreeList = L"free_list";

}  // namespace keys

namespace names {

// ---- the plugin and its source class
inline constexpr const wchar_t* kPluginName = L"Tavik直播点歌插件";          // also the class name
inline constexpr const wchar_t* kSourceDisplayName = L"Tavik直播点歌源";
inline constexpr const wchar_t* kPluginDescription = L"Tavik直播点歌";
inline constexpr const wchar_t* kDefaultText = L"请在点歌平台中启动点歌系统";  // the hint the base size is measured from

// ---- the companion program
inline constexpr const wchar_t* kSharedBlockName = L"ForQuorbMusicCSWrite";
inline constexpr unsigned kSharedBlockBytes = 2048;
inline constexpr const wchar_t* kCompanionMessageWindow = L"MessageFormQuorbMusic";
inline constexpr const wchar_t* kCompanionMainWindow = L"OrvelTavik直播弹幕点歌系统";
inline constexpr unsigned kWakeMessage = 1129;    // WM_USER + 105
inline constexpr unsigned kHotkeyMessage = 1230;  // WM_USER + 206
inline constexpr const char* kCompanionExecutable = "plugins\\TavikMusic\\RunMusic.exe";
inline constexpr const char* kPlatformCode = "5";
inline constexpr const char* kLaunchArgumentsFormat = "%s %d";  // platform code, host process id
inline constexpr unsigned kLaunchArgumentsBytes = 2048;
inline constexpr int kLaunchThrottleSeconds = 2;
// How long a send to a companion window may block before it is given up.
inline constexpr unsigned kCompanionSendTimeoutMs = 2000;
// How long UnloadPlugin waits, in all, for the plugin's own threads to end.
inline constexpr unsigned kUnloadWaitMs = 2500;

// ---- the in-process bridge
inline constexpr const wchar_t* kRuntimeVersion = L"v4.0.30319";
inline constexpr const wchar_t* kCompanionAssembly = L".\\plugins\\TavikMusic\\QuorbMusic.dll";
inline constexpr const char* kCompanionAssemblyNarrow = ".\\plugins\\TavikMusic\\QuorbMusic.dll";
inline constexpr const wchar_t* kCompanionType = L"QuorbMusic.QuorbMusic";
inline constexpr const wchar_t* kCompanionMethod = L"Command";
inline constexpr const wchar_t* kSourceWindowClass = L"TavikMusic Message-Only-Window";  // also the title
// CS_HREDRAW | CS_VREDRAW, and WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL (never shown).
inline constexpr unsigned kSourceWindowClassStyle = 0x0003;
inline constexpr unsigned kSourceWindowStyle = 0x00FF0000;

// Commands to the companion's Command method: a bare word, or a verb and its argument (for
// the most part the source window's id, see IdText).
inline constexpr const wchar_t* kSetPlatformCommand = L"setPlatform:";  // followed by kPlatformCode
inline constexpr const wchar_t* kInitCommand = L"init:";
inline constexpr const wchar_t* kSettingsCommand = L"Set:";
inline constexpr const wchar_t* kSettingsSeparator = L"{|}";
inline constexpr const wchar_t* kStartCommand = L"start:";
inline constexpr const wchar_t* kStopCommand = L"stop:";
inline constexpr const wchar_t* kShowFormCommand = L"ShowForm:";
inline constexpr const wchar_t* kAsciiCommand = L"ASCII";
inline constexpr const wchar_t* kQuitCommand = L"quit";
// What "ShowForm:" answers when the user accepted the settings, and when the user declined.
inline constexpr unsigned kShowFormAccepted = 0;
inline constexpr unsigned kShowFormDeclined = 1;

// Messages from the companion to a source window.
inline constexpr unsigned kAnsiPayloadsMessage = 1029;   // WM_USER + 5
inline constexpr unsigned kUtf16PayloadsMessage = 1030;  // WM_USER + 6
// WM_COPYDATA codes (dwData).
inline constexpr unsigned kCopyText = 1;               // the text to show
inline constexpr unsigned kCopySetInt = 101;           // "key|value", value as an integer
inline constexpr unsigned kCopySetString = 102;        // "key|value", value as text
inline constexpr unsigned kCopySetColor = 103;         // "key|value", value as a colour, made opaque
inline constexpr unsigned kCopyLog = 200;              // a line for the host log
inline constexpr unsigned kCopyRandomForeColor = 203;  // a colour for keys::kRandomForeColor
inline constexpr wchar_t kKeyValueSeparator = L'|';
inline constexpr unsigned kOpaqueAlpha = 0xFF000000u;

// A retired registry record's inner id ends in this.
inline constexpr const wchar_t* kRetiredSuffix = L".delete";

// The "Set:" command's fields, in the command's order, with the command's own defaults (they
// are not the source reader's: the outline colour and width differ).
struct SettingsCommandField {
    const wchar_t* key;
    const wchar_t* textDefault;  // not null: the value is text
    int intDefault;
};
inline constexpr SettingsCommandField kSettingsCommandFields[] = {
    {keys::kFont, L"宋体", 0},
    {keys::kColor, nullptr, static_cast<int>(0xFFFF9000u)},
    {keys::kFontSize, nullptr, 42},
    {keys::kTextOpacity, nullptr, 100},
    {keys::kBackgroundColor, nullptr, static_cast<int>(0xFF000000u)},
    {keys::kBackgroundOpacity, nullptr, 0},
    {keys::kBold, nullptr, 0},
    {keys::kItalic, nullptr, 0},
    {keys::kUnderline, nullptr, 0},
    {keys::kOutline, nullptr, 0},
    {keys::kOutlineOpacity, nullptr, 100},
    {keys::kOutlineColor, nullptr, static_cast<int>(0xFF808080u)},
    {keys::kOutlineSize, nullptr, 2},
    {keys::kFreeList, L"", 0},
};

// ---- support contact, ending the messages that ask the user to get help
inline constexpr const wchar_t* kSupportGroup = L"563812947";

// ---- messages to the user
inline constexpr const wchar_t* kLaunchErrorMessage = L"启动点歌平台错误, 请重试或联系QQ群: ";
inline constexpr const wchar_t* kFontNotFoundMessage = L"Sources.TextSource.FontNotFound";
inline constexpr const wchar_t* kShowFormErrorMessage = L"发生错误,设置失败，请检查插件文件是否损坏";
inline constexpr const wchar_t* kMissingAssemblyMessage =
    L"错误码126，缺少dll，请将插件包中内容（包括1个dll文件和1个目录）全部复制到obs的plugins目录下，不要分开放置。";
inline constexpr const wchar_t* kNoRuntimeMessage = L"错误码127，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。";
inline constexpr const wchar_t* kRuntimeFaultMessage = L"错误码128，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。";
inline constexpr const wchar_t* kHelpLineShort = L"如需帮助，可加讨论群：";
inline constexpr const wchar_t* kHelpLineLong = L"如果需要帮助，可加讨论群：";
inline constexpr const wchar_t* kMessageLineBreak = L"\r\n";

// ---- log and standard-output texts
inline constexpr const wchar_t* kConfigureNullElementWarning = L"ConfigureTextSource: NULL element";
inline constexpr const wchar_t* kMeasureStringFailed = L"TextSource::UpdateTexture: Gdiplus::Graphics::MeasureString failed: %u";
inline constexpr const wchar_t* kClearFailed = L"TextSource::UpdateTexture: Graphics::Clear failed: %u";
inline constexpr const wchar_t* kDrawStringFailed = L"TextSource::UpdateTexture: Graphics::DrawString failed: %u";
// Deactivation could not make the font of the hint text: kFontNotFoundMessage, then the face
// name; it is not measured.
inline constexpr const wchar_t* kHintFontNotFoundWarning =
    L"MorvathThanksImage::DeactivateSource: %ls: \"%ls\", the hint text is not measured";
inline constexpr const wchar_t* kLaunchSucceeded = L"Successed!";
inline constexpr const wchar_t* kLaunchReturnValue = L"return value:%d\n";
inline constexpr const wchar_t* kLaunchLastError = L"GetLastError: %d";
inline constexpr const wchar_t* kSourceWindowFailed = L"SourceWindowProc: message %u failed";
// A failure caught where the host called in: the call's name, then what was caught.
inline constexpr const wchar_t* kHostCallFailedWarning = L"%ls failed: %ls";
inline constexpr const wchar_t* kUnknownException = L"unknown exception";
inline constexpr const wchar_t* kRefreshFrameCall = L"MorvathThanksImage::RefreshFrame";
inline constexpr const wchar_t* kActivateSourceCall = L"MorvathThanksImage::ActivateSource";
inline constexpr const wchar_t* kDeactivateSourceCall = L"MorvathThanksImage::DeactivateSource";
inline constexpr const wchar_t* kCreateSourceCall = L"CreateSongListSource";
inline constexpr const wchar_t* kConfigureSourceCall = L"ConfigureSongListSource";
inline constexpr const wchar_t* kLoadPluginCall = L"LoadPlugin";
inline constexpr const wchar_t* kUnloadPluginCall = L"UnloadPlugin";
inline constexpr const wchar_t* kDestroySourceCall = L"MorvathThanksImage::~MorvathThanksImage";
inline constexpr const wchar_t* kHotkeyReleaseCall = L"OnCompanionHotkey";
inline constexpr const wchar_t* kRenderCall = L"the plugin's render thread";
inline constexpr const wchar_t* kHotkeyRegistrationCall = L"the plugin's hotkey registration";
// UnloadPlugin could not end one of the plugin's threads in time: it keeps the plugin's module
// loaded until it ends.
inline constexpr const wchar_t* kThreadLeftRunning =
    L"UnloadPlugin: the plugin's %ls thread is still blocked; it keeps the plugin loaded until it ends";
inline constexpr const wchar_t* kRenderThreadName = L"render";
inline constexpr const wchar_t* kCompanionThreadName = L"companion";
inline constexpr const char* kMappingFailed = "Could not create file mapping object (%d).\n";
inline constexpr const char* kViewFailed = "Could not map view of file (%d).\n";

}  // namespace names
