#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "html/html_picture_win.h"
#include "html/html_view_win.h"
#include "widgets/window_win.h"

namespace quillcrest {
namespace {

// A 3 x 2 GIF: top row red; bottom row blue, red and one transparent pixel.
const std::vector<std::uint8_t> kTinyGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x03, 0x00, 0x02, 0x00, 0xf1, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00,
    0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x01, 0x00, 0x00, 0x02, 0x00, 0x2c,
    0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x84, 0x03, 0x52, 0x00, 0x3b};

constexpr int kViewId = 101;

// A PNG of the largest size the view takes, all black: a few kilobytes of file that decode to 64 MiB of pixels.
// Encoded once with WIC itself; an empty vector when WIC cannot encode it.
const std::vector<std::uint8_t>& LargestPng() {
    static const std::vector<std::uint8_t> bytes = [] {
        using Microsoft::WRL::ComPtr;
        constexpr UINT kSide = 4096;
        constexpr UINT kStripRows = 256;
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat8bppGray;
        const std::vector<BYTE> strip(kSide * kStripRows, 0);
        if (FAILED(
                ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
            FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
            FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
            FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
            FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
            FAILED(frame->SetSize(kSide, kSide)) || FAILED(frame->SetPixelFormat(&format)) ||
            format != GUID_WICPixelFormat8bppGray)
            return std::vector<std::uint8_t>{};
        for (UINT row = 0; row < kSide; row += kStripRows) {
            if (FAILED(frame->WritePixels(kStripRows, kSide, static_cast<UINT>(strip.size()),
                                          const_cast<BYTE*>(strip.data()))))
                return std::vector<std::uint8_t>{};
        }
        if (FAILED(frame->Commit()) || FAILED(encoder->Commit()))
            return std::vector<std::uint8_t>{};
        STATSTG status{};
        LARGE_INTEGER start{};
        if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
            return std::vector<std::uint8_t>{};
        std::vector<std::uint8_t> png(static_cast<std::size_t>(status.cbSize.QuadPart));
        ULONG read = 0;
        if (FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) || read != png.size())
            return std::vector<std::uint8_t>{};
        return png;
    }();
    return bytes;
}

// The memory the process has committed (Wine leaves the private-bytes count at 0, but fills this one).
std::size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

class HostWindow : public Window {
  public:
    HostWindow() {
        Create("QuillcrestHtmlViewTestHost", "HTML view test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 480, 320, nullptr);
    }
};

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

std::string WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

LPARAM PointOf(int x, int y) {
    return MAKELPARAM(x, y);
}

class HtmlViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        comResult_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        host_ = std::make_unique<HostWindow>();
        ASSERT_NE(host_->hwnd(), nullptr);
    }
    void TearDown() override {
        view_.reset();
        host_.reset();
        if (SUCCEEDED(comResult_))
            ::CoUninitialize();
    }

    void MakeView(HtmlViewOptions options = {}, int width = 300, int height = 200) {
        HtmlViewCallbacks callbacks;
        callbacks.onMetaTag = [this](const std::string& name, const std::string& content) {
            events.push_back("meta " + name + "=" + content);
        };
        callbacks.onPictureRequest = [this](const std::string& source, int) -> std::optional<HtmlPictureFile> {
            events.push_back("picture " + source);
            if (failPictures)
                throw std::runtime_error("Host not found");
            if (source == "tiny.gif")
                return HtmlPictureFile{kTinyGif};
            if (source.rfind("largest", 0) == 0)
                return HtmlPictureFile{LargestPng()};
            if (source == "junk.gif")
                return HtmlPictureFile{{'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'}};
            return std::nullopt;
        };
        callbacks.onParseEnd = [this] { events.push_back("end " + WindowText(view_->hwnd())); };
        callbacks.onLinkClick = [this](const std::string& address) { clicks.push_back(address); };
        view_ =
            std::make_unique<HtmlView>(host_->hwnd(), kViewId, 10, 10, width, height, std::move(callbacks), options);
        ASSERT_NE(view_->hwnd(), nullptr);
    }

    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<HtmlView> view_;
    std::vector<std::string> events;
    std::vector<std::string> clicks;
    bool failPictures = false;

  private:
    HRESULT comResult_ = E_FAIL;
};

const char kPage[] =
    "<html><head><title>Offer</title><meta name=\"adID\" content=\"spring\"><meta name=\"TimesToShow\" "
    "content=\"3\"></head><body><img src=\"tiny.gif\" align=bpttom border=0><img src=\"missing.gif\">"
    "<img src=\"junk.gif\"> Visit <a href=\"http://127.0.0.1:8070/more\">our page</a> today &amp; save.</body></html>";

