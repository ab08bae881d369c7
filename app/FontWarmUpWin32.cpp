#include "FontWarmUp.h"

namespace kdx {

FontWarmUp::FontWarmUp() = default;

FontWarmUp::~FontWarmUp() = default;

} // namespace kdx
