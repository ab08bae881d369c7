// The registry functions as the agent uses them, in a key of the test's own.
#include "platform/RegistryContract.h"
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>
#include <random>
#include <windows.h>

using namespace kdx::platform;

namespace {

// A key of the test's own, deleted with its values.
struct WindowsStore {
    std::string path = "Software\\Kaleidra Agent Tests\\" + std::to_string(std::random_device()());
    win32::Win32Registry registry;
    ~WindowsStore() { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, RegistryContract, WindowsStore);

class Registry : public ::testing::Test, protected WindowsStore {
protected:
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(Registry, StringsAreStoredWithTheirTerminatingZero)
{
    auto key = registry.CreateKey(path);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString("SCRNSAVE.EXE", "\"\""));
    DWORD size = 0;
    RegGetValueA(HKEY_CURRENT_USER, path.c_str(), "SCRNSAVE.EXE", RRF_RT_ANY, nullptr, nullptr, &size);
    EXPECT_EQ(size, 3u) << "two quotation marks and the zero";
}

TEST_F(Registry, OtherTypesAndUnterminatedStrings)
{
    const DWORD one = 1;
    SetRaw("dw", REG_DWORD, &one, sizeof one);
    SetRaw("raw", REG_SZ, "abc", 3); // no terminating zero
    SetRaw("expand", REG_EXPAND_SZ, "%TEMP%", 7);
    auto key = registry.OpenKey(path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->QueryString("dw").status, RegRead::WrongType);
    EXPECT_EQ(key->QueryString("raw").value, "abc");
    EXPECT_EQ(key->QueryString("expand").value, "%TEMP%") << "read as stored, not expanded";
}

} // namespace
