// Containers made by OpenSSL (the make-openssl-containers.sh fixture) load through Load to the
// same text as the plain ".ini" form of the same description.
#include <gtest/gtest.h>

#include "description/IniParser.h"
#include "tests/description/DescriptionTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace testing_support;
using namespace description_testing;

namespace {

// The fixture writes its containers into "openssl-containers" beside this test program.
CString OpenSslFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    CString program(buffer);
    return program.Left(program.ReverseFind(L'\\') + 1) + L"openssl-containers";
}

const std::vector<std::wstring> kTags = {L"Download Initial Setup", L"Files to download", L"Download Sites",
                                         L"Product", L"Target", L"User Info Filename", L"Program to run", L"End"};

}  // namespace

TEST(OpenSslContainers, LoadLikeThePlainDescription) {
    CString containers = OpenSslFolder();
    MessageBoxRecorder boxes;
    for (const wchar_t* name : {L"sample-ansi", L"sample-utf16"}) {
        CIniParser plain;
        ASSERT_TRUE(plain.Load(TestDataFolder() + L"\\description\\" + name + L".ini")) << Narrow(name);
        for (const wchar_t* suffix : {L".eif", L"-odd.eif"}) {
            CString container = containers + L"\\" + name + suffix;
            CIniParser encrypted;
            ASSERT_TRUE(encrypted.Load(container)) << Narrow(container);
            EXPECT_EQ(Snapshot(plain, kTags), Snapshot(encrypted, kTags)) << Narrow(container);
        }
        EXPECT_EQ(plain.GetValue(L"Files to download", 2), CString(L"data/extra.cab -> Data\\Extra Files\\extra.cab"));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}
