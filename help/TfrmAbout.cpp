#include "TfrmAbout.h"

#include "hh.h"
#include "platform/Platform.h"
#include "ui/ImageLists.h"
#include "ui/WidgetParts.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>

namespace kdx {

namespace {

QFrame* MakeLine(const char* name, QFrame::Shape shape, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAbout");
    setWindowTitle(texts::AboutCaption);

    palMain = new QFrame(this);
    palMain->setObjectName("palMain");
    palMain->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Label1 = MakeLabel("Label1", texts::AboutVersion, palMain);
    Image1 = MakeLabel("Image1", QString(), palMain);
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    Bevel1 = MakeLine("Bevel1", QFrame::HLine, palMain);
    Bevel2 = MakeLine("Bevel2", QFrame::VLine, palMain);
    Image2 = MakeLabel("Image2", QString(), palMain);
    Image2->setPixmap(ProductPicture(QSize(88, 86)));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->setToolTip(QString(texts::WebsiteHint) + texts::MakerWebsite);
    Image2->installEventFilter(this);
    Bevel3 = MakeLine("Bevel3", QFrame::HLine, palMain);
    Label3 = MakeLabel("Label3", texts::LegalNotice, palMain);
    Label3->setWordWrap(true);
    // The pictures overlap the lines under them; they are drawn over the lines.
    Image1->raise();
    Image2->raise();

    btOK = new QPushButton("&OK", this);
    btOK->setObjectName("btOK");
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    Place();
}

void TfrmAbout::Place()
{
    // The design's places, for its face; a face that needs more room for the version or the
    // notice moves what is below them down, and the box grows with them.
    const int title = LabelHeight(*Label1, 300, 16);
    const int notice = LabelHeight(*Label3, 369, 52);
    const int down = title - 16;
    Label1->setGeometry(16, 16, 300, title);
    Image1->setGeometry(352, 16, 32, 32);
    Bevel1->setGeometry(16, 40 + down, 369, 2);
    Bevel2->setGeometry(115, 64 + down, 2, 201);
    Image2->setGeometry(16, 176 + down, 88, 86);
    Bevel3->setGeometry(16, 256 + down, 369, 2);
    Label3->setGeometry(16, 280 + down, 369, notice);
    palMain->setGeometry(16, 16, 401, Label3->geometry().bottom() + 14);
    btOK->setGeometry(328, palMain->geometry().bottom() + 8, 75, std::max(25, btOK->sizeHint().height()));
    setFixedSize(434, btOK->geometry().bottom() + 8);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image2 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image2Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::Image2Click() { platform::Current().shell->Execute("open", texts::MakerWebsite, ""); }

} // namespace kdx
