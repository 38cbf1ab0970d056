// The compiled resources as the system loads them: menu, accelerators, toolbar and its bitmap,
// icons, the link cursor, strings and the three dialog templates.
#include "res/resource.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

// The raw bytes of a resource, empty when it is missing.
std::string Raw(int id, LPCSTR type) {
    HRSRC r = FindResourceA(Self(), MAKEINTRESOURCEA(id), type);
    if (!r) return std::string();
    HGLOBAL g = LoadResource(Self(), r);
    const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    return p ? std::string(p, SizeofResource(Self(), r)) : std::string();
}

std::string LoadStr(UINT id) {
    char buf[512];
    int n = LoadStringA(Self(), id, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

// --- menu, keys, toolbar ----------------------------------------------------------------

struct Item {
    UINT id; // 0 for a separator
    std::string text;
};

std::vector<Item> MenuItems(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        EXPECT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &mii));
        items.push_back({(mii.fType & MFT_SEPARATOR) ? 0 : mii.wID, text});
    }
    return items;
}

bool operator==(const Item& a, const Item& b) {
    return a.id == b.id && a.text == b.text;
}
void PrintTo(const Item& i, std::ostream* os) {
    *os << i.id << " \"" << i.text << "\"";
}

TEST(ResourcesTest, MainMenuHasItsPopupsItemsAndSeparators) {
    HMENU menu = LoadMenuA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, menu);
    const char* titles[] = {"&File", "&Process", "&View", "&Help"};
    const std::vector<Item> expected[] = {
        {{ID_APP_EXIT, "E&xit"}},
        {{ID_KILL_SELECTED, "&Kill Selected Process\tF8"},
         {ID_KILL_FAVORITES, "Kill &Favorite Processes\tF9"},
         {ID_KILL_FAVORITES_EXIT, "Kill Favorite Processes and E&xit\tF10"},
         {0, ""},
         {ID_EDIT_FAVORITES, "&Edit Favorites...\tF2"}},
        {{ID_VIEW_REFRESH, "&Refresh\tF5"},
         {0, ""},
         {ID_VIEW_TOOLBAR, "&Toolbar"},
         {ID_VIEW_STATUS_BAR, "&Status Bar"}},
        {{ID_APP_ABOUT, "&About Vantrel..."}},
    };
    ASSERT_EQ(4, GetMenuItemCount(menu));
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(titles[i], text);
        HMENU popup = GetSubMenu(menu, i);
        ASSERT_NE(nullptr, popup) << titles[i];
        EXPECT_EQ(expected[i], MenuItems(popup)) << titles[i];
    }
    DestroyMenu(menu);
}

TEST(ResourcesTest, AcceleratorsAreVirtualKeysWithoutInversion) {
    HACCEL table = LoadAcceleratorsA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, table);
    ACCEL keys[16];
    int n = CopyAcceleratorTableA(table, keys, 16);
    using Key = std::tuple<int, int, int>; // modifier flags, key, command
    std::vector<Key> got;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(FVIRTKEY | FNOINVERT, keys[i].fVirt & (FVIRTKEY | FNOINVERT)) << keys[i].cmd;
        got.emplace_back(keys[i].fVirt & (FSHIFT | FCONTROL | FALT), keys[i].key, keys[i].cmd);
    }
    std::vector<Key> expected = {
        {0, VK_F2, ID_EDIT_FAVORITES},
        {0, VK_F5, ID_VIEW_REFRESH},
        {0, VK_F8, ID_KILL_SELECTED},
        {0, VK_F9, ID_KILL_FAVORITES},
        {0, VK_F10, ID_KILL_FAVORITES_EXIT},
        {FCONTROL, 'S', ID_FILE_SAVE},
        {0, VK_F6, ID_NEXT_PANE},
        {FSHIFT, VK_F6, ID_PREV_PANE},
    };
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, got);
    DestroyAcceleratorTable(table);
}

