#include "Panels.h"

#include "TfrmWelcome.h"
#include "lists/TfrmFlash.h"
#include "lists/TfrmPicture.h"
#include "lists/TfrmSaver.h"
#include "lists/TfrmWallpaper.h"

namespace kdx {

TPanelCatalog StandardPanels()
{
    TPanelCatalog panels;
    panels[StatusPanel] = MakePanelFactory<TfrmWelcome>();
    panels[SaverPanel] = MakePanelFactory<TfrmSaver>();
    panels[FlashPanel] = MakePanelFactory<TfrmFlash>();
    panels[PicturePanel] = MakePanelFactory<TfrmPicture>();
    panels[WallpaperPanel] = MakePanelFactory<TfrmWallpaper>();
    return panels;
}

} // namespace kdx
