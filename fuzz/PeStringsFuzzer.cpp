// Any bytes as a screensaver file: the reader gives a string or nothing, within the bytes.
#include "platform/posix/files/PeStrings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kdx::platform::posix;
    // The first bytes choose the string and the user's language; the rest is the file.
    unsigned id = 1;
    LangId user = 0;
    if (size >= 4) {
        id = data[0] | unsigned(data[1]) << 8;
        user = LangId(data[2] | data[3] << 8);
    }
    const std::string text = PeStringResource(data, size, id, user);
    if (text.size() > 255 * 3)
        __builtin_trap(); // 255 UTF-16 units never make more UTF-8 bytes than this
    PeStringResource(data, size, 1, 0x0409);
    return 0;
}
