#pragma once

// The memory editor: banks of channels in the sheets of a spreadsheet grid,
// each bank kept in its file "MEM_<bank>.ini" in the program folder; the radio
// bank "Quelm" mirrors the radio's memory channels 1 to 99. The class is split
// over files named for what they do:
//   memory_window.cpp   construction, menus, Form_Load/Resize/Unload, the two sheet layouts
//   bank_files.cpp      loading the bank files, "Save bank", "Save all"
//   sheet_editing.cpp   banks, rows, pop-up lists, the typing guard, the cell click, renaming
//   transfers.cpp       "Retrieve  from TRX", "Send selected to TRX", the row-heading tune,
//                       the radio items, and the radio link's view of the sheets
// The radio is reached only through MemoryRadio (the main window's channel
// commands and frame reader).

#include <vector>

#include <QMap>
#include <QPointer>
#include <QWidget>

#include "memory_editor/memory_radio.h"
#include "memory_editor/sheet_book.h"
#include "platform/platform.h"
#include "radio_link/memory_grid.h"

class QAction;
class QMenu;
class QMenuBar;
class QStatusBar;

namespace quelm {

class ColumnList;
class FileFolder;

class Memory : public QWidget {
    Q_OBJECT
public:
    Memory(Platform& platform, FileFolder& folder, MemoryRadio& radio, QWidget* parent = nullptr);
    ~Memory() override;

    // Loaded: the sheets exist (Form_Load has run and Form_Unload has not since).
    bool loaded() const { return loaded_; }
    // A channel transfer is running (its waits serve window events).
    bool transferring() const { return transferring_; }

    // ---- Window (memory_window.cpp)
    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    // The user-bank and the radio-bank layout of the current sheet; sn is not read.
    void FormatSheet(short& sn);
    void FormatQuelm();

    // The sheet the radio link writes received channels into and reads channel
    // rows from: the current sheet, or during a transfer the sheet it started on.
    MemoryGrid& grid() { return linkGrid_; }

    // ---- Bank files (bank_files.cpp)
    void cmSave_Click();
    void cmSaveAll_Click();

    // ---- Editing (sheet_editing.cpp)
    void cmadd_Click();
    void cmDelete_Click();
    void cmAddRowBefore_Click();
    void cmaddRowAfter_Click();
    void cmDeleteRow_Click();
    void cmModo_Click(int Index);
    void cmYesNo_Click(int Index);
    void cmDup_Click(int Index);
    void cmSubtone_Click(int Index);
    void F1Book1_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos);
    void F1Book1_StartEdit(QString& EditString, bool& Cancel);
    void F1Book1_CellClick(int nRow, int nCol);
    // Renames a bank; false with the reason when the name cannot be taken.
    bool renameBank(int sheet, const QString& name, QString* why = nullptr);
    // The pop-up list that a right click opens for the current selection, if any.
    QMenu* listForSelection() const;

