#pragma once

namespace quillcrest {

inline constexpr char kErrorBoxTitle[] = "Error";
inline constexpr char kAdministratorMessage[] =
    "You must run this program with Administrator permissions.\r\n\r\n"
    "Please log in under an administrator account.\r\n\r\n"
    "In Windows Vista, right click on the program icon and select \"Run as administrator\".";
inline constexpr char kPlatformMessage[] = "Not A Supported Platform, Sorry.";

}  // namespace quillcrest
