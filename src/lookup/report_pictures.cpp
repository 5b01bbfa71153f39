#include "lookup/report_pictures.h"

#include "settings/ascii_case.h"

namespace quillcrest {

PictureContainer::PictureContainer(std::vector<std::pair<std::string, PictureBytes>> pictures) {
    for (auto& [name, bytes] : pictures)
        Add(name, std::move(bytes));
}

void PictureContainer::Add(const std::string& name, PictureBytes bytes) {
    for (auto& picture : pictures_) {
        if (EqualIgnoringAsciiCase(picture.first, name)) {
            picture.second = std::move(bytes);
            return;
        }
    }
    pictures_.emplace_back(name, std::move(bytes));
}

const PictureBytes* PictureContainer::Find(const std::string& name) const {
    for (const auto& picture : pictures_) {
        if (EqualIgnoringAsciiCase(picture.first, name))
            return &picture.second;
    }
    return nullptr;
}

}  // namespace quillcrest
