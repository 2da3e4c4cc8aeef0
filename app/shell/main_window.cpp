#include "app/shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/lines/accelerate.h"
#include "app/lines/line_list.h"
#include "app/lines/speed_test.h"
#include "app/notice/notice_check.h"
#include "app/notice/notice_popup.h"
#include "app/notice/notice_rules.h"
#include "app/notice/notice_shell.h"
#include "app/shell/app.h"
#include "app/shell/autostart.h"
#include "app/shell/connection_panel.h"
#include "app/shell/exit.h"
#include "app/shell/notify_messages.h"
#include "app/shell/theme_pictures.h"
#include "app/shell/tray.h"
#include "app/vpn/reports.h"
#include "service_config.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "ui/dpi.h"
#include "ui/drawing.h"
#include "ui/text_measure.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kTitleStrip = 70;
constexpr RECT kListRect{150, 120, 650, 420};
constexpr int kListFontHeight = 22;
constexpr int kFallbackListFontHeight = 18;
constexpr int kLoadImageWidth = 60;
constexpr int kLoadImageHeight = 20;
constexpr Gdiplus::ARGB kNoFill = 0x00FFFFFF; // white at alpha 0: the state pictures do the work
constexpr Gdiplus::ARGB kWhiteText = 0xFFFFFFFF;
constexpr UINT kClick = WTElement::kClick;
constexpr UINT kEnter = WTElement::kMouseEnter;
constexpr UINT kLeave = WTElement::kMouseLeave;

// Coordinates are computed in double precision and truncated toward zero.
int Trunc(double value) { return static_cast<int>(value); }

void Bind(WTElement& element, UINT code, std::function<void()> action)
{
    element.AddEventBinding(code, [action = std::move(action)](WPARAM, LPARAM) {
        action();
        return 1;
    });
}

void BindHandCursor(WTElement& element)
{
    Bind(element, kEnter, [] { app().mainWindow.Cursor(::LoadCursorW(nullptr, IDC_HAND)); });
    Bind(element, kLeave, [] { app().mainWindow.Cursor(::LoadCursorW(nullptr, IDC_ARROW)); });
}

void NoFills(WTButton& button)
{
    button.UsualColor(kNoFill, false);
    button.LightColor(kNoFill, false);
    button.DownColor(kNoFill, false);
}

void Font(WTElement& element, float size)
{
    WTFontRecord font;
    font.face = "微软雅黑";
    font.size = size;
    element.Font(font, false);
}

void Add(WTElement& element, bool visible)
{
    element.Visible(visible, false);
    app().mainSkin.AddElement(element);
}

// A button whose picture file holds its three states as a strip; its pictures come with the DPI.
void StripButton(WTButton& button, const StatePictures& pictures, double left, double top, bool visible)
{
    button.Initialise("", Trunc(left), Trunc(top), pictures.stateWidth, pictures.stateHeight);
    NoFills(button);
    Add(button, visible);
}

// A button showing one picture in every state, inside a margin of `margin` pixels.
void WholeButton(WTButton& button, const char* file, double left, double top, int margin, bool themeFills, bool visible)
{
    InitWholePictureButton(button, file, Trunc(left), Trunc(top), margin);
    if (themeFills) {
        UseThemeFills(button);
    } else {
        NoFills(button);
    }
    Add(button, visible);
}

void PictureBox(WTImageBox& box, const char* file, double left, double top, bool visible)
{
    const SIZE size = PictureSize(LoadThemePicture(file));
    box.Initialise("", Trunc(left), Trunc(top), size.cx, size.cy);
    Add(box, visible);
}

void TextLabel(WTTextLabel& label, const char* text, int left, int top, int width, int height, float fontSize,
    bool alignNear, bool visible)
{
    label.Initialise(text, left, top, width, height);
    Font(label, fontSize);
    label.TextColor(kWhiteText, false);
    if (alignNear) {
        label.HorizontalAlignment(0, false);
    }
    Add(label, visible);
}

