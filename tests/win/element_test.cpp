// Drawn elements: the message routine and its bindings, the button's states and
// drawing, labels, picture boxes, and what a move or resize invalidates.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/win/skin_test_support.h"
#include "tests/win/ui_test_support.h"
#include "ui/button.h"
#include "ui/image_box.h"
#include "ui/skin_window.h"
#include "ui/text_label.h"

using namespace skintest;

namespace {

// A skin on a bare window, with counters of the events an element reports.
struct Surface {
    explicit Surface(int width = 300, int height = 200, bool visible = false)
        : window(width, height, visible)
    {
        EXPECT_TRUE(skin.Attach(window.Handle()));
        skin.TitleHeight(20);
    }
    HWND Handle() const { return window.Handle(); }

    BareWindow window;
    WTSkinWindow skin;
};

struct Counts {
    int clicks = 0, enters = 0, leaves = 0, moves = 0, downs = 0, ups = 0, rightDowns = 0;
};

void Count(WTElement& element, Counts& counts)
{
    const std::pair<UINT, int Counts::*> events[] = {
        {WTElement::kClick, &Counts::clicks},
        {WTElement::kMouseEnter, &Counts::enters},
        {WTElement::kMouseLeave, &Counts::leaves},
        {WM_MOUSEMOVE, &Counts::moves},
        {WM_LBUTTONDOWN, &Counts::downs},
        {WM_LBUTTONUP, &Counts::ups},
        {WM_RBUTTONDOWN, &Counts::rightDowns},
    };
    for (const auto& [code, field] : events) {
        element.AddEventBinding(code, [&counts, field = field](WPARAM, LPARAM) {
            ++(counts.*field);
            return 1;
        });
    }
}

bool RegionHas(HRGN region, int x, int y) { return ::PtInRegion(region, x, y) != FALSE; }

} // namespace

TEST(ElementInput, HitTestCountsBothEdges)
{
    WTTextLabel label;
    label.Initialise("", 10, 20, 30, 40);
    EXPECT_TRUE(label.HitTest(POINT{10, 20}));
    EXPECT_TRUE(label.HitTest(POINT{40, 60}));
    EXPECT_TRUE(label.HitTest(POINT{25, 40}));
    EXPECT_FALSE(label.HitTest(POINT{41, 60}));
    EXPECT_FALSE(label.HitTest(POINT{40, 61}));
    EXPECT_FALSE(label.HitTest(POINT{9, 20}));
    EXPECT_FALSE(label.HitTest(POINT{10, 19}));
}

TEST(ElementInput, DisabledOrHiddenElementsFireNothing)
{
    for (bool hide : {false, true}) {
        Surface surface;
        WTButton button;
        button.Initialise("", 100, 100, 50, 30);
        Counts counts;
        Count(button, counts);
        surface.skin.AddElement(button);
        if (hide) {
            button.Visible(false);
        } else {
            button.Enabled(false);
        }
        Send(surface.Handle(), WM_MOUSEMOVE, 110, 110);
        Send(surface.Handle(), WM_LBUTTONDOWN, 110, 110, MK_LBUTTON);
        // The press went on to the skin, which took the mouse.
        EXPECT_TRUE(surface.skin.Capture());
        Send(surface.Handle(), WM_LBUTTONUP, 110, 110);
        Send(surface.Handle(), WM_RBUTTONDOWN, 110, 110, MK_RBUTTON);
        EXPECT_EQ(counts.clicks + counts.enters + counts.moves + counts.downs + counts.ups + counts.rightDowns, 0)
            << (hide ? "hidden" : "disabled");
        EXPECT_FALSE(button.IsHovered());
        EXPECT_FALSE(button.IsPressed());
        EXPECT_FALSE(button.IsRightPressed());
        Send(surface.Handle(), WM_RBUTTONUP, 110, 110);
    }
}

