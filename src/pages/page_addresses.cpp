#include "pages/page_addresses.h"

#include "settings/text_search.h"

namespace quillcrest {

std::string MessagePageAddress(const std::string& messageHost) {
    return "http://" + messageHost + "/odnsad.html";
}

std::string MessagePictureBase(const std::string& messageHost) {
    return "http://" + messageHost + "/";
}

std::string InformationPageAddress(const std::string& webHost) {
    return "http://" + webHost + "/quillcrestinfo.html";
}

std::string MessagePictureAddress(const std::string& source,
                                  const std::string& domain,
                                  const std::string& pictureBase) {
    // An empty domain would be found in every source and send relative ones off as they are.
    if (!domain.empty() && SearchText(source, domain, -1) > 0)
        return source;
    return pictureBase + source;
}

}  // namespace quillcrest