// Picture-box widths for formulas that use the picture's natural width.
double CentredLeft(const char* file) { return (kWidth - PictureSize(LoadThemePicture(file)).cx) / 2.0; }
double CentredLeft(const StatePictures& pictures) { return (kWidth - pictures.stateWidth) / 2.0; }

void BuildElements()
{
    App& a = app();
    PictureBox(a.logoImage, "logo.png", 10, 10, true);

    {
        const StatePictures close2 = LoadStatePictures("close2.png", PictureLayout::Strip3H);
        StripButton(a.noticeCloseButton, close2, kWidth - close2.stateWidth - 6.0,
            kTitleStrip + (30.0 - close2.stateHeight) / 2.0 + 1.0, false);
        Bind(a.noticeCloseButton, kClick, [] { ShowNoticeBar(false); });
    }

    a.noticeLinkButton.Initialise("", 300, kTitleStrip + 1, 100, 30);
    NoFills(a.noticeLinkButton);
    Font(a.noticeLinkButton, 10);
    a.noticeLinkButton.HorizontalAlignment(0, false);
    BindHandCursor(a.noticeLinkButton);
    Bind(a.noticeLinkButton, kClick, [] { OpenWebAddress(NoticeSnapshot().noticeLinkUrl); });
    Add(a.noticeLinkButton, false);

    a.noticeText.Initialise("", 0, kTitleStrip + 1, kWidth, 30);
    Font(a.noticeText, 10);
    a.noticeText.TextColor(0xFF505050, false);
    a.noticeText.BackgroundColor(0xC8FFFFFF, false);
    a.noticeText.HorizontalAlignment(0, false);
    Add(a.noticeText, false);

    {
        const SIZE corner = PictureSize(LoadThemePicture("wjses.png"));
        PictureBox(a.cornerImage, "wjses.png", kWidth - corner.cx - 10.0, kHeight - corner.cy - 10.0, true);
    }
    PictureBox(a.newVersionImage, "newVersion.png", CentredLeft("newVersion.png"), 200, false);

    // Strips are loaded once: their state width is the whole width of a vertical strip.
    const StatePictures download = LoadStatePictures("download.png", PictureLayout::Strip3V);
    StripButton(a.downloadButton, download, CentredLeft(download), 320, false);
    Bind(a.downloadButton, kClick, DownloadAndQuit);

    {
        const StatePictures close = LoadStatePictures("close.png", PictureLayout::Strip3H);
        StripButton(a.closeButton, close, kWidth - close.stateWidth - 10.0, 22, true);
        Bind(a.closeButton, kClick, [] { app().mainWindow.Send(WM_CLOSE); });
        const StatePictures small = LoadStatePictures("small.png", PictureLayout::Strip3H);
        StripButton(
            a.minimizeButton, small, a.closeButton.Left() - static_cast<double>(small.stateWidth) - 16.0, 22, true);
        Bind(a.minimizeButton, kClick, [] {
            app().mainWindow.WindowState(1);
            app().mainWindow.Visible(false);
        });
    }

    const StatePictures oneClick = LoadStatePictures("yjjs.png", PictureLayout::Strip3V);
    StripButton(a.oneClickButton, oneClick, CentredLeft(oneClick), 250, true);
    Bind(a.oneClickButton, kClick, OneClickAccelerate);
    WholeButton(a.customButton, "zdyjs.png", CentredLeft("zdyjs.png"),
        a.oneClickButton.Top() + a.oneClickButton.Height() + 20.0, 16, true, true);
    Bind(a.customButton, kClick, ShowCustomPanel);

    TextLabel(a.versionText, "当前版本：1.5", 12, 572, 110, 24, 10, true, true);
    WholeButton(
        a.websiteButton, "website.png", a.versionText.Left() + a.versionText.Width() + 50.0, 576, 0, false, true);
    Bind(a.websiteButton, kClick, OpenWebsite);
    BindHandCursor(a.websiteButton);
    WholeButton(
        a.forumButton, "exchange.png", a.websiteButton.Left() + a.websiteButton.Width() + 30.0, 576, 0, false, true);
    Bind(a.forumButton, kClick, OpenForum);
    BindHandCursor(a.forumButton);

    WholeButton(a.returnButton, "return.png", 10, 110, 6, true, false);
    Bind(a.returnButton, kClick, LeaveCustomPanel);

    // The list's 96-DPI place: the control itself sits at the window's DPI.
    const int belowList = kListRect.bottom + 10;
    TextLabel(a.selectionText, "当前选择：无", kListRect.left, belowList, 280, 24, 12, true, false);
    TextLabel(a.resultText, "", 0, 240, kWidth, 24, 12, false, false);
    TextLabel(a.statusText, "状态：无", a.selectionText.Left() + a.selectionText.Width() + 4, belowList, 200, 24, 12,
        true, false);

    const double buttonsTop = a.selectionText.Top() + a.selectionText.Height();
    WholeButton(a.accelerateButton, "ljjs.png", a.selectionText.Left(), buttonsTop + 8, 6, true, false);
    a.accelerateButton.Enabled(false, false);
    Bind(a.accelerateButton, kClick, AccelerateSelected);
    WholeButton(a.refreshListButton, "refreshList.png", a.accelerateButton.Left() + a.accelerateButton.Width() + 70.0,
        buttonsTop + 12, 6, true, false);
    Bind(a.refreshListButton, kClick, [] {
        app().refreshListButton.Enabled(false);
        app().refreshSpeedButton.Enabled(false);
        RefreshLineList();
    });
    WholeButton(a.refreshSpeedButton, "refreshSpeed.png",
        a.refreshListButton.Left() + a.refreshListButton.Width() + 60.0, buttonsTop + 12, 6, true, false);
    Bind(a.refreshSpeedButton, kClick, RetestSpeed);

    a.resultImage.Initialise("", 0, 0, 0, 0);
    Add(a.resultImage, false);
    WholeButton(a.disconnectButton, "disconnected.png", CentredLeft("disconnected.png"), 300, 6, true, false);
    Bind(a.disconnectButton, kClick, StopAcceleration);
    WholeButton(a.backButton, "btnReturn.png", CentredLeft("btnReturn.png"), 300, 6, true, false);
    Bind(a.backButton, kClick, BackFromResult);
    AddConnectionPanel();
}

