#pragma once
#include "settings/TConfig.h"
#include "shell/TPublicUnit.h"
#include "ui/PanelHost.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QFileDialog;
class QFrame;
class QHBoxLayout;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace kdx {

class TListBox;
class TSearchPane;

namespace texts {
// The choice after a failed automatic save on leaving a panel.
inline constexpr const char* LeaveUnsavedQuestion
    = "Your changes to this list are not saved. Stay here to save them once the cause is mended, "
      "or leave without saving them?";
inline constexpr const char* StayButton = "Stay";
inline constexpr const char* LeaveUnsavedButton = "Leave Without Saving";
} // namespace texts

// What one list editor sets in the shared design.
struct EditorTraits {
    QString title; // the title row's text
    QString listBoxName; // object name of the random list box
    std::string mask; // search pattern
    QString addFilesFilter; // dlgFile's filter, "description|pattern|..." pairs
    bool skipKaleidraOnAdd = false;
    int addFilesImage = 5;
    QString hintAddFiles, hintDelete, hintReset, hintSave, hintSearch;
};

// The random-list editor that the four list panels share: the random list with its tool bar
// and pop-up menu, the folder search (TSearchPane), and Save, Reset and the leave step.
// An editor class adds its options row, its record and its own commands through the hooks.
class TRandomListEditor : public TPanel {
public:
    TRandomListEditor(IPanelHost& host, QWidget* parent, EditorTraits traits);
    ~TRandomListEditor() override;

    // Saves the edits when saving automatically; when that fails the user chooses between
    // staying (false) and leaving without saving.
    bool FormHide() override;

    // The random list being edited: the record's own list, not a copy.
    virtual TStrings& WorkList() = 0;

    // The handlers of the shared design.
    void btAddFilesClick();
    void btDeleteClick();
    void mnuClearClick();
    void btResetClick();
    void btSaveClick();
    void mnuFileNameClick();
    void mnuFullPathClick();
    void mnuPropertiesClick();

protected:
    // The editor's own commands, placed among the shared ones.
    struct OwnCommands {
        std::vector<QToolButton*> beforeDelete; // tool buttons between Add Files and Delete
        std::vector<QToolButton*> afterSave; // tool buttons after Save (nullptr: a separator)
        std::vector<QAction*> afterAddFiles; // pop-up menu items after Add Files
    };

    // Puts the tool bar and the pop-up menu together and runs the creation steps; each editor
    // class calls it at the end of its constructor, once its options row and commands exist.
    void FormCreate(const OwnCommands& own);

    virtual void LoadRecord() = 0;
    // Copies the options row into the record and writes the record.
    virtual void SaveRecord() = 0;
    // Sets the options row from the record.
    virtual void ShowOptions() = 0;
    // Whether the entry Name found in Folder is a hit.
    virtual bool IsHit(const std::string& folder, const std::string& name);
    // Runs after an entry was picked with the mouse, before the item commands are enabled.
    virtual void EntryPicked() { }
    // Runs after Save has written the record.
    virtual void AfterSave() { }

    void EnableItemCommands(bool enabled);
    void ShowRandomList();
    void lsListMouseDown(Qt::MouseButton button, QPoint pos);
    void AddItemCommand(QToolButton* button);
    void AddItemCommand(QAction* action);
    // A tool button with its caption under its image, for the random list's tool bar.
    QToolButton* MakeButton(const char* name, const QString& caption, const QString& hint, int image);
    QAction* AddMenuItem(const char* name, const QString& caption, const QKeySequence& shortcut = {});
    void EnableSave() const;
    void SetStatus(int panel, const QString& text) const;
    // Appends paths to the list.
    void AppendEntries(const std::vector<std::string>& paths);

    EditorTraits Traits;
    std::unique_ptr<TConfig> Config;
    TPublicUnit PublicUnit;
    std::string SelectedFile;

    // Components, by the names the design gives them.
    QFrame* palTop;
    QLabel* lbeTitle;
    QFrame* palMisc;
    QHBoxLayout* miscLayout;
    QSplitter* palMain;
    QFrame* palList;
    TListBox* lsList;
    QToolBar* tbRandom;
    TSearchPane* palSearch;
    QToolButton* btAddFiles;
    QToolButton* btDelete;
    QToolButton* btReset;
    QToolButton* btSave;
    QMenu* PopupMenu1;
    QAction* mnuAddFiles;
    QAction* mnuDelete;
    QAction* mnuClear;
    QAction* mnuReset;
    QAction* mnuFileName;
    QAction* mnuFullPath;
    QAction* mnuProperties;
    QFileDialog* dlgFile;

private:
    void BuildLayout();
    void BuildRandomTools();
    void BuildPopupMenu();
    void AssembleCommands(const OwnCommands& own);
    // Move: the ticked hits of the search join the list.
    void MoveFound(const std::vector<std::string>& paths);
    // Save, or after its error the user's choice: true to leave (saved or not), false to stay.
    bool SaveOrLeaveUnsaved();
    // Save with nothing edited: a failure is not the user's to answer, so it is let go; true.
    bool SaveUnedited();

    std::vector<QToolButton*> itemButtons_;
    std::vector<QAction*> itemActions_;
    bool released_ = false;
};

} // namespace kdx
