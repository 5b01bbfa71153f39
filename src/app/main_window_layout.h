#pragma once

#include "widgets/display_scale.h"

// Where the main window's controls sit at 96 dots per inch; the window scales them to its display's density.
namespace quillcrest::main_window_layout {

inline constexpr LayoutBox kClient{0, 0, 436, 290};
inline constexpr LayoutBox kBanner{0, 0, 436, 56};
inline constexpr LayoutBox kSideImage{14, 74, 48, 48};
inline constexpr LayoutBox kDnsSelectionGroup{76, 64, 346, 66};
inline constexpr LayoutBox kUseDefaultDnsChoice{90, 84, 320, 18};
inline constexpr LayoutBox kUseOpenDnsChoice{90, 104, 320, 18};
inline constexpr LayoutBox kCheckDnsButton{76, 142, 346, 30};
inline constexpr LayoutBox kMonitorBox{76, 186, 346, 20};
inline constexpr LayoutBox kBottomPanel{0, 246, 436, 44};

// Inside the bottom panel, in its own client coordinates.
inline constexpr LayoutBox kPanelClient{0, 0, 436, 44};
inline constexpr LayoutBox kInfoButton{12, 10, 80, 26};
inline constexpr LayoutBox kApplyButton{240, 10, 80, 26};
inline constexpr LayoutBox kCloseButton{330, 10, 94, 26};

// The banner's texts: the title's font height and both texts' distance from the banner's ends.
inline constexpr int kBannerTitleFontHeight = -20;
inline constexpr int kBannerTextInset = 16;

}  // namespace quillcrest::main_window_layout
