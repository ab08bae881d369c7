#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace kdx {

FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) { }

FontWarmUp::~FontWarmUp() { thread_.join(); }

void ChooseFontEngine() { }

} // namespace kdx