    // ---- Transfers (transfers.cpp)
    void cmRetrieve_Click();
    void cmSendSelected_Click();
    void F1Book1_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos);

    // Waits after each channel request.
    static constexpr double kReadWait = 0.15;
    static constexpr double kWriteWait = 0.1;
    static inline const QString kStatusText =
        QStringLiteral("Select row(s) or Mode,Subtone,DUP,Scan cell(s) + right button for context menu");
    static inline const QString kPlacement = QStringLiteral("Quelm_MEM");

    // ---- Controls
    SheetBook* F1Book1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenuBar* MenuBar = nullptr;
    QAction* cmSaveAll = nullptr;
    QAction* cmSave = nullptr;
    QAction* cmadd = nullptr;
    QAction* cmDelete = nullptr;
    QAction* cmRetrieve = nullptr;
    QAction* cmSend = nullptr;
    QAction* cmSendSelected = nullptr;
    QMenu* RM = nullptr;
    QAction* cmDeleteRow = nullptr;
    QAction* cmAddRowBefore = nullptr;
    QAction* cmaddRowAfter = nullptr;
    QMenu* MM = nullptr;
    std::vector<QAction*> cmModo;
    QMenu* FM = nullptr;
    std::vector<QAction*> cmYesNo;
    QMenu* DM = nullptr;
    std::vector<QAction*> cmDup;
    ColumnList* SM = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // The radio link's view of the sheets (transfers.cpp).
    class LinkGrid final : public MemoryGrid {
    public:
        explicit LinkGrid(Memory& m) : m_(m) {}
        QString cellText(int row, int col) override;
        double cellNumber(int row, int col) override;
        void setCellText(int row, int col, const QString& text) override;
        void setCellNumber(int row, int col, double number) override;
        bool hasRow(int row) override;
        SheetModel* target() const;

    private:
        Memory& m_;
    };

    // The wait pointer over the program (and the grid) for a scope, however it is left.
    class WaitPointer {
    public:
        explicit WaitPointer(SheetBook* grid = nullptr);
        ~WaitPointer();
        WaitPointer(const WaitPointer&) = delete;
        WaitPointer& operator=(const WaitPointer&) = delete;

    private:
        QPointer<SheetBook> grid_;
    };

    void createMenus();                        // memory_window.cpp
    void fillModeList();                       // memory_window.cpp
    void fillSubtoneList();                    // memory_window.cpp
    void layOut(const QStringList& headings, const std::vector<int>& numberColumns,
                const std::vector<std::pair<int, int>>& unlocked, int rows);  // memory_window.cpp
    bool loadBanks();                          // bank_files.cpp
    // What became of a sheet's bank file on a save: written; kept as it was,
    // since the operator answered No (or the sheet went meanwhile); or not
    // written because writing failed.
    enum class Saved { Written, Kept, Failed };
    // `report` names the file and bank, and says why and what became of the
    // file, unless it was written.
    Saved saveSheet(int sheet, QString* report);  // bank_files.cpp
    // The file among those no sheet shows whole that writing `file` would
    // replace, or the empty text.
    QString notShownKey(const QString& file);  // bank_files.cpp
    // False when the operator does not say Yes to replacing that file (`key`
    // from notShownKey) with the bank's sheet.
    bool mayReplace(const QString& key, const QString& bank);  // bank_files.cpp
    // The file in the program folder that a bank of that name would write (in
    // any letter case), or the empty text.
    QString bankFileOf(const QString& bank);   // bank_files.cpp
    // Why a sheet may not be named `name`: a bank file of that name is in the
    // folder and is not the one this sheet was loaded from or saved to (in
    // any letter case when only the case of the sheet's name changes).
    QString fileTakenProblem(const SheetModel* sheet, const QString& name);  // bank_files.cpp
    void writeChoice(const QString& caption, bool duplex);  // sheet_editing.cpp
    void insertRows(int first, int last);      // sheet_editing.cpp
    bool onUserBank() const;                   // sheet_editing.cpp
    void askForName(int sheet);                // sheet_editing.cpp
    void tuneToRow(int row);                   // transfers.cpp
    bool transferAllowed();                    // transfers.cpp
    // Asks for channels first..last in turn, each followed by the wait and a drain.
    void transfer(int first, int last, double wait, void (MemoryRadio::*request)(int));  // transfers.cpp
    void drain();                              // transfers.cpp
    void setRadioItemsVisible(bool visible);   // transfers.cpp

    Platform& platform_;
    FileFolder& folder_;
    MemoryRadio& radio_;
    LinkGrid linkGrid_{*this};
    bool loaded_ = false;
    bool loading_ = false;
    bool transferring_ = false;
    // The bank files that no sheet shows whole: one the load could not read at
    // all, or one it read only in part (including lines the sheet shows but a
    // save would drop). A save would lose that, so none is replaced unasked.
    struct NotShown {
        bool unread = false;
        QString detail;  // why it could not be read, or what the load left out
    };
    QMap<QString, NotShown> notShown_;
    // The bank file each sheet was loaded from or last saved to.
    QMap<QString, QPointer<SheetModel>> fileOwners_;
    // The sheet a running transfer reads from and writes into; gone if deleted.
    QPointer<SheetModel> transferSheet_;
};

} // namespace quelm
