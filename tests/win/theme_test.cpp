// The theme read from its INI files, and the state pictures cut out of picture strips.
#include "platform/win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "tests/win/skin_test_support.h"
#include "ui/drawing.h"
#include "ui/image.h"
#include "ui/theme.h"

using namespace skintest;

namespace {

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A program directory of its own under the temporary directory, removed with everything in it.
class ProgramDir {
public:
    explicit ProgramDir(const std::wstring& prefix = L"sorvik_theme_")
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        static int serial = 0;
        path_
            = std::wstring(temp) + prefix + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ProgramDir() { RemoveTree(path_); }
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;

    const std::wstring& Path() const { return path_; }

    // Writes a file at a path relative to the program directory, making its directories.
    void Write(const std::string& relative, const std::vector<unsigned char>& bytes) const
    {
        std::wstring full = path_;
        std::size_t start = 0;
        for (std::size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
            full += L"\\" + platform::Widen(relative.substr(start, slash - start));
            ::CreateDirectoryW(full.c_str(), nullptr);
        }
        ASSERT_TRUE(platform::WriteWholeFile(full + L"\\" + platform::Widen(relative.substr(start)), bytes));
    }
    void Write(const std::string& relative, const std::string& text) const { Write(relative, Bytes(text)); }

private:
    static void RemoveTree(const std::wstring& directory)
    {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((directory + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                const std::wstring full = directory + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full);
                } else {
                    ::DeleteFileW(full.c_str());
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(directory.c_str());
    }

    std::wstring path_;
};

std::string Config(const std::string& body) { return "[theme]\r\n" + body; }

} // namespace

TEST(ThemeLoad, ReadsDirectoryNameColoursAndPicture)
{
    ProgramDir program;
    program.Write("theme/theme.ini", "[theme]\r\nname=blue\r\n");
    const auto picture = SolidPicture(8, 6, 0xFF112233);
    program.Write("theme/blue/bg.png", picture);
    program.Write("theme/blue/config.ini",
        Config("name=蓝色主题\r\n"
               "bgImage=bg.png\r\n"
               "titleColor=255,10,18,34\r\n"
               "bgColor=255,13,22,40\r\n"
               "btnUsual=28,120,170,255\r\n"
               "btnLight=64,56,170,245\r\n"
               "btnDown=120,4,10,24\r\n"
               "btnChecked=120,37,99,235\r\n"));
    WTTheme theme;
    theme.Load(program.Path());
    EXPECT_EQ(theme.Directory(), program.Path() + L"/theme/blue/");
    EXPECT_EQ(theme.DisplayName(), "蓝色主题"); // GBK bytes, as the file holds them
    EXPECT_EQ(theme.BackgroundPicture(), picture);
    EXPECT_EQ(theme.TitleColor(), 0xFF0A1222u);
    EXPECT_EQ(theme.BackgroundColor(), 0xFF0D1628u);
    EXPECT_EQ(theme.ButtonUsualColor(), 0x1C78AAFFu);
    EXPECT_EQ(theme.ButtonLightColor(), 0x4038AAF5u);
    EXPECT_EQ(theme.ButtonDownColor(), 0x78040A18u);
    EXPECT_EQ(theme.ButtonCheckedColor(), 0x782563EBu);
    // The directory leads to the theme's other pictures.
    EXPECT_EQ(platform::ReadWholeFile(theme.Directory() + L"bg.png"), picture);
}

// As for a Chinese user name on an English Windows, with characters GBK lacks as well.
TEST(ThemeLoad, AProgramFolderOfAnyCharactersFindsItsTheme)
{
    ProgramDir program(L"张伟_한글_");
    program.Write("theme/theme.ini", "[theme]\r\nname=t\r\n");
    program.Write("theme/t/config.ini", Config("bgImage=bg.png\r\nbgColor=255,30,60,90\r\n"));
    program.Write("theme/t/bg.png", Bytes("picture bytes"));
    WTTheme theme;
    theme.Load(program.Path());
    EXPECT_EQ(theme.BackgroundPicture(), Bytes("picture bytes"));
    EXPECT_EQ(theme.BackgroundColor(), 0xFF1E3C5Au);
}

TEST(ThemeLoad, ColourEdgeCases)
{
    ProgramDir program;
    program.Write("theme/theme.ini", "[theme]\r\nname=t\r\n");
    program.Write("theme/t/config.ini",
        Config("titleColor=255,0,128,255\r\n"
               "bgColor=0,255,255,255\r\n"
               "btnUsual=255,0,128\r\n"
               "btnLight=x,255,y,16\r\n"
               "btnDown=\r\n"));
    WTTheme theme;
    theme.Load(program.Path());
    EXPECT_EQ(theme.TitleColor(), 0xFF0080FFu); // opaque blue-green
    EXPECT_EQ(theme.BackgroundColor(), 0x00FFFFFFu); // fully transparent white
    EXPECT_EQ(theme.ButtonUsualColor(), 0u); // three fields keep 0
    EXPECT_EQ(theme.ButtonLightColor(), 0x00FF0010u); // non-numeric parts are 0
    EXPECT_EQ(theme.ButtonDownColor(), 0u);
    EXPECT_EQ(theme.ButtonCheckedColor(), 0u); // missing key
}

TEST(ThemeLoad, LongValuesAreReadWhole)
{
    ProgramDir program;
    program.Write("theme/theme.ini", "[theme]\r\nname=t\r\n");
    std::string name(1500, 'n');
    name += "end";
    std::string color = "255,1,2,3";
    for (int i = 0; i < 700; ++i) {
        color += ",9";
    }
    ASSERT_GT(color.size(), 1023u);
    program.Write("theme/t/config.ini", Config("name=" + name + "\r\ntitleColor=" + color + "\r\n"));
    WTTheme theme;
    theme.Load(program.Path());
    EXPECT_EQ(theme.DisplayName(), name);
    EXPECT_EQ(theme.TitleColor(), 0xFF010203u);
}

TEST(ThemeLoad, MissingBackgroundPictureGivesTheColourOnly)
{
    ProgramDir program;
    program.Write("theme/theme.ini", "[theme]\r\nname=t\r\n");
    program.Write("theme/t/config.ini", Config("bgImage=missing.png\r\nbgColor=255,30,60,90\r\n"));
    WTTheme theme;
    theme.Load(program.Path());
    EXPECT_TRUE(theme.BackgroundPicture().empty());
    EXPECT_EQ(theme.BackgroundColor(), 0xFF1E3C5Au);

    BareWindow window(200, 100);
    WTSkinWindow skin;
    ASSERT_TRUE(skin.Attach(window.Handle()));
    skin.BackgroundColor(theme.BackgroundColor());
    skin.BackgroundPicture(theme.BackgroundPicture());
    skin.TitleColor(theme.TitleColor());
    WTMemoryCanvas canvas;
    PaintWhole(skin, canvas);
    for (POINT p : {POINT{0, 0}, POINT{100, 10}, POINT{199, 99}}) {
        EXPECT_TRUE(Near(canvas.Pixel(p.x, p.y), Rgb{30, 60, 90}, 0)) << p.x << "," << p.y;
    }
}

TEST(ThemeLoad, MissingThemeIniGivesADoubledSlashAndNothingElse)
{
    WTTheme none;
    ProgramDir empty;
    none.Load(empty.Path());
    EXPECT_EQ(none.Directory(), empty.Path() + L"/theme//");
    EXPECT_TRUE(none.DisplayName().empty());
    EXPECT_TRUE(none.BackgroundPicture().empty());
    EXPECT_EQ(none.BackgroundColor(), 0u);
    EXPECT_EQ(none.TitleColor(), 0u);
    EXPECT_EQ(none.ButtonUsualColor(), 0u);
    EXPECT_EQ(none.ButtonLightColor(), 0u);
    EXPECT_EQ(none.ButtonDownColor(), 0u);
    EXPECT_EQ(none.ButtonCheckedColor(), 0u);
}

namespace {

// Columns 0-19 red, 20-39 green, 40-59 blue, 60 white: three 20-pixel states of a 61-pixel strip.
std::uint32_t StripColumn(int x)
{
    if (x < 20) {
        return 0xFFFF0000;
    }
    if (x < 40) {
        return 0xFF00FF00;
    }
    return x < 60 ? 0xFF0000FF : 0xFFFFFFFF;
}

} // namespace

TEST(ThemePicture, HorizontalStripStatesAreAThirdWideTruncated)
{
    const auto strip = PaintedPicture(61, 7, [](int x, int) { return StripColumn(x); });
    const std::uint32_t expected[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (int state = 0; state < 3; ++state) {
        const auto bytes = CutStatePicture(strip, PictureLayout::Strip3H, static_cast<PictureState>(state));
        WTImage cut;
        ASSERT_TRUE(cut.LoadFromBytes(bytes)) << state;
        EXPECT_EQ(cut.Width(), 20);
        EXPECT_EQ(cut.Height(), 7);
        EXPECT_TRUE(cut.RawFormat() == Gdiplus::ImageFormatPNG);
        for (int x : {0, 10, 19}) {
            for (int y : {0, 6}) {
                Gdiplus::Color c;
                cut.Native()->GetPixel(x, y, &c);
                EXPECT_EQ(c.GetValue(), expected[state]) << "state " << state << " at " << x << "," << y;
            }
        }
    }
}

TEST(ThemePicture, VerticalStripStatesKeepAlphaAndTheSourceFormat)
{
    // Rows 0-9, 10-19, 20-29 of a 31-row strip; the middle one half transparent.
    const auto strip = PaintedPicture(12, 31, [](int, int y) {
        return y < 10 ? 0xFF102030u : y < 20 ? 0x80FF8000u : y < 30 ? 0xFF405060u : 0xFFFFFFFFu;
    });
    WTImage light;
    ASSERT_TRUE(light.LoadFromBytes(CutStatePicture(strip, PictureLayout::Strip3V, PictureState::Light)));
    EXPECT_EQ(light.Width(), 12);
    EXPECT_EQ(light.Height(), 10);
    Gdiplus::Color c;
    light.Native()->GetPixel(5, 9, &c);
    EXPECT_EQ(c.GetValue(), 0x80FF8000u);
    WTImage down;
    ASSERT_TRUE(down.LoadFromBytes(CutStatePicture(strip, PictureLayout::Strip3V, PictureState::Down)));
    down.Native()->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFF405060u);

    // A bitmap file comes back as a bitmap file.
    const auto bmp = PaintedPicture(
        9, 3, [](int x, int) { return x < 3 ? 0xFF000000u : 0xFFFFFFFFu; }, Gdiplus::ImageFormatBMP);
    const auto cut = CutStatePicture(bmp, PictureLayout::Strip3H, PictureState::Usual);
    ASSERT_GE(cut.size(), 2u);
    EXPECT_EQ(cut[0], 'B');
    EXPECT_EQ(cut[1], 'M');
    WTImage usual;
    ASSERT_TRUE(usual.LoadFromBytes(cut));
    EXPECT_EQ(usual.Width(), 3);
    usual.Native()->GetPixel(2, 1, &c);
    EXPECT_EQ(c.GetValue() & 0xFFFFFF, 0u);
}

TEST(ThemePicture, WholePicturesBadBytesAndTinyStrips)
{
    const auto picture = SolidPicture(5, 5, 0xFF00FF00);
    EXPECT_EQ(CutStatePicture(picture, PictureLayout::Whole, PictureState::Down), picture);
    EXPECT_TRUE(CutStatePicture(Bytes("not a picture"), PictureLayout::Strip3H, PictureState::Usual).empty());
    EXPECT_TRUE(CutStatePicture({}, PictureLayout::Strip3V, PictureState::Usual).empty());
    EXPECT_NE(WTLastStatus(), 0);
    EXPECT_TRUE(CutStatePicture(SolidPicture(2, 2, 0xFFFFFFFF), PictureLayout::Strip3H, PictureState::Light).empty());
}

TEST(ThemePicture, ImageLoadsFromFileAndReportsStatus)
{
    ProgramDir program;
    const auto bytes = SolidPicture(7, 4, 0xFF0000FF);
    program.Write("p.png", bytes);
    WTImage image;
    EXPECT_TRUE(image.LoadFromFile(program.Path() + L"\\p.png"));
    EXPECT_EQ(WTLastStatus(), 0);
    EXPECT_EQ(image.Width(), 7);
    EXPECT_EQ(image.Height(), 4);
    image.Dispose();
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_FALSE(image.LoadFromFile(program.Path() + L"\\missing.png"));
    EXPECT_NE(WTLastStatus(), 0);
    EXPECT_FALSE(image.IsLoaded());
}

TEST(ThemePicture, ColourWordsConvert)
{
    EXPECT_EQ(ColorRefToArgb(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(ColorRefToArgb(RGB(0x12, 0x34, 0x56), 0x40), 0x40123456u);
    EXPECT_EQ(ArgbToColorRef(0x80ABCDEF), RGB(0xAB, 0xCD, 0xEF));
}
