#include "lookup/report_picture_resources_win.h"

#include <windows.h>

namespace quillcrest {
namespace {

// Resource names: the file names in capitals with "." as "_", as the resource script declares them.
struct PictureResource {
    const char* pictureName;
    const char* resourceName;
};
constexpr PictureResource kPictures[] = {
    {kCheckPictureName, "CHECK2_GIF"},
    {kInformationPictureName, "INFORMATION_GIF"},
    {kWarningPictureName, "WARNING_GIF"},
};

}  // namespace

PictureContainer LoadReportPictures() {
    PictureContainer pictures;
    HMODULE module = ::GetModuleHandleA(nullptr);
    for (const PictureResource& picture : kPictures) {
        HRSRC found = ::FindResourceA(module, picture.resourceName, MAKEINTRESOURCEA(10));  // RT_RCDATA
        if (!found)
            continue;
        HGLOBAL loaded = ::LoadResource(module, found);
        const auto* bytes = static_cast<const std::uint8_t*>(loaded ? ::LockResource(loaded) : nullptr);
        if (!bytes)
            continue;
        pictures.Add(picture.pictureName, PictureBytes(bytes, bytes + ::SizeofResource(module, found)));
    }
    return pictures;
}

}  // namespace quillcrest
