// Every text of the agent's windows fits the widget that shows it and is not cut off by the
// widgets around it, at the scale this run was started with (QT_SCALE_FACTOR, one CTest entry a
// scale) and with the fonts of the system it runs on: labels, buttons, check boxes and drop-down
// lists of the main window with each of its panels, the preference dialog and the about box.
#include "AppTestSupport.h"
#include "app/Panels.h"
#include "app/TfrmMain.h"
#include "help/TfrmAbout.h"
#include "prefs/TfrmMisc.h"
#include "support/Sandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace kdx::test {
namespace {

constexpr int Unbounded = 100000;

// Where a text is drawn and where it has room, in the widget's own coordinates.
struct TextPlace {
    QRect text;
    QRect room;
};

QString WidgetPath(const QWidget* widget)
{
    QStringList names;
    for (const QWidget* w = widget; w; w = w->parentWidget())
        names.prepend(w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName());
    return names.join('/');
}

// A caption as drawn: the mnemonic marks go, a doubled one stays as one.
QString Drawn(QString caption) { return caption.replace("&&", "\x01").remove('&').replace('\x01', '&'); }

TextPlace LabelPlace(const QLabel& label)
{
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    const QFontMetrics metrics = label.fontMetrics();
    QSize need;
    if (Qt::mightBeRichText(label.text()) && label.textFormat() != Qt::PlainText) {
        QTextDocument document;
        document.setDefaultFont(label.font());
        document.setDocumentMargin(0);
        document.setHtml(label.text());
        document.setTextWidth(label.wordWrap() ? room.width() : -1);
        need = document.size().toSize();
    } else {
        // Measured from the top left, in a rectangle far larger than any window (a size near
        // INT_MAX overflows the fixed-point layout and measures wrong).
        const int wrap = label.wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect bounds(0, 0, label.wordWrap() ? room.width() : Unbounded, Unbounded);
        need = metrics.boundingRect(bounds, wrap | Qt::AlignLeft | Qt::AlignTop, Drawn(label.text())).size();
    }
    return {QStyle::alignedRect(label.layoutDirection(), label.alignment(), need, room), room};
}

// The text beside a button's icon (or under it, on a tool button that says so).
TextPlace ButtonPlace(const QAbstractButton& button)
{
    const QFontMetrics metrics = button.fontMetrics();
    const QString text = Drawn(button.text());
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    QRect room = button.rect();
    if (qobject_cast<const QCheckBox*>(&button))
        room = button.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &button);
    else if (qobject_cast<const QRadioButton*>(&button))
        room = button.style()->subElementRect(QStyle::SE_RadioButtonContents, &option, &button);
    else if (qobject_cast<const QPushButton*>(&button))
        room = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    QSize need(metrics.horizontalAdvance(text), metrics.height());
    const auto* tool = qobject_cast<const QToolButton*>(&button);
    if (tool && tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon) {
        // The icon takes the top; the text goes below it.
        room.setTop(room.top() + tool->iconSize().height());
    } else if (!button.icon().isNull() && !tool) {
        need.rwidth() += button.iconSize().width() + 4;
    }
    return {QStyle::alignedRect(button.layoutDirection(), Qt::AlignCenter, need, room), room};
}

// The drop-down list's field, with its widest item in it: any item can be the chosen one.
TextPlace ComboPlace(const QComboBox& box)
{
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.editable = box.isEditable();
    option.frame = box.hasFrame();
    const QRect room = box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    int widest = 0;
    for (int i = 0; i < box.count(); ++i)
        widest = std::max(widest, box.fontMetrics().horizontalAdvance(box.itemText(i)));
    const QSize need(widest, box.fontMetrics().height());
    return {QStyle::alignedRect(box.layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter, need, room), room};
}

// The widgets whose text does not fit, or is cut off by a parent or a sibling.
QStringList Clipped(const QWidget& window)
{
    QStringList found;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(const_cast<QWidget*>(&window));
    for (QWidget* widget : widgets) {
        if (!widget->isVisible())
            continue;
        TextPlace place;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty())
                continue;
            text = label->text();
            place = LabelPlace(*label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const auto* tool = qobject_cast<const QToolButton*>(button);
            if (button->text().isEmpty() || (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly))
                continue;
            text = button->text();
            place = ButtonPlace(*button);
        } else if (auto* box = qobject_cast<QComboBox*>(widget); box && !box->isEditable() && box->count() > 0) {
            text = box->itemText(0);
            place = ComboPlace(*box);
        } else {
            continue;
        }
        const bool fits = place.room.contains(place.text);
        const bool shown = (QRegion(place.text) - widget->visibleRegion()).isEmpty();
        if (!fits || !shown)
            found << QString("%1 \"%2\": needs %3 x %4 at %5,%6, has %7 x %8%9")
                         .arg(WidgetPath(widget), text.left(40))
                         .arg(place.text.width())
                         .arg(place.text.height())
                         .arg(place.text.x())
                         .arg(place.text.y())
                         .arg(place.room.width())
                         .arg(place.room.height())
                         .arg(shown ? "" : ", cut off by the widgets around it");
    }
    return found;
}

std::string Scale() { return qEnvironmentVariable("QT_SCALE_FACTOR", "1").toStdString(); }

void Settle(QWidget& window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    QApplication::processEvents();
}

class TextFitTest : public ::testing::Test {
protected:
    Sandbox sandbox;
    std::unique_ptr<TrayForTests> tray = std::make_unique<TrayForTests>(platform::TrayActivation::DoubleClick);
};

TEST_F(TextFitTest, TheMainWindowWithEachPanel)
{
    TfrmMain main(TFormCatalog {StandardPanels(), {}});
    main.ShowMainWindow();
    Settle(main);
    const char* names[] = {"status", "screensaver", "flash", "picture", "wallpaper"};
    for (int panel = 0; panel < PanelCount; ++panel) {
        ASSERT_TRUE(main.ShowPanel(panel));
        QApplication::processEvents();
        QApplication::processEvents();
        const QStringList clipped = Clipped(main);
        EXPECT_TRUE(clipped.isEmpty()) << "with the " << names[panel] << " panel at scale " << Scale() << ":\n"
                                       << clipped.join('\n').toStdString();
    }
}

TEST_F(TextFitTest, ThePreferenceDialogAndTheAboutBox)
{
    TfrmMain main(TFormCatalog {StandardPanels(), {}});
    TfrmMisc preferences(main, &main);
    Settle(preferences);
    const QStringList inPreferences = Clipped(preferences);
    EXPECT_TRUE(inPreferences.isEmpty()) << "at scale " << Scale() << ":\n" << inPreferences.join('\n').toStdString();
    TfrmAbout about(&main);
    Settle(about);
    const QStringList inAbout = Clipped(about);
    EXPECT_TRUE(inAbout.isEmpty()) << "at scale " << Scale() << ":\n" << inAbout.join('\n').toStdString();
}

} // namespace
} // namespace kdx::test
