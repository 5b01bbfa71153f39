#include "pages/page_fetcher.h"

namespace quillcrest {

PageFetcher::Answer HttpPageFetcher::Fetch(const std::string& url) {
    client_.SetUrl(url);
    Answer answer;
    answer.status = client_.Get();
    // Taken, not copied: the next exchange refills the client's body, and a page's picture requests make some
    // while the page is still being read. A copy would also map every page's bytes a second time.
    answer.body = client_.TakeBody();
    return answer;
}

}  // namespace quillcrest
