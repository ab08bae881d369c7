#pragma once
// What the tests of the registry entries share: a sandbox, registry reads and writes, and the
// text of the error an action raises.
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "support/Sandbox.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace kdx {

class SystemIntegration : public ::testing::Test {
protected:
    test::Sandbox box;

    platform::RegString Query(const char* key, const char* name)
    {
        auto k = platform::Current().registry->OpenKey(key);
        return k ? k->QueryString(name) : platform::RegString {};
    }
    void Store(const char* key, const char* name, const std::string& value)
    {
        ASSERT_TRUE(platform::Current().registry->CreateKey(key)->SetString(name, value));
    }
    std::string MessageOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const EKaleidraError& e) {
            return e.what();
        }
        return "(no error)";
    }
};

} // namespace kdx