TEST(ResourcesTest, ToolbarLayoutMatchesItsBitmap) {
    std::string raw = Raw(IDR_MAINFRAME, MAKEINTRESOURCEA(RT_TOOLBAR_TYPE));
    ASSERT_EQ(20u, raw.size());
    std::vector<WORD> words(10);
    memcpy(words.data(), raw.data(), raw.size());
    EXPECT_EQ((std::vector<WORD>{1, 16, 15, 6, ID_FILE_SAVE, 0, ID_KILL_SELECTED, ID_KILL_FAVORITES,
                                 ID_KILL_FAVORITES_EXIT, ID_APP_ABOUT}),
              words);

    // One 16 x 15 image per button (separators have none), on the light grey button face.
    HBITMAP bmp = LoadBitmapA(Self(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, bmp);
    BITMAP bm = {};
    GetObjectA(bmp, sizeof bm, &bm);
    EXPECT_EQ(5 * 16, bm.bmWidth);
    EXPECT_EQ(15, bm.bmHeight);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(RGB(192, 192, 192), GetPixel(dc, b * 16, 0)) << "button " << b;
        EXPECT_EQ(RGB(192, 192, 192), GetPixel(dc, b * 16 + 15, 14)) << "button " << b;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);

    // A classic 16-colour bitmap: the toolbar's colour mapping works on its palette.
    std::string dib = Raw(IDR_MAINFRAME, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih;
    memcpy(&bih, dib.data(), sizeof bih);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), bih.biSize);
    EXPECT_EQ(4, bih.biBitCount);
}

// --- icons and cursor --------------------------------------------------------------------

// The sizes listed in an icon group: width, height and bits per pixel of each image.
std::vector<std::tuple<int, int, int>> IconGroup(int id) {
    std::string raw = Raw(id, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    std::vector<std::tuple<int, int, int>> images;
    if (raw.size() < 6) return images;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(raw.data());
    size_t count = p[4] | (p[5] << 8);
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= raw.size(); ++i) {
        const unsigned char* e = p + 6 + 14 * i;
        images.emplace_back(e[0], e[1], e[6] | (e[7] << 8));
    }
    return images;
}

SIZE IconSize(HICON icon, ICONINFO* info) {
    SIZE size = {0, 0};
    if (!GetIconInfo(icon, info)) return size;
    BITMAP bm = {};
    GetObjectA(info->hbmMask, sizeof bm, &bm);
    size.cx = bm.bmWidth;
    size.cy = info->hbmColor ? bm.bmHeight : bm.bmHeight / 2; // monochrome: AND and XOR
    DeleteObject(info->hbmMask);
    if (info->hbmColor) DeleteObject(info->hbmColor);
    return size;
}

TEST(ResourcesTest, IconsHaveBothSizesInSixteenColours) {
    using Image = std::tuple<int, int, int>;
    for (int id : {IDR_MAINFRAME, IDR_VANTRETYPE}) {
        std::vector<Image> images = IconGroup(id);
        std::sort(images.begin(), images.end());
        EXPECT_EQ((std::vector<Image>{{16, 16, 4}, {32, 32, 4}}), images) << "icon " << id;
        for (int px : {32, 16}) {
            HICON icon =
                static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(id), IMAGE_ICON, px, px, 0));
            ASSERT_NE(nullptr, icon) << "icon " << id << " at " << px;
            ICONINFO info = {};
            SIZE size = IconSize(icon, &info);
            EXPECT_TRUE(info.fIcon);
            EXPECT_EQ(px, size.cx);
            EXPECT_EQ(px, size.cy);
            DestroyIcon(icon);
        }
    }
}

