#include "pages/information_page.h"

namespace quillcrest {

void RefreshInformationPage(PageFetcher& fetcher, const std::string& address, const InformationPageActions& actions) {
    if (fetcher.Busy())
        return;
    PageFetcher::Answer answer;
    try {
        answer = fetcher.Fetch(address);
    } catch (const std::exception& error) {
        actions.reportError(error);
        return;
    }
    if (answer.status == 200)
        actions.showPage(answer.body);
}

}  // namespace quillcrest
