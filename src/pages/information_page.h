#pragma once

#include <exception>
#include <functional>
#include <string>

#include "pages/page_fetcher.h"

namespace quillcrest {

// What one showing of the information window does with its page.
struct InformationPageActions {
    // Loads the fetched page into the view and gives the view the focus.
    std::function<void(const std::string& body)> showPage;
    // The general error report; returns when the user has closed it.
    std::function<void(const std::exception& error)> reportError;
};

// Fetches the information page once: status 200 shows it; any other status leaves the view as it was, without a
// word; a failure is reported every time (the user asked for the page) and also leaves the view as it was. While
// an earlier fetch of the same window still waits, nothing new is started.
void RefreshInformationPage(PageFetcher& fetcher, const std::string& address, const InformationPageActions& actions);

}  // namespace quillcrest
