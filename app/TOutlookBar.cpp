#include "TOutlookBar.h"

#include <QEvent>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace kdx {

namespace {

constexpr int PageButtonHeight = 20;

// The design's height, or more where the style's margins and the face leave the caption no room.
int PageButtonHeightFor(const QPushButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = QRect(0, 0, button.width(), PageButtonHeight);
    const QRect room = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    return std::max(PageButtonHeight, PageButtonHeight - room.height() + button.fontMetrics().height());
}

// Lights the item under the pointer with a rounded patch of the mid colour.
class HoverDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (option.state & QStyle::State_MouseOver) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(option.palette.mid());
            painter->drawRoundedRect(option.rect, 3, 3);
            painter->restore();
        }
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_MouseOver;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

QListWidget* MakeItemList(const QString& name, int spacing, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setViewMode(QListView::IconMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(false);
    list->setMovement(QListView::Static);
    list->setIconSize(QSize(32, 32));
    list->setSpacing(spacing / 2);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setMouseTracking(true); // lights the item under the pointer
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setWordWrap(true);
    // Colours set through the palette: a style sheet would cost every start a style of its own.
    QPalette colours = list->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Dark));
    colours.setColor(QPalette::Text, Qt::white);
    list->setPalette(colours);
    list->setItemDelegate(new HoverDelegate(list));
    return list;
}

} // namespace

TOutlookBar::TOutlookBar(const TImageList& images, QWidget* parent) : QFrame(parent), images_(images)
{
    setFrameShape(QFrame::Box); // the single border
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(1, 1, 1, 1);
    layout_->setSpacing(0);
}

int TOutlookBar::AddPage(const QString& buttonName, const QString& caption, const QString& listName, int spacing)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(buttonName);
    button->setFixedHeight(PageButtonHeightFor(*button));
    button->setFocusPolicy(Qt::NoFocus);
    auto* list = MakeItemList(listName, spacing, this);
    const int page = int(pages_.size());
    // The open page's list takes the free room, which keeps the later page buttons at the bottom.
    layout_->addWidget(button);
    layout_->addWidget(list, 1);
    pages_.push_back({button, list});
    list->viewport()->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, page] { SetActivePage(page); });
    connect(list, &QListWidget::itemClicked, this,
        [this, page, list](QListWidgetItem* item) { emit ItemClicked(page, list->row(item)); });
    SetActivePage(active_ < 0 ? page : active_);
    return page;
}

void TOutlookBar::AddItem(int page, const QString& caption, int image)
{
    auto* item = new QListWidgetItem(images_.Icon(image), caption, pages_.at(size_t(page)).list);
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    item->setForeground(Qt::white);
}

bool TOutlookBar::eventFilter(QObject* watched, QEvent* event)
{
    // Each item takes a whole row of the bar, so it stands centred under its neighbours.
    auto* list = qobject_cast<QListWidget*>(watched->parent());
    if (event->type() == QEvent::Resize && list && list->viewport() == watched) {
        const QSize size(
            list->viewport()->width() - 2 * list->spacing(), list->iconSize().height() + 2 * fontMetrics().height());
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSizeHint(size);
    }
    return QFrame::eventFilter(watched, event);
}

void TOutlookBar::SetActivePage(int page)
{
    if (page < 0 || page >= int(pages_.size()))
        return;
    active_ = page;
    for (int i = 0; i < int(pages_.size()); ++i)
        pages_[size_t(i)].list->setVisible(i == page);
}

} // namespace kdx
