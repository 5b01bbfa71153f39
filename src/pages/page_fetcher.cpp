#include "pages/page_fetcher.h"

namespace quillcrest {

PageFetcher::Answer HttpPageFetcher::Fetch(const std::string& url) {
    client_.SetUrl(url);
    Answer answer;
    answer.status = client_.Get();
    // A copy: the client's buffer is refilled by the next exchange, and a page's picture requests make some
    // while the page is still being read.
    answer.body = client_.Body();
    return answer;
}

}  // namespace quillcrest
