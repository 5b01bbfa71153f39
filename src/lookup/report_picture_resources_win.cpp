#include "lookup/report_picture_resources_win.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillcrest {
namespace {

// Resource names: the file names in capitals with "." as "_", as the resource script declares them; the drawings
// for other densities add "_" and the density.
struct PictureResource {
    const char* pictureName;
    const char* resourceName;
};
constexpr PictureResource kPictures[] = {
    {kCheckPictureName, "CHECK2_GIF"},
    {kInformationPictureName, "INFORMATION_GIF"},
    {kWarningPictureName, "WARNING_GIF"},
};

std::optional<PictureBytes> ResourceBytes(HMODULE module, const std::string& name) {
    HRSRC found = ::FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found)
        return std::nullopt;
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!bytes)
        return std::nullopt;
    return PictureBytes(bytes, bytes + ::SizeofResource(module, found));
}

}  // namespace

PictureContainer LoadReportPictures() {
    PictureContainer pictures;
    HMODULE module = ::GetModuleHandleA(nullptr);
    for (const PictureResource& picture : kPictures) {
        if (std::optional<PictureBytes> bytes = ResourceBytes(module, picture.resourceName))
            pictures.Add(picture.pictureName, std::move(*bytes));
        for (int dpi : kReportPictureDpis) {
            if (std::optional<PictureBytes> bytes =
                    ResourceBytes(module, std::string(picture.resourceName) + "_" + std::to_string(dpi)))
                pictures.Add(picture.pictureName, std::move(*bytes), dpi);
        }
    }
    return pictures;
}

}  // namespace quillcrest
