// The skinned window: background, title strip and border, paint order of elements,
// the message walk, dragging by the title strip, and GDI objects over many repaints.
#include "platform/win.h"

#include <gtest/gtest.h>

#include "tests/win/skin_test_support.h"
#include "tests/win/ui_test_support.h"
#include "ui/button.h"
#include "ui/drawing.h"
#include "ui/image_box.h"
#include "ui/skin_window.h"
#include "ui/text_label.h"

using namespace skintest;

namespace {

WTTextLabel& OpaqueLabel(WTTextLabel& label, int left, int top, int width, int height, std::uint32_t color)
{
    label.Initialise("", left, top, width, height);
    label.BackgroundColor(color, false);
    return label;
}

} // namespace

TEST(SkinPaint, NoColoursGiveOpaqueBlackAndNoVisibleStrip)
{
    BareWindow window(320, 240);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    EXPECT_EQ(skin.BackgroundColor(), 0xFF000000u);
    EXPECT_EQ(skin.TitleColor() >> 24, 0u);
    EXPECT_EQ(skin.TitleHeight(), 30);
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    for (POINT p : {POINT{0, 0}, POINT{5, 10}, POINT{160, 29}, POINT{160, 31}, POINT{319, 239}}) {
        EXPECT_TRUE(Near(canvas.Pixel(p.x, p.y), Rgb{0, 0, 0}, 0)) << p.x << "," << p.y;
    }
}

TEST(SkinPaint, BackgroundPictureStripAndBorder)
{
    BareWindow window(400, 300);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    const std::uint32_t background = 0xFF285078;
    const std::uint32_t picture = 0xFFC81E1E;
    const std::uint32_t strip = 0x80FFFFFF;
    skin.TitleHeight(30);
    skin.BackgroundColor(background);
    skin.BackgroundPicture(SolidPicture(100, 50, picture));
    skin.TitleColor(strip);
    skin.Border(true);
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);

    const Rgb bg = RgbOfArgb(background);
    const Rgb pic = RgbOfArgb(picture);
    EXPECT_TRUE(Near(canvas.Pixel(50, 40), pic)); // picture at natural size, below the strip
    EXPECT_TRUE(Near(canvas.Pixel(99, 49), pic)); // its last pixel
    EXPECT_TRUE(Near(canvas.Pixel(100, 40), bg)); // right of it
    EXPECT_TRUE(Near(canvas.Pixel(50, 50), bg)); // below it
    EXPECT_TRUE(Near(canvas.Pixel(50, 10), Over(strip, pic))); // strip over the picture
    EXPECT_TRUE(Near(canvas.Pixel(300, 29), Over(strip, bg))); // last strip row
    EXPECT_TRUE(Near(canvas.Pixel(300, 30), bg)); // first row below the strip
    EXPECT_TRUE(Near(canvas.Pixel(0, 200), Over(0x64000000, bg))); // border: black at alpha 100
    EXPECT_TRUE(Near(canvas.Pixel(399, 200), Over(0x64000000, bg)));
    EXPECT_TRUE(Near(canvas.Pixel(200, 299), Over(0x64000000, bg)));
    EXPECT_TRUE(Near(canvas.Pixel(1, 200), bg));
    EXPECT_TRUE(Near(canvas.Pixel(200, 298), bg));
}

TEST(SkinPaint, AFaceThatIsNotInstalledDrawsWithTheFallbackFamily)
{
    WTFontRecord record;
    record.face = "没有这种字体";
    record.size = 12;
    const std::unique_ptr<Gdiplus::Font> font = CreateGdiplusFont(record);
    ASSERT_NE(font, nullptr);
    Gdiplus::FontFamily family;
    ASSERT_EQ(font->GetFamily(&family), Gdiplus::Ok);
    wchar_t name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    const Gdiplus::FontFamily gui(FallbackFamily().c_str());
    ASSERT_EQ(gui.GetLastStatus(), Gdiplus::Ok);
    wchar_t guiName[LF_FACESIZE] = {};
    gui.GetFamilyName(guiName);
    EXPECT_STREQ(name, guiName);
}

