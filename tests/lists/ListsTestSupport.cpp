#include "ListsTestSupport.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>

namespace kdx::test {

namespace {

TImageList Blank(int count, int size)
{
    std::vector<QPixmap> images(size_t(count), QPixmap(size, size));
    return TImageList(QSize(size, size), images);
}

} // namespace

HostForTests::HostForTests() : random_(Blank(24, 16)), search_(Blank(4, 16)), outlook_(Blank(5, 32)) { }

const TImageList& HostForTests::ImageList(ImageListId id) const
{
    return id == ImageListId::RandomList ? random_ : id == ImageListId::Search ? search_ : outlook_;
}

void HostForTests::ProcessMessages()
{
    enteredFolders.push_back(status[TextPanel]);
    if (onceInProcessMessages) {
        const auto action = std::move(onceInProcessMessages);
        onceInProcessMessages = nullptr;
        action();
    }
    QCoreApplication::processEvents();
}

QStringList Rows(const TListBox* list)
{
    QStringList rows;
    for (int i = 0; i < list->Count(); ++i)
        rows << list->RowText(i);
    return rows;
}

void SelectRow(TListBox* list, int row)
{
    list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

bool TypeIntoDropDown(QComboBox* box, const QString& text)
{
    box->window()->activateWindow();
    if (!QTest::qWaitForWindowActive(box->window()))
        return false;
    box->setFocus();
    QTest::keyClicks(box, text.left(1));
    const bool opened = box->view()->isVisible();
    QWidget* typing = opened ? static_cast<QWidget*>(box->view()) : box;
    QTest::keyClicks(typing, text.mid(1));
    QTest::keyClick(typing, Qt::Key_Return);
    return opened;
}

void AnswerNextFileDialog(const QStringList& paths)
{
    QTimer::singleShot(0, [paths] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (paths.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box as the user would: quoted names in the shown folder.
        const QFileInfo first(paths.first());
        dialog->setDirectory(first.isDir() ? first.absoluteFilePath() : first.absolutePath());
        if (dialog->fileMode() != QFileDialog::Directory) {
            QStringList names;
            for (const QString& p : paths)
                names << "\"" + QFileInfo(p).fileName() + "\"";
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(names.join(' '));
        }
        static_cast<QDialog*>(dialog)->accept();
    });
}

} // namespace kdx::test