TEST(ElementInput, MoveBindingNotAnsweringOneHidesTheMoveFromLaterElements)
{
    for (int answer : {0, 2, 1}) {
        Surface surface;
        WTTextLabel first;
        WTTextLabel second;
        first.Initialise("", 50, 50, 100, 100);
        second.Initialise("", 60, 60, 100, 100);
        int seen = 0;
        first.AddEventBinding(WM_MOUSEMOVE, [&](WPARAM, LPARAM) {
            ++seen;
            return answer;
        });
        Counts later;
        Count(second, later);
        surface.skin.AddElement(first);
        surface.skin.AddElement(second);
        EXPECT_EQ(surface.skin.ElementCount(), 2u);
        EXPECT_EQ(first.Message(WM_MOUSEMOVE, 0, At(70, 70)), answer == 1 ? 1 : 0);
        first.Message(WTElement::kMouseLeave, 0, 0);
        Send(surface.Handle(), WM_MOUSEMOVE, 70, 70);
        EXPECT_EQ(seen, 2);
        EXPECT_EQ(later.moves, answer == 1 ? 1 : 0) << "answer " << answer;
        EXPECT_EQ(second.IsHovered(), answer == 1) << "answer " << answer;
    }
}

TEST(ElementInput, RawBindingsGetTheHostMessageArguments)
{
    Surface surface;
    WTTextLabel label;
    label.Initialise("", 50, 50, 100, 100);
    WPARAM gotW = 0;
    LPARAM gotL = 0;
    label.AddEventBinding(WM_LBUTTONDOWN, [&](WPARAM w, LPARAM l) {
        gotW = w;
        gotL = l;
        return 1;
    });
    surface.skin.AddElement(label);
    Send(surface.Handle(), WM_LBUTTONDOWN, 60, 70, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(gotW, static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(gotL, At(60, 70));
    EXPECT_TRUE(label.IsPressed());
    Send(surface.Handle(), WM_LBUTTONUP, 60, 70);
    EXPECT_FALSE(label.IsPressed());
}

TEST(ElementInput, PressAnswersConsumedAndOnlyTheFirstBindingRuns)
{
    WTTextLabel label;
    label.Initialise("", 0, 0, 10, 10);
    int first = 0;
    int second = 0;
    const int id = label.AddEventBinding(WTElement::kClick, [&](WPARAM, LPARAM) { return ++first, 1; });
    label.AddEventBinding(WTElement::kClick, [&](WPARAM, LPARAM) { return ++second, 1; });
    EXPECT_EQ(label.Message(WM_LBUTTONDOWN, 0, At(5, 5)), 0);
    EXPECT_EQ(label.Message(WM_LBUTTONDOWN, 0, At(50, 5)), 1);
    EXPECT_EQ(label.Message(WM_KEYDOWN, 0, 0), 1); // no binding: not consumed
    label.Message(WTElement::kClick, 0, 0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(label.RemoveEventBinding(WTElement::kClick, id));
    EXPECT_FALSE(label.RemoveEventBinding(WTElement::kClick, id));
    label.Message(WTElement::kClick, 0, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(label.RemoveEventBinding(WTElement::kClick));
    EXPECT_FALSE(label.RemoveEventBinding(WTElement::kClick));
    EXPECT_EQ(label.DispatchToBindings(WTElement::kClick, 0, 0), 1);
}

TEST(ElementInput, RightButtonPressAndRelease)
{
    WTTextLabel label;
    label.Initialise("", 0, 0, 10, 10);
    Counts counts;
    Count(label, counts);
    EXPECT_EQ(label.Message(WM_RBUTTONUP, 0, At(5, 5)), 1); // not pressed
    EXPECT_EQ(label.Message(WM_RBUTTONDOWN, 0, At(5, 5)), 0);
    EXPECT_TRUE(label.IsRightPressed());
    EXPECT_EQ(counts.rightDowns, 1);
    EXPECT_EQ(label.Message(WM_RBUTTONUP, 0, At(50, 50)), 0);
    EXPECT_FALSE(label.IsRightPressed());
}

TEST(ButtonStates, PressDragOutReleaseGivesNoClick)
{
    Surface surface;
    WTButton button;
    button.Initialise("", 100, 100, 50, 30);
    Counts counts;
    Count(button, counts);
    surface.skin.AddElement(button);
    Send(surface.Handle(), WM_MOUSEMOVE, 110, 110);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Light);
    Send(surface.Handle(), WM_LBUTTONDOWN, 110, 110, MK_LBUTTON);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Down);
    EXPECT_EQ(::GetCapture(), surface.Handle()); // the release will come back even from outside
    Send(surface.Handle(), WM_MOUSEMOVE, 250, 180, MK_LBUTTON);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Usual);
    EXPECT_TRUE(button.IsPressed());
    Send(surface.Handle(), WM_LBUTTONUP, 250, 180);
    EXPECT_EQ(counts.clicks, 0);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Usual);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(counts.enters, 1);
    EXPECT_EQ(counts.leaves, 1);
}

