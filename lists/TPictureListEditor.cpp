#include "TPictureListEditor.h"

#include "PictureFile.h"
#include "PreviewLoader.h"
#include "TListBox.h"
#include "TSearchPane.h"
#include "shell/ReportErrors.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSplitter>
#include <QVBoxLayout>

namespace kdx {

EditorTraits PictureTraits(const QString& title, const QString& listBoxName)
{
    EditorTraits t;
    t.title = title;
    t.listBoxName = listBoxName;
    t.mask = "*.*";
    t.addFilesFilter = TPictureListEditor::PictureFilter;
    t.addFilesImage = 3;
    t.hintAddFiles = "Add the picture files manually";
    t.hintDelete = "Delete the selected file";
    t.hintReset = "Reset the picture randomlist settings";
    t.hintSave = "Save the current picture randomlist settings";
    t.hintSearch = "Search picture files in the selected folder";
    return t;
}

TPictureListEditor::TPictureListEditor(IPanelHost& host, QWidget* parent, EditorTraits traits)
    : TRandomListEditor(host, parent, std::move(traits)),
      previews_(new PreviewLoader(this)),
      dialogPreviews_(new PreviewLoader(this))
{
    // The search list and the preview share the space below the folder row, split by a bar
    // the user can move.
    TListBox* lsSearch = palSearch->lsSearch;
    auto* split = new QSplitter(Qt::Vertical, palSearch);
    split->setHandleWidth(4);
    split->setChildrenCollapsible(false);
    const int at = palSearch->searchLayout->indexOf(lsSearch);
    palSearch->searchLayout->removeWidget(lsSearch);
    split->addWidget(lsSearch);
    palPreview = new QFrame(split);
    palPreview->setObjectName("palPreview");
    auto* previewLayout = new QHBoxLayout(palPreview);
    previewLayout->setContentsMargins(60, 0, 60, 0);
    imgPreview = new QLabel(palPreview);
    imgPreview->setObjectName("imgPreview");
    imgPreview->setScaledContents(true);
    imgPreview->setMinimumSize(1, 1);
    previewLayout->addWidget(imgPreview);
    split->addWidget(palPreview);
    split->setSizes({200, 91});
    palSearch->searchLayout->insertWidget(at, split, 1);
    lsSearch->onCurrentRowChanged = [this](int row) { lsSearchClick(row); };
    BuildPictureDialog();
}

namespace {

// The side of the dialog's preview pane, in pixels.
constexpr int DialogPreviewSide = 180;

// The filter last chosen in a picture panel's Add Files dialog, for the next one of this run.
QString& LastPictureFilter()
{
    static QString filter;
    return filter;
}

} // namespace

void TPictureListEditor::BuildPictureDialog()
{
    imgDialogPreview = new QLabel(dlgFile);
    imgDialogPreview->setObjectName("imgDialogPreview");
    imgDialogPreview->setFixedSize(DialogPreviewSide, DialogPreviewSide);
    imgDialogPreview->setAlignment(Qt::AlignCenter);
    imgDialogPreview->setWordWrap(true);
    imgDialogPreview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(dlgFile->layout()))
        grid->addWidget(imgDialogPreview, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    connect(dlgFile, &QFileDialog::currentChanged, this, &TPictureListEditor::dlgFileCurrentChanged);
    if (!LastPictureFilter().isEmpty())
        dlgFile->selectNameFilter(LastPictureFilter());
    connect(dlgFile, &QFileDialog::filterSelected, this, [](const QString& filter) { LastPictureFilter() = filter; });
}

void TPictureListEditor::dlgFileCurrentChanged(const QString& path)
{
    imgDialogPreview->clear();
    imgDialogPreview->setToolTip(QString());
    const std::string name = path.toStdString();
    dialogPreviews_->Drop();
    if (!IsPictureName(name) || !QFileInfo(path).isFile())
        return;
    // Browsing goes on past a picture that does not decode: the pane says why instead.
    dialogPreviews_->Load(
        name,
        [this](const QImage& picture) {
            imgDialogPreview->setPixmap(QPixmap::fromImage(
                picture.scaled(imgDialogPreview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
            imgDialogPreview->setToolTip(QString("%1 x %2").arg(picture.width()).arg(picture.height()));
        },
        [this](const std::string& error) { imgDialogPreview->setText(QString::fromStdString(error)); });
}

bool TPictureListEditor::IsHit(const std::string&, const std::string& name) { return IsPictureName(name); }

void TPictureListEditor::PreviewPicture(const std::string& path) { ShowPreview(path, false); }

bool TPictureListEditor::PreviewPending() const { return previews_->Busy() || dialogPreviews_->Busy(); }

void TPictureListEditor::ShowPreview(const std::string& path, bool entry)
{
    previews_->Drop();
    CheckPictureName(path);
    previews_->Load(
        path, [this](const QImage& picture) { imgPreview->setPixmap(QPixmap::fromImage(picture)); },
        [this, entry](const std::string& error) {
            // The previous preview stays; a picked entry that does not show leaves the commands off.
            if (entry)
                EnableItemCommands(false);
            ReportError(error);
        });
}

void TPictureListEditor::lsSearchClick(int row)
{
    const std::vector<std::string>& found = palSearch->FoundFiles;
    if (row >= 0 && row < int(found.size()))
        PreviewPicture(found[size_t(row)]);
}

} // namespace kdx
