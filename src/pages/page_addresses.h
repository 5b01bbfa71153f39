#pragma once

#include <string>

namespace quillcrest {

// Where the two page windows find their pages; hosts may carry a ":port".
std::string MessagePageAddress(const std::string& messageHost);
std::string MessagePictureBase(const std::string& messageHost);
std::string InformationPageAddress(const std::string& webHost);

// The address a message page's picture is fetched from: a source that names the message server's domain
// (letter case aside) is taken unchanged, any other is put after the picture base.
std::string MessagePictureAddress(const std::string& source, const std::string& domain, const std::string& pictureBase);

}  // namespace quillcrest