TEST(ButtonStates, PressMoveOutAndBackReleaseClicks)
{
    Surface surface;
    WTButton button;
    button.Initialise("", 100, 100, 50, 30);
    Counts counts;
    Count(button, counts);
    surface.skin.AddElement(button);
    Send(surface.Handle(), WM_MOUSEMOVE, 110, 110);
    Send(surface.Handle(), WM_LBUTTONDOWN, 110, 110, MK_LBUTTON);
    Send(surface.Handle(), WM_MOUSEMOVE, 10, 180, MK_LBUTTON);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Usual);
    Send(surface.Handle(), WM_MOUSEMOVE, 149, 129, MK_LBUTTON);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Down);
    Send(surface.Handle(), WM_LBUTTONUP, 149, 129);
    EXPECT_EQ(counts.clicks, 1);
    EXPECT_EQ(button.CurrentState(), WTButton::State::Light);
    EXPECT_EQ(counts.enters, 2);
    EXPECT_EQ(counts.leaves, 1);
    // A release that was not preceded by a press on the button is nothing to it.
    Send(surface.Handle(), WM_LBUTTONUP, 120, 120);
    EXPECT_EQ(counts.clicks, 1);
    EXPECT_EQ(counts.ups, 1);
}

TEST(ButtonStates, PressOnAButtonIsNotSeenByButtonsBelowIt)
{
    Surface surface;
    WTButton top;
    WTButton below;
    top.Initialise("", 100, 100, 50, 30);
    below.Initialise("", 90, 90, 80, 60);
    Counts topCounts, belowCounts;
    Count(top, topCounts);
    Count(below, belowCounts);
    surface.skin.AddElement(top);
    surface.skin.AddElement(below);
    Send(surface.Handle(), WM_MOUSEMOVE, 120, 110);
    Send(surface.Handle(), WM_LBUTTONDOWN, 120, 110, MK_LBUTTON);
    Send(surface.Handle(), WM_LBUTTONUP, 120, 110);
    EXPECT_EQ(topCounts.clicks, 1);
    EXPECT_EQ(belowCounts.clicks, 0);
    EXPECT_EQ(belowCounts.downs, 0);
    EXPECT_EQ(belowCounts.enters, 1); // moves reach every element
}

namespace {

// The button's centre pixel painted on an opaque background, for each state.
struct ButtonPaint {
    explicit ButtonPaint(std::uint32_t background)
        : surface(300, 200)
    {
        surface.skin.BackgroundColor(background);
        button.Initialise("", 100, 100, 80, 40);
        surface.skin.AddElement(button);
    }
    std::uint32_t PixelAt(int x, int y)
    {
        PaintWhole(surface.skin, canvas);
        return canvas.Pixel(x, y);
    }
    void Hover() { Send(surface.Handle(), WM_MOUSEMOVE, 140, 120); }
    void Press() { Send(surface.Handle(), WM_LBUTTONDOWN, 140, 120, MK_LBUTTON); }
    void Release() { Send(surface.Handle(), WM_LBUTTONUP, 140, 120); }

