#pragma once

// Control identifiers of the message and information windows, shared with the end-to-end driver.
namespace quillcrest::pages_window_ids {

inline constexpr int kMessageView = 1301;
inline constexpr int kThanksButton = 1302;

inline constexpr int kInformationPicture = 1311;
inline constexpr int kInformationView = 1312;
inline constexpr int kInformationOkButton = 1313;

}  // namespace quillcrest::pages_window_ids
