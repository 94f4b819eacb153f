#pragma once
// The look a source has for every key its settings do not hold.
#include <cstdint>

namespace defaults {

inline constexpr const wchar_t* kFont = L"宋体";
inline constexpr std::uint32_t kColor = 0xFFFF9000;
inline constexpr int kFontSize = 42;
inline constexpr int kTextOpacity = 100;
inline constexpr int kOutline = 0;
inline constexpr std::uint32_t kOutlineColor = 0xFF000000;
inline constexpr float kOutlineSize = 2.0f;
inline constexpr int kOutlineOpacity = 100;
inline constexpr std::uint32_t kBackgroundColor = 0xFF000000;
inline constexpr int kBackgroundOpacity = 0;
inline constexpr int kBold = 0;
inline constexpr int kItalic = 0;
inline constexpr int kUnderline = 0;
inline constexpr float kBaseSize = 32.0f;
inline constexpr int kRandomColor = 0;
inline constexpr int kRandomForeColor = -1;  // 0xFFFFFFFF
inline constexpr const wchar_t* kFallbackFace = L"Arial";
inline constexpr int kFaceNameUnits = 31;  // LOGFONT's face name without its terminator

}  // namespace defaults