    Surface surface;
    WTButton button;
    WTMemoryCanvas canvas;
};

} // namespace

TEST(ButtonDraw, DefaultFillColoursOfTheThreeStates)
{
    const std::uint32_t background = 0xFF6496C8;
    const Rgb bg = RgbOfArgb(background);
    ButtonPaint paint(background);
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Over(0x20FFFFFF, bg))); // white at 32
    EXPECT_TRUE(Near(paint.PixelAt(100, 100), Over(0x20FFFFFF, bg)));
    EXPECT_TRUE(Near(paint.PixelAt(179, 139), Over(0x20FFFFFF, bg)));
    EXPECT_TRUE(Near(paint.PixelAt(180, 139), bg));
    paint.Hover();
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Over(0x40FFFFFF, bg))); // white at 64
    paint.Press();
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Over(0x34000000, bg))); // black at 52
    paint.Release();
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Over(0x40FFFFFF, bg)));
}

TEST(ButtonDraw, PictureOfTheStateIsCentredOverTheFill)
{
    ButtonPaint paint(0xFF000000);
    paint.button.UsualColor(0xFF202020);
    paint.button.LightColor(0xFF404040);
    paint.button.DownColor(0xFF606060);
    paint.button.UsualPicture(SolidPicture(20, 10, 0xFFFF0000));
    paint.button.LightPicture(SolidPicture(20, 10, 0xFF00FF00));
    paint.button.DownPicture(SolidPicture(20, 10, 0xFF0000FF));
    // 80 x 40 at (100, 100): the picture covers x 130..149, y 115..124.
    EXPECT_TRUE(Near(paint.PixelAt(130, 115), Rgb{255, 0, 0}));
    EXPECT_TRUE(Near(paint.PixelAt(149, 124), Rgb{255, 0, 0}));
    EXPECT_TRUE(Near(paint.PixelAt(129, 120), Rgb{0x20, 0x20, 0x20}));
    EXPECT_TRUE(Near(paint.PixelAt(140, 125), Rgb{0x20, 0x20, 0x20}));
    paint.Hover();
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Rgb{0, 255, 0}));
    EXPECT_TRUE(Near(paint.PixelAt(110, 110), Rgb{0x40, 0x40, 0x40}));
    paint.Press();
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Rgb{0, 0, 255}));
    EXPECT_TRUE(Near(paint.PixelAt(110, 110), Rgb{0x60, 0x60, 0x60}));
    // A picture that does not decode leaves the fill.
    paint.button.DownPicture(std::vector<unsigned char>{1, 2, 3});
    EXPECT_TRUE(Near(paint.PixelAt(140, 120), Rgb{0x60, 0x60, 0x60}));
}

