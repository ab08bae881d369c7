#include "TfrmAbout.h"

#include "hh.h"
#include "platform/Platform.h"
#include "ui/ImageLists.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace kdx {

namespace {

QFrame* MakeLine(const char* name, QFrame::Shape shape, const QRect& place, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(place);
    return line;
}

QLabel* MakeLabel(const char* name, const QString& text, const QRect& place, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmAbout");
    setWindowTitle(texts::AboutCaption);
    setFixedSize(434, 400);

    palMain = new QFrame(this);
    palMain->setObjectName("palMain");
    palMain->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    palMain->setGeometry(16, 16, 401, 345);

    Label1 = MakeLabel("Label1", texts::AboutVersion, QRect(16, 16, 300, 16), palMain);
    Image1 = MakeLabel("Image1", QString(), QRect(352, 16, 32, 32), palMain);
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    Bevel1 = MakeLine("Bevel1", QFrame::HLine, QRect(16, 40, 369, 2), palMain);
    Bevel2 = MakeLine("Bevel2", QFrame::VLine, QRect(115, 64, 2, 201), palMain);
    Image2 = MakeLabel("Image2", QString(), QRect(16, 176, 88, 86), palMain);
    Image2->setPixmap(ProductPicture(QSize(88, 86)));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->setToolTip(QString(texts::WebsiteHint) + texts::MakerWebsite);
    Image2->installEventFilter(this);
    Bevel3 = MakeLine("Bevel3", QFrame::HLine, QRect(16, 256, 369, 2), palMain);
    Label3 = MakeLabel("Label3", texts::LegalNotice, QRect(16, 280, 369, 52), palMain);
    Label3->setWordWrap(true);
    // The pictures overlap the lines under them; they are drawn over the lines.
    Image1->raise();
    Image2->raise();

    btOK = new QPushButton("&OK", this);
    btOK->setObjectName("btOK");
    btOK->setGeometry(328, 368, 75, 25);
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
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