TEST_F(HtmlViewTest, LoadingReportsMetaTagsPicturesAndTheEndAndTheWindowTextIsThePageText) {
    MakeView();
    view_->LoadText(kPage);
    EXPECT_EQ(events, (std::vector<std::string>{"meta adID=spring", "meta TimesToShow=3", "picture tiny.gif",
                                                "picture missing.gif", "picture junk.gif",
                                                "end Visit our page today & save."}));
    EXPECT_EQ(WindowText(view_->hwnd()), "Visit our page today & save.");
    EXPECT_EQ(::SendMessageA(view_->hwnd(), WM_GETTEXTLENGTH, 0, 0), 28);

    // A short buffer gets the beginning, terminated.
    char shortBuffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(::SendMessageA(view_->hwnd(), WM_GETTEXT, sizeof(shortBuffer), reinterpret_cast<LPARAM>(shortBuffer)), 5);
    EXPECT_STREQ(shortBuffer, "Visit");

    // Only the GIF decoded: it is laid out at its own size, the others take no room.
    const HtmlDocument* document = view_->Document();
    ASSERT_NE(document, nullptr);
    std::vector<std::string> pictures;
    for (const HtmlDisplayItem& item : document->LaidOut().items) {
        if (item.kind == HtmlDisplayItem::Kind::Picture) {
            pictures.push_back(item.content);
            EXPECT_EQ(item.rect.width, 3);
            EXPECT_EQ(item.rect.height, 2);
        }
    }
    EXPECT_EQ(pictures, (std::vector<std::string>{"tiny.gif"}));
}

// Each of these pictures alone takes the page's whole budget of decoded bytes: only the first is kept, and every
// later one, even a tiny one, is left out like a picture that fails to decode.
TEST_F(HtmlViewTest, PicturesPastThePagesDecodedBytesBudgetAreLeftOut) {
    ASSERT_FALSE(LargestPng().empty()) << "WIC could not encode the test picture";
    ASSERT_LT(LargestPng().size(), 256u * 1024u) << "the test picture should be small as a file";
    MakeView();
    const std::size_t before = CommittedBytes();
    view_->LoadText(
        "<img src=largest1.png><img src=largest2.png><img src=largest3.png><img src=largest4.png>"
        "<img src=tiny.gif>x");
    const std::size_t after = CommittedBytes();
    const std::size_t grown = after - std::min(before, after);

    std::vector<std::string> pictures;
    for (const HtmlDisplayItem& item : view_->Document()->LaidOut().items) {
        if (item.kind == HtmlDisplayItem::Kind::Picture)
            pictures.push_back(item.content);
    }
    EXPECT_EQ(pictures, (std::vector<std::string>{"largest1.png"}));
    EXPECT_LT(grown, kMaxDecodedPictureBytesPerPage + (32u << 20)) << "the page holds " << (grown >> 20) << " MiB";
}

// On a display of twice the density the page is laid out again in device pixels: the picture is decoded at
// twice its size, text and link areas double, and a click lands on the link where it is drawn now.
TEST_F(HtmlViewTest, AnotherDensityLaysThePageOutInItsDevicePixels) {
    MakeView({}, 460, 200);
    view_->LoadText("<img src=tiny.gif border=0> <a href=\"http://127.0.0.1:8070/more\">our page</a>");
    auto pictureRect = [this]() -> HtmlRect {
        for (const HtmlDisplayItem& item : view_->Document()->LaidOut().items) {
            if (item.kind == HtmlDisplayItem::Kind::Picture)
                return item.rect;
        }
        return {};
    };
    ASSERT_NE(view_->Document(), nullptr);
    const HtmlRect picture96 = pictureRect();
    const HtmlRect link96 = view_->Document()->Links().at(0).areas.at(0);
    EXPECT_EQ(picture96.width, 3);

    view_->SetDpi(192);
    EXPECT_EQ(view_->Dpi(), 192);
    const HtmlRect picture192 = pictureRect();
    EXPECT_EQ(picture192.width, 6);
    EXPECT_EQ(picture192.height, 4);
    EXPECT_EQ(picture192.x, 2 * picture96.x);
    const HtmlRect link192 = view_->Document()->Links().at(0).areas.at(0);
    EXPECT_NEAR(link192.x, 2 * link96.x, 2);
    EXPECT_NEAR(link192.height, 2 * link96.height, 2);
    // The real font at 32 pixels is not exactly twice the one at 16, but close.
    EXPECT_NEAR(link192.width, 2 * link96.width, link96.width / 4);

    // Where the link was drawn at 96 dpi there is none now; where it is drawn now, it is clicked.
    const int y = link192.y + link192.height / 2;
    ::PostMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointOf(link96.x + 1, link96.y + link96.height / 2));
    ::PostMessageA(view_->hwnd(), WM_LBUTTONUP, 0, PointOf(link96.x + 1, link96.y + link96.height / 2));
    PumpMessages();
    EXPECT_TRUE(clicks.empty());
    ::PostMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointOf(link192.x + link192.width / 2, y));
    ::PostMessageA(view_->hwnd(), WM_LBUTTONUP, 0, PointOf(link192.x + link192.width / 2, y));
    PumpMessages();
    EXPECT_EQ(clicks, (std::vector<std::string>{"http://127.0.0.1:8070/more"}));
}

TEST_F(HtmlViewTest, BytesLoadLikeText) {
    MakeView();
    std::string page = "<b>bytes</b> &euro;";
    view_->LoadBytes(std::vector<std::uint8_t>(page.begin(), page.end()));
    EXPECT_EQ(WindowText(view_->hwnd()), "bytes \x80");
    view_->Clear();
    EXPECT_EQ(WindowText(view_->hwnd()), "");
    EXPECT_EQ(view_->Document(), nullptr);
}

