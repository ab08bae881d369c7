#include "Panels.h"

#include "TfrmWelcome.h"

namespace kdx {

TPanelCatalog StandardPanels()
{
    TPanelCatalog panels;
    panels[StatusPanel] = MakePanelFactory<TfrmWelcome>();
    return panels;
}

} // namespace kdx
