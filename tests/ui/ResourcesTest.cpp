// The program's resources as Windows sees them (this test program embeds res/Setup.rc):
// the version information, the banner's custom type, the icon and the manifest's effect.
// The bytes of each resource are checked on the shipped file by tests/static/check_resources.py.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "ui/resource.h"

using testing_support::Narrow;

namespace {

// A copy of the version resource, which VerQueryValueW may write into.
std::vector<BYTE> VersionBlock() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(nullptr, found));
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR names) {
    if (!IS_INTRESOURCE(type)) reinterpret_cast<std::vector<std::string>*>(names)->push_back(Narrow(type));
    return TRUE;
}

}  // namespace

TEST(Resources, VersionNamesTheProgram) {
    std::vector<BYTE> block = VersionBlock();
    ASSERT_FALSE(block.empty());
    struct Case {
        const wchar_t* key;
        const char* value;
    } cases[] = {
        {L"FileDescription", "Setup"}, {L"InternalName", "Setup"},       {L"ProductName", "Setup"},
        {L"OriginalFilename", "Setup.exe"}, {L"FileVersion", "1.0.0.1"}, {L"ProductVersion", "1.0.0.1"},
    };
    for (const Case& c : cases) {
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + c.key;
        void* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &length)) << Narrow(c.key);
        EXPECT_EQ(Narrow(static_cast<const wchar_t*>(value)), c.value) << Narrow(c.key);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
}

TEST(Resources, BannerTypeIsStoredUpperCaseAndFoundInAnyCase) {
    std::vector<std::string> types;
    EnumResourceTypesW(nullptr, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ(types, std::vector<std::string>{"IMAGEJPG"});
    for (const wchar_t* type : {L"ImageJPG", L"imagejpg"}) {
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_BANNER_JPEG), type), nullptr) << Narrow(type);
    }
}

TEST(Resources, IconLoadsInEverySize) {
    for (int size : {16, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, ManifestSelectsCommonControlsSix) {
    // The manifest's dependency makes the loader take comctl32 from the side-by-side store
    // of the common controls 6 assembly instead of the system folder.
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    CString loaded(path);
    loaded.MakeLower();
    EXPECT_GE(loaded.Find(L"\\winsxs\\"), 0) << Narrow(path);
    EXPECT_GE(loaded.Find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), 0) << Narrow(path);
}
