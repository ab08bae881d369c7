#pragma once
#include "TRandomListEditor.h"

class QLabel;

namespace kdx {

class PreviewLoader;

// What the picture and wallpaper lists share: the picture search rule, the fixed picture
// filter of the file dialog, and a preview under the search list of the entry or search hit
// last picked.
class TPictureListEditor : public TRandomListEditor {
public:
    // Shows the picture in the preview, stretched to fill it, once it is decoded off the window's
    // thread; a picture of a kind with no decoder raises at once, one that does not decode is
    // reported when its decoder gives up.
    void PreviewPicture(const std::string& path);
    // Whether a preview is still being decoded (for the dialog's pane too).
    bool PreviewPending() const;
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
    // A picked entry that cannot be previewed leaves the item commands off.
    void EntryPicked() override { ShowPreview(SelectedFile, true); }

private:
    // Makes dlgFile an open-picture dialog: a preview pane beside the files, and the filter the
    // user chose last in either picture panel.
    void BuildPictureDialog();
    void dlgFileCurrentChanged(const QString& path);
    void ShowPreview(const std::string& path, bool entry);

    PreviewLoader* previews_;
    PreviewLoader* dialogPreviews_;
};

// The traits the two picture lists have in common.
EditorTraits PictureTraits(const QString& title, const QString& listBoxName);

} // namespace kdx