namespace {

// Columns of the area [left, right) x [top, bottom) that hold a pixel far from the background.
int InkedColumns(WTMemoryCanvas& canvas, int left, int top, int right, int bottom, Rgb background)
{
    int columns = 0;
    for (int x = left; x < right; ++x) {
        for (int y = top; y < bottom; ++y) {
            if (!Near(canvas.Pixel(x, y), background, 60)) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

} // namespace

TEST(ButtonDraw, CaptionIsDrawnInTheTextColour)
{
    ButtonPaint paint(0xFFFFFFFF);
    paint.button.UsualColor(0x00FFFFFF);
    paint.button.Caption("加速");
    paint.button.TextColor(0xFFFF0000);
    EXPECT_EQ(paint.button.Caption(), "加速");
    paint.PixelAt(0, 0);
    int reddish = 0;
    for (int x = 100; x < 180; ++x) {
        for (int y = 100; y < 140; ++y) {
            const Rgb p = RgbOf(paint.canvas.Pixel(x, y));
            if (p.r > 200 && p.g < 120 && p.b < 120) {
                ++reddish;
            }
        }
    }
    EXPECT_GT(reddish, 20);
    EXPECT_EQ(InkedColumns(paint.canvas, 0, 0, 100, 200, Rgb{255, 255, 255}), 0);
}

TEST(ElementDraw, LabelAlignmentPlacesTheText)
{
    Surface surface(400, 100);
    surface.skin.BackgroundColor(0xFFFFFFFF);
    WTTextLabel label;
    label.Initialise("状态：无", 0, 40, 400, 40);
    WTFontRecord font;
    font.face = "微软雅黑";
    font.size = 12;
    label.Font(font);
    surface.skin.AddElement(label);
    WTMemoryCanvas canvas;
    const Rgb white{255, 255, 255};
    label.HorizontalAlignment(0);
    PaintWhole(surface.skin, canvas);
    EXPECT_GT(InkedColumns(canvas, 0, 40, 100, 80, white), 20);
    EXPECT_EQ(InkedColumns(canvas, 300, 40, 400, 80, white), 0);
    label.HorizontalAlignment(2);
    PaintWhole(surface.skin, canvas);
    EXPECT_EQ(InkedColumns(canvas, 0, 40, 100, 80, white), 0);
    EXPECT_GT(InkedColumns(canvas, 300, 40, 400, 80, white), 20);
    label.HorizontalAlignment(1);
    PaintWhole(surface.skin, canvas);
    EXPECT_EQ(InkedColumns(canvas, 0, 40, 100, 80, white), 0);
    EXPECT_EQ(InkedColumns(canvas, 300, 40, 400, 80, white), 0);
    EXPECT_GT(InkedColumns(canvas, 150, 40, 250, 80, white), 20);
    // Defaults: opaque black text on a transparent background.
    EXPECT_EQ(label.TextColor(), 0xFF000000u);
    EXPECT_EQ(label.BackgroundColor(), 0x00FFFFFFu);
    EXPECT_TRUE(Near(canvas.Pixel(5, 45), white, 0));
}

TEST(ElementDraw, PictureBoxScalesItsPictureToTheRectangle)
{
    Surface surface(300, 200);
    WTImageBox box;
    box.Initialise("ignored", 100, 50, 60, 40);
    // Quadrants of a 4 x 4 picture: red top left, blue elsewhere.
    box.Picture(PaintedPicture(4, 4, [](int x, int y) { return x < 2 && y < 2 ? 0xFFFF0000u : 0xFF0000FFu; }));
    surface.skin.AddElement(box);
    WTMemoryCanvas canvas;
    PaintWhole(surface.skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(115, 60), Rgb{255, 0, 0}, 40));
    EXPECT_TRUE(Near(canvas.Pixel(145, 80), Rgb{0, 0, 255}, 40));
    EXPECT_TRUE(Near(canvas.Pixel(145, 60), Rgb{0, 0, 255}, 40));
    EXPECT_TRUE(Near(canvas.Pixel(102, 52), Rgb{255, 0, 0}, 40)); // filled up to its edges
    EXPECT_TRUE(Near(canvas.Pixel(158, 88), Rgb{0, 0, 255}, 40));
    EXPECT_TRUE(Near(canvas.Pixel(99, 70), Rgb{0, 0, 0}, 0)); // nothing outside
    EXPECT_TRUE(Near(canvas.Pixel(160, 70), Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(Near(canvas.Pixel(130, 90), Rgb{0, 0, 0}, 0));
    box.BackgroundColor(0xFF00FF00);
    box.Picture({});
    PaintWhole(surface.skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(130, 70), Rgb{0, 255, 0}));
}

TEST(ElementDraw, HiddenElementIsNotDrawn)
{
    Surface surface(300, 200);
    WTTextLabel label;
    label.Initialise("", 10, 50, 50, 50);
    label.BackgroundColor(0xFFFFFFFF);
    surface.skin.AddElement(label);
    WTMemoryCanvas canvas;
    PaintWhole(surface.skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(30, 70), Rgb{255, 255, 255}));
    label.Visible(false);
    PaintWhole(surface.skin, canvas);
    EXPECT_TRUE(Near(canvas.Pixel(30, 70), Rgb{0, 0, 0}, 0));
    EXPECT_EQ(surface.skin.ElementCount(), 1u); // hidden is not dead
}

TEST(ElementRedraw, MovingALabelRepaintsTheOldAndTheNewArea)
{
    Surface surface(300, 200, true);
    WTTextLabel label;
    label.Initialise("文字", 10, 50, 40, 20);
    surface.skin.AddElement(label);
    uitest::PumpFor(50);
    ::ValidateRect(surface.Handle(), nullptr);
    platform::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetUpdateRgn(surface.Handle(), region.Get(), FALSE), NULLREGION);

    label.Position(200, 120);
    ASSERT_NE(::GetUpdateRgn(surface.Handle(), region.Get(), FALSE), NULLREGION);
    EXPECT_TRUE(RegionHas(region.Get(), 10, 50));
    EXPECT_TRUE(RegionHas(region.Get(), 49, 69));
    EXPECT_TRUE(RegionHas(region.Get(), 200, 120));
    EXPECT_TRUE(RegionHas(region.Get(), 239, 139));
    EXPECT_FALSE(RegionHas(region.Get(), 100, 100));
    EXPECT_FALSE(RegionHas(region.Get(), 50, 70));

    // Moves without redraw collect the old areas for the next redraw.
    ::ValidateRect(surface.Handle(), nullptr);
    label.Left(100, false);
    label.Size(10, 10, false);
    EXPECT_EQ(::GetUpdateRgn(surface.Handle(), region.Get(), FALSE), NULLREGION);
    label.Redraw();
    ::GetUpdateRgn(surface.Handle(), region.Get(), FALSE);
    EXPECT_TRUE(RegionHas(region.Get(), 200, 130)); // where it was before the silent moves
    EXPECT_TRUE(RegionHas(region.Get(), 139, 139)); // after the move, before the resize
    EXPECT_TRUE(RegionHas(region.Get(), 105, 125)); // where it is
    EXPECT_FALSE(RegionHas(region.Get(), 20, 60)); // the area already repainted
    ::ValidateRect(surface.Handle(), nullptr);
    label.Redraw();
    ::GetUpdateRgn(surface.Handle(), region.Get(), FALSE);
    EXPECT_FALSE(RegionHas(region.Get(), 200, 130)); // the list was emptied
}

TEST(ElementRedraw, ChangingTheHostRedrawsOnBoth)
{
    Surface a(200, 200, true);
    Surface b(200, 200, true);
    WTTextLabel label;
    label.Initialise("", 10, 50, 40, 20);
    a.skin.AddElement(label);
    uitest::PumpFor(50);
    ::ValidateRect(a.Handle(), nullptr);
    ::ValidateRect(b.Handle(), nullptr);
    b.skin.AddElement(label);
    EXPECT_EQ(label.HostWindow(), b.Handle());
    RECT box{};
    EXPECT_NE(::GetUpdateRect(a.Handle(), &box, FALSE), FALSE);
    EXPECT_NE(::GetUpdateRect(b.Handle(), &box, FALSE), FALSE);
    EXPECT_TRUE(::EqualRect(&box, std::array<RECT, 1>{RECT{10, 50, 50, 70}}.data()));
}

TEST(ElementRedraw, ElementWithoutHostRedrawsNothing)
{
    WTTextLabel label;
    label.Initialise("", 10, 50, 40, 20);
    label.Position(30, 30);
    label.Redraw();
    EXPECT_EQ(label.HostWindow(), nullptr);
    BareWindow window(200, 200, true);
    uitest::PumpFor(50);
    ::ValidateRect(window.Handle(), nullptr);
    label.HostWindow(window.Handle());
    platform::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ::GetUpdateRgn(window.Handle(), region.Get(), FALSE);
    EXPECT_TRUE(RegionHas(region.Get(), 35, 35));
    EXPECT_FALSE(RegionHas(region.Get(), 15, 55)); // its old place was forgotten with no host
}
