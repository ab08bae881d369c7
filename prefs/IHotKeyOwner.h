#pragma once
#include <string>

namespace kdx {

// What the preference dialog changes on the main window: the letters of its two hot keys and
// their registration.
class IHotKeyOwner {
public:
    virtual ~IHotKeyOwner() = default;
    // True registers each hot key whose letter is set; false releases both.
    virtual void SetHotKeys(bool active) = 0;
    virtual void SetActivateKey(const std::string& key) = 0;
    virtual void SetExecuteKey(const std::string& key) = 0;
};

} // namespace kdx
