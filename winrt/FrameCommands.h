#pragma once
// The command ids of the frame's menu bar.

namespace winrt {

// The frame's command ids.
namespace command {
inline constexpr int Exit = 1000;
inline constexpr int SelectText = 1001;
inline constexpr int SelectGraphics = 1002;
inline constexpr int SelectAll = 1003;
inline constexpr int Copy = 1004;
inline constexpr int SizeToFit = 1006;
inline constexpr int FullScreen = 1007;
inline constexpr int Pause = 1008;
inline constexpr int Resume = 1009;
inline constexpr int Cascade = 1010;
inline constexpr int Tile = 1011;
inline constexpr int ArrangeIcons = 1012;
inline constexpr int StatusBar = 1015;
inline constexpr int Contents = 1016;
inline constexpr int UsingHelp = 1017;
inline constexpr int About = 1018;
inline constexpr int Print = 1019;
inline constexpr int Save = 1020;
inline constexpr int Paste = 1021;
inline constexpr int ClearPaste = 1022;
inline constexpr int Input = 1023;
inline constexpr int FirstUser = 1101;
} // namespace command

} // namespace winrt
