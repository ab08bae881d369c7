#include "FontWarmUp.h"

#include <QByteArray>
#include <QtGlobal>

namespace kdx {

FontWarmUp::FontWarmUp() = default;

FontWarmUp::~FontWarmUp() = default;

void ChooseFontEngine()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

} // namespace kdx
