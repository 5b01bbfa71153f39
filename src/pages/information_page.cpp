#include "pages/information_page.h"

#include "http/exchange_abandoned.h"

namespace quillcrest {

void RefreshInformationPage(PageFetcher& fetcher, const std::string& address, const InformationPageActions& actions) {
    if (fetcher.Busy())
        return;
    PageFetcher::Answer answer;
    try {
        answer = fetcher.Fetch(address);
    } catch (const EExchangeAbandoned&) {
        // The program is closing: the window is not going to open.
        return;
    } catch (const std::exception& error) {
        actions.reportError(error);
        return;
    }
    if (answer.status == 200)
        actions.showPage(answer.body);
}

}  // namespace quillcrest
