#pragma once
#include "ui/PanelHost.h"

namespace kdx {

// The panels this build docks, by index.
TPanelCatalog StandardPanels();

} // namespace kdx