int CALLBACK CollectFontName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names)
{
    reinterpret_cast<std::vector<std::string>*>(names)->push_back(platform::Narrow(font->lfFaceName));
    return 1;
}

HFONT CreateListFont(const std::wstring& face, int height)
{
    return ::CreateFontW(height, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
}

void ChooseListFont(unsigned dpi)
{
    App& a = app();
    a.fontNames.clear();
    {
        platform::WindowDc screen(nullptr);
        ::EnumFontsW(screen.Get(), nullptr, CollectFontName, reinterpret_cast<LPARAM>(&a.fontNames));
    }
    const std::string preferred = "微软雅黑";
    const bool found = std::any_of(a.fontNames.begin(), a.fontNames.end(),
        [&](const std::string& name) { return name.find(preferred) != std::string::npos; });
    if (found) {
        a.listFont.Reset(CreateListFont(L"微软雅黑", dpi::Scale(kListFontHeight, dpi)));
    } else {
        // A family with the Chinese glyphs of the line names, as the drawn texts take.
        a.listFont.Reset(CreateListFont(FallbackFamily(), dpi::Scale(kFallbackListFontHeight, dpi)));
    }
    a.lineListView.SetFont(a.listFont.Get());
}

RECT ScaledRect(const RECT& rect, unsigned dpi)
{
    return RECT{dpi::Scale(rect.left, dpi), dpi::Scale(rect.top, dpi), dpi::Scale(rect.right, dpi),
        dpi::Scale(rect.bottom, dpi)};
}

struct ListColumn {
    const char* title;
    int width;
};
constexpr ListColumn kListColumns[] = {{"线路名称", 250}, {"延时（毫秒）", 130}, {"负载", 60}};

// The load meters at the DPI's size, from the theme's pictures drawn nearest to it.
void LoadListImages(unsigned dpi)
{
    App& a = app();
    a.loadImages.Destroy();
    a.loadImages.Create(dpi::Scale(kLoadImageWidth, dpi), dpi::Scale(kLoadImageHeight, dpi), ILC_COLOR32, 3, false);
    const int percent = dpi::PicturePercent(dpi);
    for (const char* file : {"burden1.bmp", "burden2.bmp", "burden3.bmp"}) {
        const std::string scaled = ScaledPictureName(file, percent);
        if (a.loadImages.AddFromFile(a.theme.Directory() + platform::Widen(scaled), 0) < 0 && scaled != file) {
            a.loadImages.AddFromFile(a.theme.Directory() + platform::Widen(file), 0);
        }
    }
}

void SetButtonPictures(WTButton& button, const char* file, PictureLayout layout, int percent)
{
    SetStatePictures(button, LoadStatePictures(file, layout, percent));
}

void SetBoxPicture(WTImageBox& box, const char* file, int percent)
{
    ScaledPicture picture = LoadThemePicture(file, percent);
    box.Picture(std::move(picture.bytes), false);
    box.PicturePercent(picture.percent, false);
}

// Every theme picture of the main window, as drawn for `percent`; the layout stays the 96-DPI one.
void SetMainPictures(int percent)
{
    App& a = app();
    const WTTheme& theme = a.theme;
    ScaledPicture background = percent == 100 || theme.BackgroundFile().empty()
        ? ScaledPicture{theme.BackgroundPicture(), 100}
        : LoadThemePicture(theme.BackgroundFile(), percent);
    a.mainSkin.BackgroundPicture(std::move(background.bytes), background.percent);

    SetBoxPicture(a.logoImage, "logo.png", percent);
    SetBoxPicture(a.cornerImage, "wjses.png", percent);
    SetBoxPicture(a.newVersionImage, "newVersion.png", percent);
    const struct {
        WTButton& button;
        const char* file;
        PictureLayout layout;
    } buttons[] = {
        {a.noticeCloseButton, "close2.png", PictureLayout::Strip3H},
        {a.downloadButton, "download.png", PictureLayout::Strip3V},
        {a.closeButton, "close.png", PictureLayout::Strip3H},
        {a.minimizeButton, "small.png", PictureLayout::Strip3H},
        {a.oneClickButton, "yjjs.png", PictureLayout::Strip3V},
        {a.customButton, "zdyjs.png", PictureLayout::Whole},
        {a.websiteButton, "website.png", PictureLayout::Whole},
        {a.forumButton, "exchange.png", PictureLayout::Whole},
        {a.returnButton, "return.png", PictureLayout::Whole},
        {a.accelerateButton, "ljjs.png", PictureLayout::Whole},
        {a.refreshListButton, "refreshList.png", PictureLayout::Whole},
        {a.refreshSpeedButton, "refreshSpeed.png", PictureLayout::Whole},
        {a.disconnectButton, "disconnected.png", PictureLayout::Whole},
        {a.backButton, "btnReturn.png", PictureLayout::Whole},
    };
    for (const auto& use : buttons) {
        SetButtonPictures(use.button, use.file, use.layout, percent);
    }
}

// 800 × 600 at 96 DPI; a window of another size keeps its centre.
void FitMainWindow(unsigned dpi)
{
    HWND hwnd = app().mainWindow.Handle();
    RECT frame{};
    ::GetWindowRect(hwnd, &frame);
    const int width = dpi::Scale(kWidth, dpi);
    const int height = dpi::Scale(kHeight, dpi);
    if (frame.right - frame.left == width && frame.bottom - frame.top == height) {
        return;
    }
    const int left = frame.left + (frame.right - frame.left - width) / 2;
    const int top = frame.top + (frame.bottom - frame.top - height) / 2;
    ::SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

#ifdef SORVIK_TEST_BUILD
// The end-to-end tests that set SORVIK_WRITE_LAYOUT read where the drawn elements and the list
// sit, in window pixels; other runs leave nothing beside the program.
void WriteLayoutForTests()
{
    if (::GetEnvironmentVariableW(L"SORVIK_WRITE_LAYOUT", nullptr, 0) == 0) {
        return;
    }
    App& a = app();
    const std::pair<const char*, const WTElement*> elements[] = {{"logoImage", &a.logoImage},
        {"noticeCloseButton", &a.noticeCloseButton}, {"noticeLinkButton", &a.noticeLinkButton},
        {"noticeText", &a.noticeText}, {"cornerImage", &a.cornerImage}, {"newVersionImage", &a.newVersionImage},
        {"downloadButton", &a.downloadButton}, {"closeButton", &a.closeButton}, {"minimizeButton", &a.minimizeButton},
        {"oneClickButton", &a.oneClickButton}, {"customButton", &a.customButton}, {"versionText", &a.versionText},
        {"websiteButton", &a.websiteButton}, {"forumButton", &a.forumButton}, {"returnButton", &a.returnButton},
        {"selectionText", &a.selectionText}, {"resultText", &a.resultText}, {"statusText", &a.statusText},
        {"accelerateButton", &a.accelerateButton}, {"refreshListButton", &a.refreshListButton},
        {"refreshSpeedButton", &a.refreshSpeedButton}, {"resultImage", &a.resultImage},
        {"disconnectButton", &a.disconnectButton}, {"backButton", &a.backButton}};
    std::string text;
    const auto line = [&text](const char* name, const RECT& r) {
        text += std::string(name) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " "
            + std::to_string(r.right) + " " + std::to_string(r.bottom) + "\n";
    };
    for (const auto& [name, element] : elements) {
        line(name, element->DeviceRect());
    }
    line("lineListView", a.lineListView.RectInParent());
    line("client", a.mainWindow.ClientRect());
    platform::WriteWholeFile(
        platform::ProgramDirectory() + L"/layout.txt", std::vector<unsigned char>(text.begin(), text.end()));
}
#endif

// The window moved to a monitor of another DPI: everything is drawn again at that DPI.
void OnMainWindowDpiChanged(unsigned dpi)
{
    App& a = app();
    FitMainWindow(dpi);
    a.mainSkin.Dpi(dpi);
    SetMainPictures(dpi::PicturePercent(dpi));
    const RECT list = ScaledRect(kListRect, dpi);
    a.lineListView.Move(list.left, list.top, list.right - list.left, list.bottom - list.top);
    LoadListImages(dpi);
    a.lineListView.SetImageList(a.loadImages.Handle());
    ChooseListFont(dpi);
    for (int column = 0; column < static_cast<int>(std::size(kListColumns)); ++column) {
        a.lineListView.ColumnWidth(column + 1, dpi::Scale(kListColumns[column].width, dpi));
    }
    a.mainWindow.Invalidate(false);
#ifdef SORVIK_TEST_BUILD
    WriteLayoutForTests();
#endif
}

void BuildControls(HWND hwnd, unsigned dpi)
{
    App& a = app();
    a.notifyLabel.Create(hwnd, "标签", SS_NOTIFY, 0, 0);
    a.notifyLabel.Visible(false);
    WTWindow::SetMessageHook(a.notifyLabel.Handle(), OnNotifyMessage);

    LoadListImages(dpi);

    const RECT list = ScaledRect(kListRect, dpi);
    a.lineListView.Create(hwnd, 0, list.left, list.top, list.right - list.left, list.bottom - list.top);
    a.lineListView.Visible(false);
    a.lineListView.SetImageList(a.loadImages.Handle());
    ChooseListFont(dpi);
    a.lineListView.onClick = [](int item, UINT) { OnLineSelected(item); };
    a.lineListView.AddStyle(LVS_REPORT | LVS_SINGLESEL);
    a.lineListView.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    a.lineListView.RemoveStyle(LVS_SHOWSELALWAYS);
    a.lineListView.InsertColumn("", 0);
    for (const ListColumn& column : kListColumns) {
        a.lineListView.InsertColumn(column.title, dpi::Scale(column.width, dpi));
    }

    BuildElements();
    SetMainPictures(dpi::PicturePercent(dpi));
}

} // namespace

void OpenWebAddress(const std::string& url)
{
    // Addresses may come from the service over plain HTTP: hand the shell web pages only.
    if (!IsWebAddress(url)) {
        return;
    }
    ::ShellExecuteW(nullptr, L"open", platform::Widen(url).c_str(), L"", L"", SW_HIDE);
}

void OpenWebsite() { OpenWebAddress(build_config::kWebsiteUrl); }

void OpenForum() { OpenWebAddress(std::string(build_config::kForumUrl) + "/forum-277-1.html"); }

void ShowNoticeBar(bool show, const std::optional<std::string>& message, const std::optional<std::string>& linkText)
{
    App& a = app();
    if (message) {
        a.noticeText.Text("  " + *message);
    }
    if (linkText) {
        a.noticeLinkButton.Caption(*linkText);
    }
    a.noticeText.Visible(show);
    a.noticeLinkButton.Visible(show);
    a.noticeCloseButton.Visible(show);
    if (!show) {
        return;
    }
    const RECT label = a.noticeText.Rect();
    const double textRight = MeasureTextRight(a.noticeText.Text(), a.noticeText.Font(), label);
    a.noticeLinkButton.Left(Trunc(textRight));
    const RECT unbounded{0, 0, kWidth, kHeight};
    const double linkWidth = MeasureTextWidth(a.noticeLinkButton.Caption(), a.noticeLinkButton.Font(), unbounded);
    a.noticeLinkButton.Width(Trunc(linkWidth + 10.0));
}

void ConnectNoticeShell()
{
    noticeShell().showNoticeBar
        = [](const std::string& message, const std::string& linkText) { ShowNoticeBar(true, message, linkText); };
    noticeShell().openWebAddress = OpenWebAddress;
}

void OnMainWindowCreated(HWND hwnd)
{
    App& a = app();
    a.mainWindow.onCloseQuery = OnMainWindowCloseQuery;
    a.mainWindow.RemoveStyle(WS_MAXIMIZEBOX);
    a.mainWindow.RemoveStyle(WS_THICKFRAME);
    a.mainWindow.RemoveStyle(WS_CAPTION);
    HICON icon = ::LoadIconW(WTWindow::ModuleInstance(), MAKEINTRESOURCEW(250));
    a.mainWindow.Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    SetUpTray();
    ConnectNoticeShell();
    CreateNoticePopup();

    // The window may open on a monitor whose DPI is not the one it was created for.
    const unsigned dpi = dpi::ForWindow(hwnd);
    FitMainWindow(dpi);
    a.mainSkin.Attach(hwnd);
    a.mainSkin.Dpi(dpi);
    a.mainSkin.TitleHeight(kTitleStrip);
    a.mainSkin.BackgroundColor(a.theme.BackgroundColor());
    a.mainSkin.TitleColor(a.theme.TitleColor());

    BuildControls(hwnd, dpi);
    a.mainWindow.onDpiChanged = OnMainWindowDpiChanged;
#ifdef SORVIK_TEST_BUILD
    WriteLayoutForTests();
#endif
    // Started with Windows: only the tray icon shows; the window waits for the tray's "open".
    a.mainWindow.Visible(!StartedInTray());

    StartNoticeCheck();
    a.threadPool.Start(5, 10);
    RefreshLineList();
}
