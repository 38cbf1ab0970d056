// The application manifest at work: this test program carries the program's resources,
// manifest included, so the loader treats it as it treats Vantrel.exe.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

// Common controls 6 are what the manifest asks for. Their version number cannot tell them
// apart (Wine's report 5.81 either way), their behaviour can: only their buttons, which
// replace the system's own when the manifest is active, answer BCM_GETIDEALSIZE.
TEST(Manifest, ControlsComeFromCommonControlsSix) {
    InitCommonControls();
    HWND hButton = CreateWindowA("Button", "Kill Gently", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 20,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hButton);
    SIZE ideal = {};
    const LRESULT answered =
        SendMessageA(hButton, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    DestroyWindow(hButton);
    EXPECT_NE(0, answered) << "the system's own buttons: the manifest is not in effect";
    EXPECT_GT(ideal.cx, 0);
}

TEST(Manifest, TheProcessIsAwareOfTheSystemDpi) {
    typedef BOOL(WINAPI * PFN_IS_DPI_AWARE)();
    auto isAware = reinterpret_cast<PFN_IS_DPI_AWARE>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "IsProcessDPIAware")));
    if (!isAware) GTEST_SKIP() << "this system has no IsProcessDPIAware (before Vista)";
    EXPECT_TRUE(isAware());
}

} // namespace
