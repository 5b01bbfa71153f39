#pragma once

#include <string>

namespace quillcrest {

// Where the two page windows find their pages; hosts may carry a ":port".
std::string MessagePageAddress(const std::string& messageHost);
std::string MessagePictureBase(const std::string& messageHost);
std::string InformationPageAddress(const std::string& webHost);

// The address a message page's picture is fetched from: an "http://" source whose host is the message domain or a
// name under it (letter case aside, as the web page client reads the address) is taken unchanged; any other source
// is put after the picture base. An empty domain takes no source unchanged.
std::string MessagePictureAddress(const std::string& source, const std::string& domain, const std::string& pictureBase);

}  // namespace quillcrest
