#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillcrest {

// The pictures the lookup report names in its <img> tags.
inline constexpr char kCheckPictureName[] = "check2.gif";
inline constexpr char kInformationPictureName[] = "information.gif";
inline constexpr char kWarningPictureName[] = "warning.gif";

using PictureBytes = std::vector<std::uint8_t>;

// Named pictures for the HTML view, found by name with ASCII letter case ignored.
class PictureContainer {
  public:
    PictureContainer() = default;
    explicit PictureContainer(std::vector<std::pair<std::string, PictureBytes>> pictures);

    // A later picture with the same name (ignoring case) replaces the earlier one.
    void Add(const std::string& name, PictureBytes bytes);

    // The picture's bytes, or nullptr when no picture has that name. Valid until the container changes.
    const PictureBytes* Find(const std::string& name) const;

  private:
    std::vector<std::pair<std::string, PictureBytes>> pictures_;
};

}  // namespace quillcrest