TEST(ResourcesTest, HandCursorPointsWithItsTopLeftPixel) {
    HCURSOR cursor = LoadCursorA(Self(), MAKEINTRESOURCEA(IDC_HAND));
    ASSERT_NE(nullptr, cursor);
    ICONINFO info = {};
    SIZE size = IconSize(cursor, &info);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(0u, info.xHotspot);
    EXPECT_EQ(0u, info.yHotspot);
    EXPECT_EQ(32, size.cx);
    EXPECT_EQ(32, size.cy);
    // Two colours, and the hot spot is stored in the cursor resource itself. The group's
    // first entry names the image's resource id.
    std::string group = Raw(IDC_HAND, MAKEINTRESOURCEA(12) /* RT_GROUP_CURSOR */);
    ASSERT_GE(group.size(), 6u + 14u);
    WORD image = 0;
    memcpy(&image, group.data() + 6 + 12, sizeof image);
    std::string raw = Raw(image, MAKEINTRESOURCEA(1) /* RT_CURSOR */);
    ASSERT_GE(raw.size(), 4 + sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bih;
    memcpy(&bih, raw.data() + 4, sizeof bih);
    EXPECT_EQ(1, bih.biBitCount);
    EXPECT_EQ(32, bih.biWidth);
    EXPECT_EQ(std::string(4, '\0'), raw.substr(0, 4));
}

// --- strings -----------------------------------------------------------------------------

TEST(ResourcesTest, StringsOfTheApplicationAndItsCommands) {
    struct {
        UINT id;
        const char* text;
    } strings[] = {
        {IDR_MAINFRAME, "Vantrel\n\nVantre\n\n\nVantrel.Document\nVantre Document"},
        {AFX_IDS_APP_TITLE, "Vantrel"},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_INDICATOR_ACTIVITY, "          "},
        {ID_APP_EXIT, "Quit the application\nExit"},
        {ID_KILL_SELECTED, "Kill Selected\nKill Selected"},
        {ID_KILL_FAVORITES, "Kill Favorites\nKill Favorites"},
        {ID_KILL_FAVORITES_EXIT, "Kill Favorites and Exit\nKill Favorites and Exit"},
        {ID_EDIT_FAVORITES, "Favorites\nFavorites"},
        {ID_VIEW_REFRESH, "Refresh\nRefresh"},
        {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
        {ID_APP_ABOUT, "Display information and copyright\nAbout"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
        {ID_PREV_PANE, "Previous window pane\nPrevious Pane"},
        {ID_WINDOW_SPLIT, "Split the active window into panes\nSplit"},
        {ID_KILL_FAVORITES_UNUSED, "Kill Favorites\nKill Favorites"},
    };
    for (const auto& s : strings)
        EXPECT_EQ(s.text, LoadStr(s.id)) << "string " << s.id;

    // Every system menu command has a prompt for the status bar.
    for (UINT id = AFX_IDS_SCSIZE; id <= AFX_IDS_SCCLOSE; ++id)
        EXPECT_FALSE(LoadStr(id).empty()) << "string " << id;
    EXPECT_FALSE(LoadStr(AFX_IDS_SCRESTORE).empty());
    EXPECT_FALSE(LoadStr(AFX_IDS_SCTASKLIST).empty());
}

// --- dialogs -----------------------------------------------------------------------------

struct Control {
    WORD id;
    std::string cls; // upper case: BUTTON, EDIT, STATIC, LISTBOX
    std::string text;
    short x, y, cx, cy;
    DWORD style; // without WS_CHILD | WS_VISIBLE, which every control must have
};

struct Dialog {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string caption, face;
    WORD points = 0;
    std::vector<Control> controls;
};

bool operator==(const Control& a, const Control& b) {
    return std::tie(a.id, a.cls, a.text, a.x, a.y, a.cx, a.cy, a.style) ==
           std::tie(b.id, b.cls, b.text, b.x, b.y, b.cx, b.cy, b.style);
}
void PrintTo(const Control& c, std::ostream* os) {
    *os << c.id << " " << c.cls << " \"" << c.text << "\" " << c.x << "," << c.y << "," << c.cx
        << "," << c.cy << " style 0x" << std::hex << c.style << std::dec;
}

// Reads a classic DLGTEMPLATE, never beyond the resource's end.
class TemplateReader {
  public:
    explicit TemplateReader(const std::string& raw) : m_raw(raw) {}
    bool ok() const { return m_ok; }
    void Align() { m_pos = (m_pos + 3) & ~size_t(3); }
    template <class T> T Get() {
        T v{};
        if (m_pos + sizeof v > m_raw.size()) {
            m_ok = false;
            return v;
        }
        memcpy(&v, m_raw.data() + m_pos, sizeof v);
        m_pos += sizeof v;
        return v;
    }
    // A string or an ordinal (0xFFFF, value), as "#value"; wide text narrowed.
    std::string SzOrOrd() {
        WORD w = Get<WORD>();
        if (w == 0xFFFF) return "#" + std::to_string(Get<WORD>());
        std::string s;
        for (; m_ok && w; w = Get<WORD>())
            s += char(w);
        return s;
    }

  private:
    const std::string& m_raw;
    size_t m_pos = 0;
    bool m_ok = true;
};

Dialog ReadDialog(int id) {
    std::string raw = Raw(id, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    TemplateReader r(raw);
    Dialog d;
    d.style = r.Get<DWORD>();
    r.Get<DWORD>(); // extended style
    WORD count = r.Get<WORD>();
    r.Get<short>(); // x
    r.Get<short>(); // y
    d.cx = r.Get<short>();
    d.cy = r.Get<short>();
    EXPECT_EQ("", r.SzOrOrd()); // no menu
    EXPECT_EQ("", r.SzOrOrd()); // the standard dialog class
    d.caption = r.SzOrOrd();
    if (d.style & DS_SETFONT) d.points = r.Get<WORD>(), d.face = r.SzOrOrd();
    const char* ordinals[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.Align();
        Control c;
        c.style = r.Get<DWORD>();
        r.Get<DWORD>();
        c.x = r.Get<short>(), c.y = r.Get<short>(), c.cx = r.Get<short>(), c.cy = r.Get<short>();
        c.id = r.Get<WORD>();
        c.cls = r.SzOrOrd();
        for (int k = 0; k < 6; ++k)
            if (c.cls == "#" + std::to_string(0x80 + k)) c.cls = ordinals[k];
        CharUpperA(&c.cls[0]);
        c.text = r.SzOrOrd();
        WORD extra = r.Get<WORD>();
        for (WORD b = 0; b < extra; ++b)
            r.Get<BYTE>();
        EXPECT_EQ(DWORD(WS_CHILD | WS_VISIBLE), c.style & (WS_CHILD | WS_VISIBLE)) << c.text;
        c.style &= ~DWORD(WS_CHILD | WS_VISIBLE);
        d.controls.push_back(c);
    }
    EXPECT_TRUE(r.ok()) << "dialog " << id << " is truncated";
    return d;
}

const DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
const DWORD kList =
    LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP;
const DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD kDefPush = BS_DEFPUSHBUTTON | WS_TABSTOP;
const WORD kStatic = 0xFFFF;

// The dialogs that show process names use MS Shell Dlg, which reaches fonts of every script.
void ExpectFrame(const Dialog& d, const char* caption, short cx, short cy,
                 const char* face = "MS Sans Serif") {
    EXPECT_EQ(kDialogStyle, d.style);
    EXPECT_EQ(caption, d.caption);
    EXPECT_EQ(cx, d.cx);
    EXPECT_EQ(cy, d.cy);
    EXPECT_EQ(8, d.points);
    EXPECT_EQ(face, d.face);
}

TEST(ResourcesTest, FavoritesAndAddNameTemplates) {
    Dialog fav = ReadDialog(IDD_FAVORITES);
    ExpectFrame(fav, "Favorites", 244, 217, "MS Shell Dlg");
    EXPECT_EQ((std::vector<Control>{
                  {IDC_CANDIDATES, "LISTBOX", "", 8, 16, 100, 152, kList},
                  {IDC_ADD, "BUTTON", "-->", 112, 69, 20, 20, kPush},
                  {IDC_FAVORITES, "LISTBOX", "", 136, 16, 100, 152, kList},
                  {IDC_REMOVE, "BUTTON", "<--", 112, 93, 20, 20, kPush},
                  {IDOK, "BUTTON", "OK", 136, 196, 50, 14, kDefPush},
                  {IDCANCEL, "BUTTON", "Cancel", 192, 196, 46, 14, kPush},
                  {IDC_MANUAL_ADD, "BUTTON", "Manually Add Name", 136, 176, 100, 14, kDefPush},
                  {kStatic, "STATIC", "Candidates", 8, 4, 68, 8, SS_LEFT},
                  {kStatic, "STATIC", "Favorites", 136, 4, 68, 8, SS_LEFT | WS_GROUP},
                  {IDC_KILL_GENTLY, "BUTTON", "Kill Gently", 8, 178, 110, 10,
                   BS_AUTOCHECKBOX | WS_TABSTOP},
              }),
              fav.controls);

    Dialog add = ReadDialog(IDD_ADD_NAME);
    ExpectFrame(add, "Add Process Name", 124, 49, "MS Shell Dlg");
    EXPECT_EQ(
        (std::vector<Control>{
            {IDC_PROCESS_NAME, "EDIT", "", 8, 4, 88, 16, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
            {IDOK, "BUTTON", "OK", 8, 28, 50, 14, kDefPush},
            {IDCANCEL, "BUTTON", "Cancel", 64, 28, 50, 14, kPush},
        }),
        add.controls);
}

TEST(ResourcesTest, AboutTemplate) {
    Dialog about = ReadDialog(IDD_ABOUTBOX);
    ExpectFrame(about, "About Vantrel", 220, 137);
    ASSERT_EQ(12u, about.controls.size());
    // The texts the author chose are read back; everything else is fixed.
    const std::vector<Control>& c = about.controls;
    EXPECT_EQ(
        (std::vector<Control>{
            {IDOK, "BUTTON", "OK", 140, 119, 36, 14, kDefPush | WS_GROUP},
            {kStatic, "STATIC", "#128", 147, 92, 20, 20, SS_ICON},
            {kStatic, "STATIC", "Vantrel Version 1.3", 122, 4, 64, 8, SS_CENTER},
            {kStatic, "STATIC", c[3].text, 116, 15, 75, 8, SS_CENTER},
            {kStatic, "BUTTON", "Legal Stuff", 8, 68, 88, 64, BS_GROUPBOX},
            {kStatic, "STATIC", c[5].text, 16, 85, 72, 36, SS_CENTER},
            {kStatic, "BUTTON", "What Vantrel Does", 8, 8, 88, 52, BS_GROUPBOX},
            {kStatic, "STATIC", "Kills processes in a controlled way.", 16, 26, 72, 22, SS_CENTER},
            {kStatic, "STATIC", "by\nTrelmont Software", 115, 39, 80, 16, SS_CENTER},
            {kStatic, "STATIC", "A 32 bit application", 122, 27, 64, 8, SS_CENTER},
            {IDC_MAIL_LINK, "STATIC", c[10].text, 114, 60, 85, 10, SS_CENTER},
            {IDC_WEB_LINK, "STATIC", c[11].text, 99, 75, 115, 10, SS_CENTER},
        }),
        about.controls);
    EXPECT_EQ(0u, c[3].text.find("Copyright (C) "));
    EXPECT_FALSE(c[5].text.empty());
    EXPECT_NE(std::string::npos, c[10].text.find('@'));
    EXPECT_EQ(std::string::npos, c[10].text.find(':'));
    EXPECT_EQ(0u, c[11].text.find("https://"));
    EXPECT_EQ(std::string::npos, c[11].text.find('@')); // the web target is never a mail target
}

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

// The templates build real dialogs: every control exists, the About icon shows icon 128 at
// 32 x 32, and every text is drawn whole inside its control in the dialog's own font.
TEST(ResourcesTest, DialogsBuildAndTheirTextsFit) {
    for (int id : {IDD_ABOUTBOX, IDD_FAVORITES, IDD_ADD_NAME}) {
        HWND dlg = CreateDialogParamA(Self(), MAKEINTRESOURCEA(id), nullptr, QuietProc, 0);
        ASSERT_NE(nullptr, dlg) << "dialog " << id;
        EXPECT_FALSE(IsWindowVisible(dlg));
        HDC dc = GetDC(dlg);
        HGDIOBJ oldFont =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0)));
        int found = 0;
        for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            ++found;
            char cls[32] = "", text[256] = "";
            GetClassNameA(child, cls, sizeof cls);
            GetWindowTextA(child, text, sizeof text);
            LONG style = GetWindowLongA(child, GWL_STYLE);
            RECT client;
            GetClientRect(child, &client);
            if (!lstrcmpiA(cls, "Static") && (style & SS_TYPEMASK) == SS_ICON) {
                HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
                ICONINFO info = {};
                EXPECT_EQ(32, IconSize(icon, &info).cx);
                continue;
            }
            bool isStatic = !lstrcmpiA(cls, "Static");
            bool isPush = !lstrcmpiA(cls, "Button") && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
            if (!*text || !(isStatic || isPush)) continue;
            RECT need = {0, 0, client.right, 0};
            DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            EXPECT_LE(need.right, client.right) << "dialog " << id << " \"" << text << "\"";
            EXPECT_LE(need.bottom, client.bottom) << "dialog " << id << " \"" << text << "\"";
        }
        EXPECT_EQ(int(ReadDialog(id).controls.size()), found);
        SelectObject(dc, oldFont);
        ReleaseDC(dlg, dc);
        DestroyWindow(dlg);
    }
}

} // namespace
