#pragma once

// Control identifiers of the lookup window, shared with the end-to-end driver.
namespace quillcrest::lookup_window_ids {

inline constexpr int kExplanation = 1201;
inline constexpr int kReportView = 1202;
inline constexpr int kBusyNotice = 1203;
inline constexpr int kCheckButton = 1204;
inline constexpr int kSaveAsDefaultButton = 1205;
inline constexpr int kCloseButton = 1206;

}  // namespace quillcrest::lookup_window_ids