TEST(SkinPaint, SettersRedrawTheBackground)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    skin.BackgroundColor(0xFF00FF00);
    skin.Paint(canvas.Dc(), RECT{0, 0, 200, 100});
    EXPECT_TRUE(Near(canvas.Pixel(100, 80), Rgb{0, 255, 0}));
    skin.Border(true);
    skin.Paint(canvas.Dc(), RECT{0, 0, 200, 100});
    EXPECT_TRUE(Near(canvas.Pixel(0, 80), Over(0x64000000, Rgb{0, 255, 0})));
    skin.Border(false);
    skin.TitleColor(0xFF0000FF);
    skin.Paint(canvas.Dc(), RECT{0, 0, 200, 100});
    EXPECT_TRUE(Near(canvas.Pixel(0, 80), Rgb{0, 255, 0}));
    EXPECT_TRUE(Near(canvas.Pixel(100, 10), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(canvas.Pixel(100, 40), Rgb{0, 255, 0}));
    skin.TitleHeight(50);
    skin.Paint(canvas.Dc(), RECT{0, 0, 200, 100});
    EXPECT_TRUE(Near(canvas.Pixel(100, 40), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(canvas.Pixel(100, 50), Rgb{0, 255, 0}));
}

TEST(SkinPaint, PictureThatDoesNotDecodeLeavesTheColours)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundColor(0xFF102030);
    skin.BackgroundPicture(std::vector<unsigned char>{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    EXPECT_EQ(skin.BackgroundPicture().size(), 9u);
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(5, 60), Rgb{0x10, 0x20, 0x30}));
}

TEST(SkinPaint, OnlyTheUpdateRectangleIsCopied)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundColor(0xFFFFFFFF);
    WTMemoryCanvas canvas;
    ASSERT_TRUE(canvas.Create(200, 100));
    skin.Paint(canvas.Dc(), RECT{10, 40, 30, 60});
    EXPECT_TRUE(Near(canvas.Pixel(10, 40), Rgb{255, 255, 255}));
    EXPECT_TRUE(Near(canvas.Pixel(29, 59), Rgb{255, 255, 255}));
    EXPECT_TRUE(Near(canvas.Pixel(30, 59), Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(Near(canvas.Pixel(9, 40), Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(Near(canvas.Pixel(10, 60), Rgb{0, 0, 0}, 0));
}

TEST(SkinPaint, APartialUpdateDrawsElementsWhereAWholePaintDoes)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundColor(0xFFFFFFFF);
    WTTextLabel label;
    skin.AddElement(OpaqueLabel(label, 40, 40, 80, 30, 0xFF0000FF));
    label.TextColor(0xFFFFFF00, false);
    label.Text("WWWW", false);
    WTMemoryCanvas whole;
    PaintWhole(skin, whole);
    WTMemoryCanvas part;
    ASSERT_TRUE(part.Create(200, 100));
    const RECT area{50, 45, 130, 65};
    skin.Paint(part.Dc(), area);
    int differing = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            differing += part.Pixel(x, y) != whole.Pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(Near(part.Pixel(119, 50), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(part.Pixel(125, 50), Rgb{255, 255, 255}));
    EXPECT_TRUE(Near(part.Pixel(45, 50), Rgb{0, 0, 0}, 0)); // outside the update: not touched
}

TEST(SkinPaint, AHiddenWindowLetsGoOfItsBackgroundAndDrawsItWholeWhenShown)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundColor(0xFF00FF00);
    ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    EXPECT_TRUE(skin.HoldsBackground());
    ::ShowWindow(window.Handle(), SW_HIDE);
    EXPECT_FALSE(skin.HoldsBackground());
    ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    PaintWhole(skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(100, 60), Rgb{0, 255, 0}));
}

TEST(SkinPaint, ElementAddedFirstIsDrawnOnTop)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    WTTextLabel first;
    WTTextLabel second;
    skin.AddElement(OpaqueLabel(first, 20, 40, 60, 30, 0xFFFF0000));
    skin.AddElement(OpaqueLabel(second, 50, 50, 60, 30, 0xFF0000FF));
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(60, 60), Rgb{255, 0, 0})); // the overlap
    EXPECT_TRUE(Near(canvas.Pixel(100, 75), Rgb{0, 0, 255})); // second alone
    EXPECT_TRUE(Near(canvas.Pixel(25, 45), Rgb{255, 0, 0})); // first alone
}

