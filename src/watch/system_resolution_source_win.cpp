#include "watch/system_resolution_source_win.h"

#include <utility>

namespace quillcrest {

SystemResolutionSource::SystemResolutionSource(std::function<void()> onHostsFolderChange)
    : onHostsFolderChange_(std::move(onHostsFolderChange)) {}

void SystemResolutionSource::Watch(const std::string& folder) {
    // The old folder's thread ends before the new one starts, so no signal of it arrives after the switch.
    folderNotification_.reset();
    auto notification = std::make_unique<FolderChangeNotification>(folder, [this] {
        reader_.NoteHostsFolderChanged();
        onHostsFolderChange_();
    });
    if (notification->Start())
        folderNotification_ = std::move(notification);
}

}  // namespace quillcrest
