#include "lookup/report_pictures.h"

#include "base/ascii_case.h"

namespace quillcrest {

PictureContainer::PictureContainer(std::vector<std::pair<std::string, PictureBytes>> pictures) {
    for (auto& [name, bytes] : pictures)
        Add(name, std::move(bytes));
}

void PictureContainer::Add(const std::string& name, PictureBytes bytes, int dpi) {
    for (auto& picture : pictures_) {
        if (picture.second.dpi == dpi && EqualIgnoringAsciiCase(picture.first, name)) {
            picture.second.bytes = std::move(bytes);
            return;
        }
    }
    pictures_.emplace_back(name, DensityPicture{std::move(bytes), dpi});
}

const PictureBytes* PictureContainer::Find(const std::string& name) const {
    const DensityPicture* picture = FindForDpi(name, 96);
    return picture ? &picture->bytes : nullptr;
}

const DensityPicture* PictureContainer::FindForDpi(const std::string& name, int dpi) const {
    const DensityPicture* best = nullptr;
    for (const auto& [pictureName, picture] : pictures_) {
        if (!EqualIgnoringAsciiCase(pictureName, name))
            continue;
        const bool fits = picture.dpi >= dpi;
        const bool bestFits = best && best->dpi >= dpi;
        if (!best || (fits && (!bestFits || picture.dpi < best->dpi)) ||
            (!fits && !bestFits && picture.dpi > best->dpi))
            best = &picture;
    }
    return best;
}

}  // namespace quillcrest
