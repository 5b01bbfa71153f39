#pragma once

#include <functional>
#include <memory>
#include <string>

#include "resolution/folder_change_notification_win.h"
#include "resolution/system_resolution_reader_win.h"
#include "watch/hosts_folder_watch.h"
#include "watch/resolution_source.h"

namespace quillcrest {

// The wider check's reach into the running Windows: the reader of the settings that decide where names go, kept
// for the whole run (it keeps the hosts file between reads), and the change notification of the hosts file's
// folder. A signal of the folder first has the next read take the file afresh, then calls onHostsFolderChange on
// the notification's own thread, which may only post a message.
class SystemResolutionSource : public ResolutionSource, public HostsFolderWatch {
  public:
    explicit SystemResolutionSource(std::function<void()> onHostsFolderChange);
    SystemResolutionSource(const SystemResolutionSource&) = delete;
    SystemResolutionSource& operator=(const SystemResolutionSource&) = delete;

    ResolutionSettings ReadAll() override { return reader_.ReadAll(); }
    void Watch(const std::string& folder) override;
    void Stop() override { folderNotification_.reset(); }

  private:
    SystemResolutionReader reader_;
    std::function<void()> onHostsFolderChange_;
    // Declared last: its thread, which reaches the reader, ends before the reader goes.
    std::unique_ptr<FolderChangeNotification> folderNotification_;
};

}  // namespace quillcrest
