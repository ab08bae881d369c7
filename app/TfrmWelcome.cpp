#include "TfrmWelcome.h"

#include "settings/TConfig.h"
#include "ui/ImageLists.h"
#include "ui/WidgetParts.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kdx {

namespace {

QLabel* MakeLabel(const char* name, const QString& text, const QRect& place, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

QFont Arial(bool bold)
{
    QFont font("Arial");
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

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
    palTop->setFixedHeight(49);
    palTitle = MakePanel("palTitle", palTop);
    palTitle->setGeometry(0, 0, 397, 49);
    Label4 = MakeLabel("Label4", "Status", QRect(16, 16, 200, 22), palTitle);
    QFont heading = Label4->font();
    heading.setBold(true);
    heading.setPixelSize(19);
    Label4->setFont(heading);
    SetTextColour(Label4, Qt::red);
    palLine = MakePanel("palLine", palTitle);
    palLine->setGeometry(16, 40, 250, 1);
    SetBackgroundColour(palLine, Qt::red);
}

void TfrmWelcome::BuildCenter()
{
    palCenter = MakePanel("palCenter", this);
    palCenter->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    palCenter->setLineWidth(1);
    palCenter->setMidLineWidth(1);
    palCenter->installEventFilter(this);

    lsSituation = new QListWidget(palCenter);
    lsSituation->setObjectName("lsSituation");
    lsSituation->setGeometry(16, 16, 345, 166);
    lsSituation->setIconSize(Host().ImageList(ImageListId::RandomList).Size());
    lsSituation->viewport()->installEventFilter(this);

    lbeIntro = MakeLabel("lbeIntro", IntroText, QRect(376, 16, 159, 166), palCenter);
    lbeIntro->setWordWrap(true);
    lbeIntro->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TfrmWelcome::BuildBottom()
{
    palButtom = MakePanel("palButtom", this);
    palButtom->setFixedHeight(95);
    palButtom->installEventFilter(this);

    palIntro = MakePanel("palIntro", palButtom);
    palIntro->resize(493, 95);
    Label3 = MakeLabel("Label3", "Kaleidra Agent", QRect(130, 8, 124, 16), palIntro);
    Label3->setFont(Arial(true));
    Label1 = MakeLabel("Label1", "is a configuration application for Kaleidra", QRect(256, 8, 230, 16), palIntro);
    Label1->setFont(Arial(false));
    Label2 = MakeLabel("Label2", ProductText, QRect(144, 32, 337, 42), palIntro);
    Label2->setFont(Arial(false));
    Label2->setWordWrap(true);

    Image1 = new QLabel(palButtom);
    Image1->setObjectName("Image1");
    Image1->resize(97, 95);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(ProductPicture(QSize(88, 86)));
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

void TfrmWelcome::palCenterResize()
{
    lsSituation->resize(lsSituation->width(), palCenter->height() - 36);
    lbeIntro->resize(palCenter->width() - 390, lbeIntro->height());
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
    if (watched == palCenter && event->type() == QEvent::Resize)
        palCenterResize();
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
