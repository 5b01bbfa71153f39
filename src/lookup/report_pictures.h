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

// The densities the report's pictures are drawn for besides 96 dots per inch (125 %, 150 % and 200 %).
inline constexpr int kReportPictureDpis[] = {120, 144, 192};

// One drawing of a picture and the display density it is drawn for.
struct DensityPicture {
    PictureBytes bytes;
    int dpi = 96;
};

// Named pictures for the HTML view, found by name with ASCII letter case ignored; a name may have drawings for
// several densities.
class PictureContainer {
  public:
    PictureContainer() = default;
    explicit PictureContainer(std::vector<std::pair<std::string, PictureBytes>> pictures);

    // A later picture with the same name (ignoring case) and density replaces the earlier one.
    void Add(const std::string& name, PictureBytes bytes, int dpi = 96);

    // The picture's bytes drawn for 96 dots per inch (or the nearest density there is), or nullptr when no picture
    // has that name. Valid until the container changes.
    const PictureBytes* Find(const std::string& name) const;
    // The drawing that fits a display of the density: the least dense one drawn for at least that density, so it
    // is only ever scaled down, or the densest one when none is that dense; nullptr when no picture has that
    // name.
    const DensityPicture* FindForDpi(const std::string& name, int dpi) const;

  private:
    std::vector<std::pair<std::string, DensityPicture>> pictures_;
};

}  // namespace quillcrest