TEST_F(HtmlViewTest, PostedClickOnALinkReportsItsAddressAndAClickBesideItDoesNot) {
    MakeView();
    view_->LoadText(kPage);
    ASSERT_EQ(view_->Document()->Links().size(), 1u);
    const HtmlRect area = view_->Document()->Links()[0].areas.at(0);
    int x = area.x + area.width / 2;
    int y = area.y + area.height / 2;

    ::PostMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointOf(x, y));
    ::PostMessageA(view_->hwnd(), WM_LBUTTONUP, 0, PointOf(x, y));
    PumpMessages();
    EXPECT_EQ(clicks, (std::vector<std::string>{"http://127.0.0.1:8070/more"}));

    // Pressed beside the link and released on it: no click.
    ::PostMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointOf(area.x - 5, y));
    ::PostMessageA(view_->hwnd(), WM_LBUTTONUP, 0, PointOf(x, y));
    PumpMessages();
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(HtmlViewTest, TabFocusesLinksInOrderAndEnterFollowsTheFocusedOne) {
    MakeView();
    view_->LoadText("<a href=\"one\">1</a> <a name=\"no link\">x</a> <a href=\"two\">2</a>");
    ::SetFocus(view_->hwnd());
    EXPECT_EQ(view_->FocusedLink(), -1);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(view_->FocusedLink(), 0);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(view_->FocusedLink(), 1);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(clicks, (std::vector<std::string>{"two"}));

    // After the last link a dialog may move the focus on.
    MSG tab{view_->hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    LRESULT code = ::SendMessageA(view_->hwnd(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(code & DLGC_WANTTAB, 0);
}

TEST_F(HtmlViewTest, TallPageScrollsWithScrollBarWheelAndKeys) {
    MakeView({}, 300, 100);
    std::string page;
    for (int i = 0; i < 40; ++i)
        page += "line " + std::to_string(i) + "<br>";
    view_->LoadText(page);
    EXPECT_NE(::GetWindowLongPtrA(view_->hwnd(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(view_->ScrollPosition(), 0);

    ::SendMessageA(view_->hwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view_->ScrollPosition(), 100);
    ::SendMessageA(view_->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(view_->ScrollPosition(), 52);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(view_->ScrollPosition(), view_->Document()->Height() - 100);
    ::SendMessageA(view_->hwnd(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view_->ScrollPosition(), view_->Document()->Height() - 100);

    // A short page needs no scroll bar, and starts at the top.
    view_->LoadText("short");
    EXPECT_EQ(::GetWindowLongPtrA(view_->hwnd(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(view_->ScrollPosition(), 0);
}

TEST_F(HtmlViewTest, ViewWithoutScrollBarsOrMarginsStartsAtTheCorner) {
    HtmlViewOptions options;
    options.scrollBars = false;
    options.margins = false;
    MakeView(options, 450, 250);
    std::string page;
    for (int i = 0; i < 40; ++i)
        page += "line<br>";
    view_->LoadText(page);
    EXPECT_EQ(::GetWindowLongPtrA(view_->hwnd(), GWL_STYLE) & WS_VSCROLL, 0);
    const HtmlDisplayItem& first = view_->Document()->LaidOut().items.front();
    EXPECT_EQ(first.rect.x, 0);
    EXPECT_EQ(first.rect.y, 0);
}

TEST_F(HtmlViewTest, FailingPictureRequestLeavesTheShownPageInPlace) {
    MakeView();
    view_->LoadText("first page");
    failPictures = true;
    EXPECT_THROW(view_->LoadText("<img src=\"tiny.gif\">second page"), std::runtime_error);
    EXPECT_EQ(WindowText(view_->hwnd()), "first page");
}

TEST(HtmlPictureTest, GifDecodesToPremultipliedPixelsWithTransparency) {
    HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
        ASSERT_TRUE(SUCCEEDED(
            ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))));
        std::optional<HtmlPicture> picture = DecodeHtmlPicture(*factory.Get(), kTinyGif);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, 3);
        EXPECT_EQ(picture->height, 2);
        DIBSECTION section{};
        ASSERT_EQ(::GetObjectA(picture->bitmap.get(), sizeof(section), &section), static_cast<int>(sizeof(section)));
        const auto* pixels = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
        // Blue, green, red, alpha from the lowest byte up: rows run top-down.
        EXPECT_EQ(pixels[0], 0xFFFF0000u);  // red
        EXPECT_EQ(pixels[3], 0xFF0000FFu);  // blue, bottom left
        EXPECT_EQ(pixels[5], 0x00000000u);  // transparent, bottom right

        EXPECT_FALSE(DecodeHtmlPicture(*factory.Get(), {}).has_value());
        EXPECT_FALSE(DecodeHtmlPicture(*factory.Get(), {0x47, 0x49, 0x46, 0x38}).has_value());
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
}

}  // namespace
}  // namespace quillcrest
