#include "TfrmWelcome.h"

#include "settings/TConfig.h"
#include "ui/ImageLists.h"
#include "ui/WidgetParts.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kdx {

namespace {

QFont Arial(bool bold)
{
    QFont font("Arial");
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

// The product picture's place at the right end of the bottom strip.
constexpr int ProductPictureWidth = 97;

// The lines of the screensaver's kinds, the wallpaper rotation and the automatic save.
constexpr int FixedLines = 5;

bool Holds(const TStrings& list, const char* entry) { return std::find(list.begin(), list.end(), entry) != list.end(); }

const char* IntroText = "This is Kaleidra status.\n\n"
                        "You can read the [RandomType] of screensaver and other basic settings of Kaleidra.\n\n"
                        "Use the left config panel to edit random list, click F2 to edit the preference of Kaleidra.";
const char* ProductText = "Kaleidra Deluxe V3.00 supports to randomly run screensaver, randomly run flash in "
                          "screensaver, randomly show pictures in screensaver, randomly desktop wallpapers.";

} // namespace

TfrmWelcome::TfrmWelcome(IPanelHost& host, QWidget* parent) : TPanel(host, parent)
{
    setObjectName("frmWelcome");
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    BuildTop();
    BuildCenter();
    BuildBottom();
    rows->addWidget(palTop);
    rows->addWidget(palCenter, 1);
    rows->addWidget(palButtom);
    FormCreate();
}

void TfrmWelcome::BuildTop()
{
    palTop = MakePanel("palTop", this);
    palTop->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* top = new QHBoxLayout(palTop);
    top->setContentsMargins(0, 0, 0, 0);
    top->addStrut(49); // the design's height, or the heading's where it needs more
    palTitle = MakePanel("palTitle", palTop);
    top->addWidget(palTitle);
    top->addStretch();
    Label4 = new QLabel("Status", palTitle);
    Label4->setObjectName("Label4");
    QFont heading = Label4->font();
    heading.setBold(true);
    heading.setPixelSize(19);
    Label4->setFont(heading);
    SetTextColour(Label4, Qt::red);
    palLine = MakePanel("palLine", palTitle);
    palLine->setFixedSize(250, 1);
    SetBackgroundColour(palLine, Qt::red);
    // The heading as tall as its face needs, the red line just under it.
    auto* title = new QVBoxLayout(palTitle);
    title->setContentsMargins(16, 16, 0, 8);
    title->setSpacing(1);
    title->addWidget(Label4);
    title->addWidget(palLine);
    palTitle->setMinimumWidth(397);
}

void TfrmWelcome::BuildCenter()
{
    palCenter = MakePanel("palCenter", this);
    palCenter->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    palCenter->setLineWidth(1);
    palCenter->setMidLineWidth(1);

    lsSituation = new QListWidget(palCenter);
    lsSituation->setObjectName("lsSituation");
    lsSituation->setFixedWidth(345);
    lsSituation->setIconSize(Host().ImageList(ImageListId::RandomList).Size());
    lsSituation->viewport()->installEventFilter(this);

    lbeIntro = new QLabel(IntroText, palCenter);
    lbeIntro->setObjectName("lbeIntro");
    lbeIntro->setWordWrap(true);
    lbeIntro->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbeIntro->installEventFilter(this);

    // The list fills the height; the introduction takes the width beside it.
    auto* columns = new QHBoxLayout(palCenter);
    const int frame = palCenter->frameWidth();
    columns->setContentsMargins(16 - frame, 16 - frame, 14 - frame, 20 - frame);
    columns->setSpacing(15);
    columns->addWidget(lsSituation);
    columns->addWidget(lbeIntro, 1);
}

void TfrmWelcome::BuildBottom()
{
    palButtom = MakePanel("palButtom", this);
    palButtom->installEventFilter(this);

    palIntro = MakePanel("palIntro", palButtom);
    Label3 = new QLabel("Kaleidra Agent", palIntro);
    Label3->setObjectName("Label3");
    Label3->setFont(Arial(true));
    Label1 = new QLabel("is a configuration application for Kaleidra", palIntro);
    Label1->setObjectName("Label1");
    Label1->setFont(Arial(false));
    Label2 = new QLabel(ProductText, palIntro);
    Label2->setObjectName("Label2");
    Label2->setFont(Arial(false));
    Label2->setWordWrap(true);
    PlaceIntroduction();

    Image1 = new QLabel(palButtom);
    Image1->setObjectName("Image1");
    Image1->resize(ProductPictureWidth, 95);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(ProductPicture(QSize(88, 86)));
}

void TfrmWelcome::PlaceIntroduction()
{
    // The places are the design's; a face that needs more room than it gave pushes the lines
    // that follow right and down, and the panel grows with them.
    const int line = std::max(LabelHeight(*Label3, 124, 16), LabelHeight(*Label1, 230, 16));
    Label3->setGeometry(130, 8, std::max(124, Label3->sizeHint().width()), line);
    Label1->setGeometry(Label3->geometry().right() + 3, 8, std::max(230, Label1->sizeHint().width()), line);
    const int below = 8 + line + 8;
    Label2->setGeometry(144, below, 337, LabelHeight(*Label2, 337, 42));
    palIntro->resize(std::max(493, Label1->geometry().right() + 8), std::max(95, Label2->geometry().bottom() + 22));
    palButtom->setFixedHeight(palIntro->height());
    // Narrowed, the panel cuts the introduction off on its left, up to its first text.
    palButtom->setMinimumWidth(palIntro->width() - Label3->x() + ProductPictureWidth);
}

void TfrmWelcome::palButtomResize()
{
    // Both keep to the right end; a narrow work area cuts the introduction off on its left.
    Image1->move(palButtom->width() - Image1->width(), 0);
    palIntro->move(Image1->x() - palIntro->width(), 0);
}

void TfrmWelcome::FormCreate()
{
    TConfig config;
    TMisc misc;
    config.LoadMisc(misc);
    AddLine(Holds(misc.RandomWhat, "0"), texts::SaverOn, texts::SaverOff);
    AddLine(Holds(misc.RandomWhat, "1"), texts::FlashOn, texts::FlashOff);
    AddLine(Holds(misc.RandomWhat, "2"), texts::PictureOn, texts::PictureOff);
    AddLine(config.ReadFlag("Wallpaper", "Activate"), texts::WallpaperOn, texts::WallpaperOff);
    AddLine(misc.AutoSave, texts::AutoSaveOn, texts::AutoSaveOff);
    config.ReleaseFile();
    AddMonitorLines();
}

void TfrmWelcome::AddMonitorLines()
{
    const TImageList& images = Host().ImageList(ImageListId::RandomList);
    for (const TMonitorStatus& status : Host().MonitorWallpapers()) {
        const std::size_t slash = status.picture.find_last_of("/\\");
        QString text = QString("%1 %2 x %3: %4")
                           .arg(QString::fromStdString(status.monitor))
                           .arg(status.width)
                           .arg(status.height)
                           .arg(QString::fromStdString(
                               slash == std::string::npos ? status.picture : status.picture.substr(slash + 1)));
        if (!status.shown)
            text += QString(" (") + texts::MonitorNotShown + QString::fromStdString(status.detail) + ")";
        auto* line = new QListWidgetItem(images.Icon(status.shown ? images::Tick : images::ThickCross), text);
        line->setData(Qt::UserRole, status.shown);
        line->setToolTip(QString::fromStdString(status.picture + "\n" + status.detail));
        lsSituation->addItem(line);
    }
    // A reason can be long: it wraps rather than running out of sight.
    lsSituation->setWordWrap(lsSituation->count() > FixedLines);
}

void TfrmWelcome::MonitorWallpapersChanged()
{
    while (lsSituation->count() > FixedLines)
        delete lsSituation->takeItem(FixedLines);
    AddMonitorLines();
}

void TfrmWelcome::AddLine(bool on, const char* onText, const char* offText)
{
    const TImageList& images = Host().ImageList(ImageListId::RandomList);
    auto* line = new QListWidgetItem(images.Icon(on ? images::Tick : images::ThickCross), on ? onText : offText);
    line->setData(Qt::UserRole, on);
    lsSituation->addItem(line);
}

void TfrmWelcome::lbeIntroResize()
{
    // A word-wrapped text needs its height at the width it has: the window grows rather than
    // cut the text off.
    lbeIntro->setMinimumHeight(lbeIntro->heightForWidth(lbeIntro->width()));
}

bool TfrmWelcome::lsSituationMouseDown(Qt::MouseButton button, const QPoint& pos)
{
    if (button != Qt::RightButton)
        return false;
    lsSituation->clearSelection();
    const int row = lsSituation->indexAt(pos).row();
    if (row >= 0)
        lsSituation->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    return true;
}

bool TfrmWelcome::eventFilter(QObject* watched, QEvent* event)
{
    if (!Image1) // still being built
        return TPanel::eventFilter(watched, event);
    if (watched == lbeIntro && event->type() == QEvent::Resize)
        lbeIntroResize();
    if (watched == palButtom && event->type() == QEvent::Resize)
        palButtomResize();
    if (watched == lsSituation->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (lsSituationMouseDown(mouse->button(), mouse->position().toPoint()))
            return true;
    }
    return TPanel::eventFilter(watched, event);
}

} // namespace kdx
