// The static label: creation defaults and its colours through the reflected WM_CTLCOLORSTATIC.
#include "platform/win.h"

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "tests/win/ui_test_support.h"
#include "ui/label.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A memory canvas of the label's size.
class Canvas {
public:
    Canvas(int width, int height)
        : dc_(::CreateCompatibleDC(nullptr))
        , bitmap_(CreateBitmap(width, height))
        , select_(dc_.Get(), bitmap_.Get())
    {
    }
    HDC Dc() const { return dc_.Get(); }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(dc_.Get(), x, y); }
    int Count(COLORREF color, int width, int height) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                n += Pixel(x, y) == color ? 1 : 0;
            }
        }
        return n;
    }

private:
    static HBITMAP CreateBitmap(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    platform::UniqueMemoryDc dc_;
    platform::UniqueBitmap bitmap_;
    platform::SelectGuard select_;
};

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No WS_CLIPCHILDREN: the parent paints under its children, which a transparent label shows.
        WTWindow::CreateOptions options;
        options.left = 50;
        options.top = 50;
        options.width = 300;
        options.height = 200;
        options.style = WS_OVERLAPPEDWINDOW;
        ASSERT_NE(host_.CreateAndRun(options), nullptr);
    }
    void TearDown() override { ::DestroyWindow(host_.Handle()); }

    // What the parent answers to the label's colour request, painted into `canvas`.
    HBRUSH ColourRequest(const Canvas& canvas) const
    {
        return reinterpret_cast<HBRUSH>(host_.Send(
            WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()), reinterpret_cast<LPARAM>(label_.Handle())));
    }

    WTWindow host_;
    WTLabel label_;
};

TEST_F(LabelTest, CreateDefaults)
{
    ASSERT_TRUE(label_.Create(host_.Handle()));
    wchar_t className[32] = {};
    ::GetClassNameW(label_.Handle(), className, 32);
    EXPECT_STREQ(className, L"Static");
    EXPECT_EQ(label_.Text(), L"标签");
    EXPECT_TRUE(label_.Style() & SS_CENTERIMAGE);
    EXPECT_TRUE(label_.Style() & WS_VISIBLE);
    const RECT rc = label_.RectInParent();
    EXPECT_EQ(rc.right - rc.left, 80);
    EXPECT_EQ(rc.bottom - rc.top, 24);
    EXPECT_GT(::GetDlgCtrlID(label_.Handle()), 500);
    EXPECT_EQ(label_.BackColor(), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_FALSE(label_.ExStyle() & WS_EX_TRANSPARENT);
    EXPECT_FALSE(label_.Create(host_.Handle()));
}

TEST_F(LabelTest, GbkTextAndStyle)
{
    ASSERT_TRUE(label_.Create(host_.Handle(), " 该窗口将在120秒后自动消失", SS_NOTIFY, 5, 6, 200, 20));
    EXPECT_EQ(label_.Text(), L" 该窗口将在120秒后自动消失");
    EXPECT_TRUE(label_.Style() & SS_NOTIFY);
    EXPECT_FALSE(label_.Style() & SS_CENTERIMAGE);
    label_.Text(std::string("秒"));
    EXPECT_EQ(label_.Text(), L"秒");
}

TEST_F(LabelTest, SolidColoursAnswerTheColourRequest)
{
    ASSERT_TRUE(label_.Create(host_.Handle(), "abc"));
    label_.TextColor(kBlue);
    label_.BackColor(kGreen);
    Canvas canvas(80, 24);
    HBRUSH brush = ColourRequest(canvas);
    ASSERT_NE(brush, nullptr);
    LOGBRUSH logBrush{};
    ASSERT_EQ(::GetObjectW(brush, sizeof(logBrush), &logBrush), static_cast<int>(sizeof(logBrush)));
    EXPECT_EQ(logBrush.lbStyle, UINT{BS_SOLID});
    EXPECT_EQ(logBrush.lbColor, kGreen);
    EXPECT_EQ(::GetTextColor(canvas.Dc()), kBlue);
    EXPECT_EQ(::GetBkColor(canvas.Dc()), kGreen);
}

TEST_F(LabelTest, PaintsWithItsColours)
{
    ASSERT_TRUE(label_.Create(host_.Handle(), "WWWW", SS_CENTERIMAGE, 0, 0, 80, 24));
    label_.TextColor(kBlue);
    label_.BackColor(kRed);
    Canvas canvas(80, 24);
    label_.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(canvas.Pixel(79, 0), kRed);
    EXPECT_EQ(canvas.Pixel(79, 23), kRed);
    EXPECT_GT(canvas.Count(kBlue, 80, 24), 10);
}

TEST_F(LabelTest, TransparentShowsTheParentUnderneath)
{
    host_.BackgroundColor(kRed);
    ASSERT_TRUE(label_.Create(host_.Handle(), "", SS_CENTERIMAGE, 20, 30, 80, 24));
    label_.TextColor(kBlue);
    label_.BackColor(WTLabel::kTransparent);
    EXPECT_TRUE(label_.ExStyle() & WS_EX_TRANSPARENT);
    ::RedrawWindow(host_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    Canvas canvas(80, 24);
    const RECT all{0, 0, 80, 24};
    ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HBRUSH brush = ColourRequest(canvas);
    EXPECT_EQ(brush, static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(::GetBkMode(canvas.Dc()), TRANSPARENT);
    EXPECT_EQ(::GetTextColor(canvas.Dc()), kBlue);
    // The parent's pixels were copied under the label.
    EXPECT_EQ(canvas.Pixel(0, 0), kRed);
    EXPECT_EQ(canvas.Pixel(79, 23), kRed);

    // Back to a colour: opaque again.
    label_.BackColor(kGreen);
    EXPECT_FALSE(label_.ExStyle() & WS_EX_TRANSPARENT);
    LOGBRUSH logBrush{};
    ::GetObjectW(ColourRequest(canvas), sizeof(logBrush), &logBrush);
    EXPECT_EQ(logBrush.lbColor, kGreen);
}

TEST_F(LabelTest, OtherChildrenAreNotAnswered)
{
    ASSERT_TRUE(label_.Create(host_.Handle()));
    HWND plain
        = ::CreateWindowExW(0, L"Static", L"x", WS_CHILD, 0, 40, 50, 20, host_.Handle(), nullptr, nullptr, nullptr);
    Canvas canvas(10, 10);
    const LRESULT answer
        = host_.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()), reinterpret_cast<LPARAM>(plain));
    EXPECT_NE(reinterpret_cast<HBRUSH>(answer), label_.BackBrush());
    ::DestroyWindow(plain);
}

} // namespace
