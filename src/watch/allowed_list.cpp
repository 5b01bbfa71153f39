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

void AllowedList::RecoverInterruptedSave() {
    // A first save cut short would otherwise come back as a list whose last entry was never accepted (its line
    // torn off mid-address): it is kept aside as "AllowedDNS.txt.incomplete" instead, and the list starts empty.
    RecoverInterruptedReplacement(files_, path_, IsWholeAllowedListFileText);
}

void AllowedList::Load() {
    entries_.clear();
    fileRead_ = false;
    RecoverInterruptedSave();
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
        RecoverInterruptedSave();
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
