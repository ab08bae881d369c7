#pragma once
#include "TRandomListEditor.h"

class QLabel;

namespace kdx {

// What the picture and wallpaper lists share: the picture search rule, the fixed picture
// filter of the file dialog, and a preview under the search list of the entry or search hit
// last picked.
class TPictureListEditor : public TRandomListEditor {
public:
    // Shows the picture in the preview, stretched to fill it.
    void PreviewPicture(const std::string& path);
    void lsSearchClick(int row);

    QFrame* palPreview;
    QLabel* imgPreview;
    // The Add Files dialog's pane that previews the picture chosen in it.
    QLabel* imgDialogPreview;

    static constexpr const char* PictureFilter = "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|Bitmaps (*.bmp)|*.bmp|"
                                                 "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg";

protected:
    TPictureListEditor(IPanelHost& host, QWidget* parent, EditorTraits traits);

    bool IsHit(const std::string& folder, const std::string& name) override;
    void EntryPicked() override { PreviewPicture(SelectedFile); }

private:
    // Makes dlgFile an open-picture dialog: a preview pane beside the files, and the filter the
    // user chose last in either picture panel.
    void BuildPictureDialog();
    void dlgFileCurrentChanged(const QString& path);
};

// The traits the two picture lists have in common.
EditorTraits PictureTraits(const QString& title, const QString& listBoxName);

} // namespace kdx
