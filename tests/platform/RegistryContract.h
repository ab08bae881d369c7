#pragma once
// What the agent relies on from every registry backend, run against each: the Linux stand-in
// (platform/posix) and the Windows registry under Wine (platform/win32). A backend's test names
// its store, a type with a `registry` and a key `path` of the test's own, and instantiates:
//     INSTANTIATE_TYPED_TEST_SUITE_P(Backend, RegistryContract, Store);
#include "platform/AsciiCase.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <string>

// In the global namespace, where each backend's test instantiates it.
template <typename Store> class RegistryContract : public ::testing::Test {
protected:
    Store store;
};

TYPED_TEST_SUITE_P(RegistryContract);

// Screensaver values keep their quotation marks and blanks, and any byte.
TYPED_TEST_P(RegistryContract, StringsRoundTripByteForByte)
{
    auto& registry = this->store.registry;
    const std::string& path = this->store.path;
    EXPECT_FALSE(registry.OpenKey(path)) << "opening does not create";
    auto key = registry.CreateKey(path);
    ASSERT_TRUE(key);
    const std::string odd[] = {"\"KDXSaver.SCR\"", "\"\"", "  blanks  ", "C:\\Prog\\", "a=b[c]", "tab\tline\nend",
        std::string("\x01\x7f\xe9", 3), ""};
    for (const std::string& value : odd) {
        ASSERT_TRUE(key->SetString("SCRNSAVE.EXE", value));
        const auto reopened = registry.OpenKey(kdx::LowerAscii(path));
        ASSERT_TRUE(reopened) << "key paths match without regard to case";
        const kdx::platform::RegString read = reopened->QueryString("scrnsave.exe");
        EXPECT_EQ(read.status, kdx::platform::RegRead::Ok);
        EXPECT_EQ(read.value, value);
    }
}

TYPED_TEST_P(RegistryContract, ValuesAreTestedAndDeleted)
{
    auto key = this->store.registry.CreateKey(this->store.path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->QueryString("v").status, kdx::platform::RegRead::Absent);
    EXPECT_FALSE(key->ValueExists("v"));
    ASSERT_TRUE(key->SetString("v", "1"));
    EXPECT_TRUE(key->ValueExists("V")) << "value names match without regard to case";
    EXPECT_TRUE(key->DeleteValue("v"));
    EXPECT_FALSE(key->ValueExists("v"));
    EXPECT_FALSE(key->DeleteValue("v")) << "deleting an absent value fails";
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, StringsRoundTripByteForByte, ValuesAreTestedAndDeleted);
