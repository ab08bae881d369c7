#include "TDropDownList.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace kdx {

void TDropDownList::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed || view()->isVisible()) {
        QComboBox::keyPressEvent(event);
        return;
    }
    showPopup();
    view()->keyboardSearch(text);
}

} // namespace kdx
