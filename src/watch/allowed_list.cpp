#include "watch/allowed_list.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "watch/allowed_list_text.h"
#include "watch/file_replacement.h"

namespace quillcrest {

AllowedList::AllowedList(FileSystem& files,
                         const std::string& folder,
                         TextEquality equal,
                         AllowedListSaveRoute* saveRoute)
    : files_(files), path_(folder + kFileName), equal_(std::move(equal)), saveRoute_(saveRoute) {}

void AllowedList::Load() {
    entries_.clear();
    fileRead_ = false;
    RecoverInterruptedReplacement(files_, path_);
    const std::optional<std::string> text = files_.ReadWhole(path_);
    if (text)
        entries_ = AllowedListLines(*text);
    fileRead_ = true;
}

bool AllowedList::Contains(const std::string& dnsList) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const std::string& entry) { return equal_(entry, dnsList); });
}

void AllowedList::AddDNSToGoodList(const std::string& dnsList) {
    entries_.push_back(dnsList);
    if (saveRoute_ && !saveRoute_->WritesInProcess()) {
        saveRoute_->AppendElsewhere(dnsList);
        return;
    }
    if (!fileRead_) {
        RecoverInterruptedReplacement(files_, path_);
        const std::optional<std::string> text = files_.ReadWhole(path_);
        if (text) {
            std::vector<std::string> merged = AllowedListLines(*text);
            merged.insert(merged.end(), entries_.begin(), entries_.end());
            entries_ = std::move(merged);
        }
        fileRead_ = true;
    }
    ReplaceFileContents(files_, path_, AllowedListFileText(entries_));
}

}  // namespace quillcrest