TEST(SkinPaint, ElementHostedElsewhereIsSkippedAndDroppedAtNextPaint)
{
    BareWindow windowA(200, 100);
    BareWindow windowB(200, 100);
    WTSkinWindow skinA;
    WTSkinWindow skinB;
    ASSERT_TRUE(skinA.Attach(windowA.Handle()));
    ASSERT_TRUE(skinB.Attach(windowB.Handle()));
    WTTextLabel stays;
    WTButton moves;
    skinA.AddElement(OpaqueLabel(stays, 0, 40, 50, 50, 0xFF00FF00));
    moves.Initialise("", 100, 40, 50, 50);
    moves.UsualColor(0xFFFF0000, false);
    moves.LightColor(0xFFFF0000, false);
    skinA.AddElement(moves);
    skinB.AddElement(moves);
    ASSERT_EQ(skinA.ElementCount(), 2u);

    Send(windowA.Handle(), WM_MOUSEMOVE, 120, 60);
    EXPECT_FALSE(moves.IsHovered()); // skipped by A's walk
    Send(windowB.Handle(), WM_MOUSEMOVE, 120, 60);
    EXPECT_TRUE(moves.IsHovered()); // but fed by B's

    WTMemoryCanvas canvas;
    PaintWhole(skinA, canvas);
    EXPECT_EQ(skinA.ElementCount(), 1u);
    EXPECT_TRUE(Near(canvas.Pixel(120, 60), Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(Near(canvas.Pixel(20, 60), Rgb{0, 255, 0}));
    PaintWhole(skinB, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(120, 60), Rgb{255, 0, 0}));
}

TEST(SkinPaint, RemovedOrDestroyedElementsAreDropped)
{
    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    WTTextLabel removed;
    skin.AddElement(OpaqueLabel(removed, 0, 40, 50, 50, 0xFF00FF00));
    {
        WTTextLabel shortLived;
        skin.AddElement(OpaqueLabel(shortLived, 100, 40, 50, 50, 0xFF00FF00));
    }
    removed.Remove();
    EXPECT_FALSE(removed.Alive());
    Send(window.Handle(), WM_MOUSEMOVE, 120, 60); // the walk must not reach the destroyed one
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    EXPECT_EQ(skin.ElementCount(), 0u);
    EXPECT_TRUE(Near(canvas.Pixel(20, 60), Rgb{0, 0, 0}, 0));
}

TEST(SkinInput, TitleStripDragsUpToItsHeightAndNotOnePixelLower)
{
    BareWindow window(300, 200);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.TitleHeight(70);

    Send(window.Handle(), WM_LBUTTONDOWN, 40, 70, MK_LBUTTON);
    EXPECT_EQ(window.captionPresses, 1);
    POINT screen{40, 70};
    ::ClientToScreen(window.Handle(), &screen);
    EXPECT_EQ(window.lastCaptionPoint, MAKELPARAM(screen.x, screen.y));
    EXPECT_FALSE(skin.Capture());
    Send(window.Handle(), WM_LBUTTONUP, 40, 70);

    Send(window.Handle(), WM_LBUTTONDOWN, 40, 71, MK_LBUTTON);
    EXPECT_EQ(window.captionPresses, 1);
    EXPECT_TRUE(skin.Capture());
    EXPECT_EQ(::GetCapture(), window.Handle());
    Send(window.Handle(), WM_LBUTTONUP, 40, 71);
    EXPECT_FALSE(skin.Capture());
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(SkinInput, PictureInTheStripStillDragsButAButtonThereDoesNot)
{
    BareWindow window(300, 200);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.TitleHeight(70);
    WTImageBox logo;
    logo.Initialise("", 10, 10, 100, 40);
    logo.Picture(SolidPicture(100, 40, 0xFF336699), false);
    WTButton close;
    close.Initialise("", 250, 20, 20, 20);
    int clicks = 0;
    close.AddEventBinding(WTElement::kClick, [&](WPARAM, LPARAM) {
        ++clicks;
        return 1;
    });
    skin.AddElement(logo);
    skin.AddElement(close);

    Send(window.Handle(), WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_EQ(window.captionPresses, 1);
    Send(window.Handle(), WM_LBUTTONUP, 20, 20);

    Send(window.Handle(), WM_MOUSEMOVE, 260, 30);
    Send(window.Handle(), WM_LBUTTONDOWN, 260, 30, MK_LBUTTON);
    EXPECT_EQ(window.captionPresses, 1);
    Send(window.Handle(), WM_LBUTTONUP, 260, 30);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(SkinInput, WindowObjectKeepsItsHandlersAfterAttach)
{
    WTWindow window;
    ASSERT_TRUE(uitest::CreateHost(window, 300, 200, false));
    int moves = 0;
    window.onMouseMove = [&](int, int, int) -> LRESULT {
        ++moves;
        return 0;
    };
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    EXPECT_EQ(WTWindow::FromHandle(window.Handle()), &window);
    WTTextLabel label;
    label.Initialise("", 10, 100, 50, 50);
    skin.AddElement(label);
    Send(window.Handle(), WM_MOUSEMOVE, 20, 110);
    EXPECT_TRUE(label.IsHovered());
    EXPECT_EQ(moves, 1);
    // A binding that consumes the move stops the walk, yet the window's own handler still sees it.
    label.AddEventBinding(WM_MOUSEMOVE, [](WPARAM, LPARAM) { return 0; });
    Send(window.Handle(), WM_MOUSEMOVE, 21, 110);
    EXPECT_EQ(moves, 2);
    skin.Detach();
    ::DestroyWindow(window.Handle());
}

TEST(SkinInput, AttachNeedsAWindowAndDetachGivesItBack)
{
    WTSkinWindow skin;
    EXPECT_FALSE(skin.Attach(nullptr));
    EXPECT_FALSE(skin.Attach(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(skin.Handle(), nullptr);

    BareWindow window(300, 200);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC);
    ASSERT_TRUE(skin.Attach(window.Handle()));
    EXPECT_NE(::GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), ownProc);
    skin.Detach();
    EXPECT_EQ(::GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), ownProc);
    Send(window.Handle(), WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_EQ(window.captionPresses, 0); // no skin any more
}

TEST(SkinInput, LeavingTheWindowUnlightsElements)
{
    BareWindow window(300, 200);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    WTButton button;
    button.Initialise("", 100, 100, 50, 30);
    int leaves = 0;
    button.AddEventBinding(WTElement::kMouseLeave, [&](WPARAM, LPARAM) {
        ++leaves;
        return 1;
    });
    skin.AddElement(button);
    Send(window.Handle(), WM_MOUSEMOVE, 110, 110);
    ASSERT_TRUE(button.IsHovered());
    ::SendMessageW(window.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.IsHovered());
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Usual);
}

TEST(SkinInput, ElementEventNumbersSentToTheWindowAreNoClicks)
{
    BareWindow window(300, 200);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    WTButton button;
    button.Initialise("", 100, 100, 50, 30);
    int events = 0;
    for (UINT code : {WTElement::kClick, WTElement::kMouseEnter, WTElement::kMouseLeave}) {
        button.AddEventBinding(code, [&](WPARAM, LPARAM) {
            ++events;
            return 1;
        });
    }
    skin.AddElement(button);
    ::SendMessageW(window.Handle(), WTElement::kClick, 0, 0);
    ::SendMessageW(window.Handle(), WTElement::kMouseEnter, 0, 0);
    ::SendMessageW(window.Handle(), WTElement::kMouseLeave, 0, 0);
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(button.IsHovered());
}

TEST(SkinGdi, AnOwnerResetToItsOwnObjectKeepsItAndFreesItOnce)
{
    const int before = GdiObjectCount();
    ASSERT_GE(before, 0) << "no way to count GDI objects here";
    {
        platform::UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(GdiObjectCount(), before + 1);
        brush.Reset(brush.Get());
        LOGBRUSH info{};
        EXPECT_EQ(::GetObjectW(brush.Get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(GdiObjectCount(), before + 1);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(SkinGdi, RepaintsStateAndPictureChangesKeepTheObjectCount)
{
    BareWindow window(400, 300, true);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundPicture(SolidPicture(400, 300, 0xFF203040));
    skin.TitleColor(0x80FFFFFF);
    WTButton button;
    button.Initialise("按钮", 100, 100, 120, 40);
    const auto red = SolidPicture(30, 20, 0xFFFF0000);
    const auto blue = SolidPicture(30, 20, 0xFF0000FF);
    WTTextLabel label;
    label.Initialise("标签", 10, 200, 200, 30);
    WTImageBox box;
    box.Initialise("", 250, 100, 60, 60);
    skin.AddElement(button);
    skin.AddElement(label);
    skin.AddElement(box);
    WTMemoryCanvas canvas;
    ASSERT_TRUE(canvas.Create(400, 300));
    const RECT whole{0, 0, 400, 300};

    // One round first: caches, fonts and GDI+'s own one-time objects.
    auto round = [&](int i) {
        button.UsualPicture(i % 2 ? red : blue);
        button.LightPicture(i % 2 ? blue : red);
        box.Picture(i % 2 ? red : blue);
        Send(window.Handle(), WM_MOUSEMOVE, 150, 120);
        Send(window.Handle(), WM_LBUTTONDOWN, 150, 120, MK_LBUTTON);
        skin.Paint(canvas.Dc(), whole);
        Send(window.Handle(), WM_LBUTTONUP, 150, 120);
        Send(window.Handle(), WM_MOUSEMOVE, 10, 290);
        skin.Paint(canvas.Dc(), whole);
        if (i % 100 == 0) {
            skin.BackgroundColor(0xFF000000 | static_cast<std::uint32_t>(i));
            ::UpdateWindow(window.Handle()); // a real WM_PAINT through the hook
        }
    };
    round(0);
    uitest::PumpFor(50);
    const int before = GdiObjectCount();
    ASSERT_GT(before, 0);
    const std::size_t memoryBefore = PrivateBytes();
    for (int i = 1; i <= 1000; ++i) {
        round(i);
    }
    uitest::PumpFor(50);
    const int after = GdiObjectCount();
    const std::size_t memoryAfter = PrivateBytes();
    std::printf("GDI objects before %d, after 1000 rounds %d; private bytes %u -> %u\n", before, after,
        static_cast<unsigned>(memoryBefore), static_cast<unsigned>(memoryAfter));
    EXPECT_EQ(after, before);
    // GDI+ objects are no GDI handles: a leaked picture shows as memory instead.
    EXPECT_LT(memoryAfter, memoryBefore + 2 * 1024 * 1024);
}
