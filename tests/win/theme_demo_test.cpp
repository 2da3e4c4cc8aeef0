// Draws the default theme the way the program shows it: the start panel of the main
// window, and below it every button picture of the theme in its three states. With
// SORVIK_DOCS_DIR set, the picture is written there as theme-demo.png.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "tests/win/skin_test_support.h"
#include "ui/button.h"
#include "ui/image_box.h"
#include "ui/text_label.h"
#include "ui/theme.h"

using namespace skintest;

namespace {

// A Linux path from CTest names the same place through Wine's Z: drive.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct GalleryItem {
    const char* file;
    PictureLayout layout;
    int margin; // added to the picture's size, shown in the theme's button colours
    bool themeColours; // false: no fill, the picture does all the work
};

// Puts a button's three states side by side by feeding it the messages a mouse would.
void ShowState(WTButton& button, PictureState state)
{
    if (state == PictureState::Usual) {
        return;
    }
    button.Message(WTElement::kMouseEnter, 0, 0);
    if (state == PictureState::Down) {
        const POINT centre{button.Left() + button.Width() / 2, button.Top() + button.Height() / 2};
        button.Message(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
        ::ReleaseCapture();
    }
}

} // namespace

TEST(ThemeDemo, DefaultThemeInAllButtonStates)
{
    if (RepoDirectory().empty()) {
        GTEST_SKIP() << "SORVIK_REPO is not set";
    }
    WTTheme theme;
    theme.Load(platform::Widen(WindowsPath(RepoDirectory())));
    ASSERT_FALSE(theme.BackgroundPicture().empty()) << theme.Directory();
    auto picture = [&](const char* name) { return platform::ReadWholeFile(theme.Directory() + platform::Widen(name)); };
    auto size = [&](const std::vector<unsigned char>& bytes) {
        WTImage image;
        image.LoadFromBytes(bytes);
        return SIZE{image.Width(), image.Height()};
    };

    std::list<WTButton> buttons; // stable addresses for the skin
    std::list<WTImageBox> boxes;
    std::list<WTTextLabel> labels;
    std::vector<WTElement*> order;
    auto button = [&](const std::vector<unsigned char>& bytes, int left, int top, int width, int height,
                      bool themeColours) -> WTButton& {
        WTButton& b = buttons.emplace_back();
        b.Initialise("", left, top, width, height);
        b.UsualPicture(bytes, false);
        b.LightPicture(bytes, false);
        b.DownPicture(bytes, false);
        b.UsualColor(themeColours ? theme.ButtonUsualColor() : 0x00FFFFFF, false);
        b.LightColor(themeColours ? theme.ButtonLightColor() : 0x00FFFFFF, false);
        b.DownColor(themeColours ? theme.ButtonDownColor() : 0x00FFFFFF, false);
        order.push_back(&b);
        return b;
    };
    auto stateButton = [&](const std::vector<unsigned char>& strip, PictureLayout layout, int left, int top) {
        const SIZE whole = size(strip);
        const int w = layout == PictureLayout::Strip3H ? whole.cx / 3 : whole.cx;
        const int h = layout == PictureLayout::Strip3V ? whole.cy / 3 : whole.cy;
        WTButton& b = button(CutStatePicture(strip, layout, PictureState::Usual), left, top, w, h, false);
        b.LightPicture(CutStatePicture(strip, layout, PictureState::Light), false);
        b.DownPicture(CutStatePicture(strip, layout, PictureState::Down), false);
        return &b;
    };
    auto imageBox = [&](const std::vector<unsigned char>& bytes, int left, int top) {
        const SIZE s = size(bytes);
        WTImageBox& box = boxes.emplace_back();
        box.Initialise("", left, top, s.cx, s.cy);
        box.Picture(bytes, false);
        order.push_back(&box);
    };
    auto label = [&](const std::string& text, int left, int top, int width, int height, float points) {
        WTTextLabel& l = labels.emplace_back();
        l.Initialise(text, left, top, width, height);
        WTFontRecord font;
        font.face = "微软雅黑";
        font.size = points;
        l.Font(font, false);
        l.TextColor(0xFFFFFFFF, false);
        l.HorizontalAlignment(0, false);
        order.push_back(&l);
    };

    // The start panel of the main window, placed as the main window places it.
    const int T = 70;
    imageBox(picture("logo.png"), 10, 10);
    WTButton* close = stateButton(picture("close.png"), PictureLayout::Strip3H, 0, 22);
    close->Left(800 - close->Width() - 10, false);
    WTButton* minimize = stateButton(picture("small.png"), PictureLayout::Strip3H, 0, 22);
    minimize->Left(close->Left() - minimize->Width() - 16, false);
    WTButton* oneClick = stateButton(picture("yjjs.png"), PictureLayout::Strip3V, 0, 250);
    oneClick->Left((800 - oneClick->Width()) / 2, false);
    const auto custom = picture("zdyjs.png");
    const SIZE customSize = size(custom);
    button(custom, (800 - customSize.cx) / 2, oneClick->Top() + oneClick->Height() + 20, customSize.cx + 16,
        customSize.cy + 16, true);
    label("当前版本：1.5", 12, 572, 110, 24, 10);
    const auto website = picture("website.png");
    const SIZE websiteSize = size(website);
    WTButton& websiteButton = button(website, 12 + 110 + 50, 576, websiteSize.cx, websiteSize.cy, false);
    const auto forum = picture("exchange.png");
    const SIZE forumSize = size(forum);
    button(forum, websiteButton.Left() + websiteButton.Width() + 30, 576, forumSize.cx, forumSize.cy, false);
    const auto corner = picture("wjses.png");
    const SIZE cornerSize = size(corner);
    imageBox(corner, 800 - cornerSize.cx - 10, 600 - cornerSize.cy - 10);

    // Below it: every button picture in its usual, light and down states.
    label("按钮图片：常态 / 悬停 / 按下", 10, 606, 400, 24, 10);
    const GalleryItem gallery[] = {
        {"close.png", PictureLayout::Strip3H, 0, false},
        {"small.png", PictureLayout::Strip3H, 0, false},
        {"close2.png", PictureLayout::Strip3H, 0, false},
        {"yjjs.png", PictureLayout::Strip3V, 0, false},
        {"download.png", PictureLayout::Strip3V, 0, false},
        {"zdyjs.png", PictureLayout::Whole, 16, true},
        {"return.png", PictureLayout::Whole, 6, true},
        {"disconnected.png", PictureLayout::Whole, 6, true},
        {"btnReturn.png", PictureLayout::Whole, 6, true},
        {"ljjs.png", PictureLayout::Whole, 6, true},
        {"refreshList.png", PictureLayout::Whole, 6, true},
        {"refreshSpeed.png", PictureLayout::Whole, 6, true},
        {"btnExit.png", PictureLayout::Whole, 6, true},
        {"btnCancel.png", PictureLayout::Whole, 6, true},
        {"website.png", PictureLayout::Whole, 0, false},
        {"exchange.png", PictureLayout::Whole, 0, false},
    };
    int x = 10;
    int y = 636;
    int rowHeight = 0;
    const int gap = 8;
    for (const GalleryItem& item : gallery) {
        const auto bytes = picture(item.file);
        const SIZE whole = size(bytes);
        ASSERT_GT(whole.cx, 0) << item.file;
        const int w = (item.layout == PictureLayout::Strip3H ? whole.cx / 3 : whole.cx) + item.margin;
        const int h = (item.layout == PictureLayout::Strip3V ? whole.cy / 3 : whole.cy) + item.margin;
        const int groupWidth = 3 * w + 2 * gap;
        if (x + groupWidth > 790) {
            x = 10;
            y += rowHeight + 14;
            rowHeight = 0;
        }
        for (int state = 0; state < 3; ++state) {
            const int left = x + state * (w + gap);
            WTButton* b = item.layout == PictureLayout::Whole ? &button(bytes, left, y, w, h, item.themeColours)
                                                              : stateButton(bytes, item.layout, left, y);
            ShowState(*b, static_cast<PictureState>(state));
        }
        x += groupWidth + 24;
        rowHeight = std::max(rowHeight, h);
    }
    y += rowHeight + 20;
    // The status pictures of the result panel, and the new-version picture.
    const char* const statusFiles[] = {"connecting.png", "success.png", "fail.png", "newVersion.png"};
    int bottom = y;
    for (int i = 0; i < 4; ++i) {
        const auto bytes = picture(statusFiles[i]);
        const int top = y + (i / 2) * 80;
        imageBox(bytes, i % 2 == 0 ? 10 : 420, top);
        bottom = std::max(bottom, top + static_cast<int>(size(bytes).cy));
    }
    const int height = bottom + 10;

    BareWindow window(800, height);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.TitleHeight(T);
    skin.BackgroundColor(theme.BackgroundColor());
    skin.BackgroundPicture(theme.BackgroundPicture());
    skin.TitleColor(theme.TitleColor());
    for (WTElement* element : order) {
        skin.AddElement(*element);
    }
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    EXPECT_EQ(skin.ElementCount(), order.size());

    // The picture is the theme's: its background where nothing covers it, its colour below the picture.
    WTImage background;
    ASSERT_TRUE(background.LoadFromBytes(theme.BackgroundPicture()));
    Gdiplus::Color c;
    background.Native()->GetPixel(400, 120, &c);
    EXPECT_TRUE(Near(canvas.Pixel(400, 120), RgbOf(c.GetValue())));
    EXPECT_TRUE(Near(canvas.Pixel(795, height - 5), RgbOfArgb(theme.BackgroundColor())));

    if (const char* docs = std::getenv("SORVIK_DOCS_DIR")) {
        const std::string out = WindowsPath(std::string(docs) + "/theme-demo.png");
        EXPECT_TRUE(SaveCanvasPng(canvas, platform::Widen(out))) << out;
    }
}
