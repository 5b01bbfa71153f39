#pragma once

// Control and menu identifiers of the main window. The end-to-end driver finds the controls by these same numbers,
// so they are fixed values, not an order.
namespace quillcrest::main_window_ids {

inline constexpr int kBannerPicture = 101;
inline constexpr int kSideImage = 102;
inline constexpr int kDnsSelectionGroup = 103;
inline constexpr int kUseDefaultDnsChoice = 104;
inline constexpr int kUseOpenDnsChoice = 105;
inline constexpr int kCheckDnsButton = 106;
inline constexpr int kMonitorBox = 107;
inline constexpr int kBottomPanel = 108;
inline constexpr int kInfoButton = 109;
inline constexpr int kApplyButton = 110;
inline constexpr int kCloseButton = 111;

// Items of the Close button's drop-down menu.
inline constexpr int kCloseToTrayItem = 201;
inline constexpr int kQuitProgramItem = 202;

// Items of the tray icon's menu.
inline constexpr int kOpenItem = 301;
inline constexpr int kExitItem = 302;

}  // namespace quillcrest::main_window_ids
