// The Memory window itself: its controls and menus, the load sequence, the
// two sheet layouts, resizing and closing.

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>

#include "memory_editor/bank_file.h"
#include "memory_editor/column_list.h"
#include "memory_editor/memory.h"
#include "window_support/form_pos.h"

namespace quelm {

namespace {

// The window's client area before a stored placement is applied (twips).
constexpr int kClientWidthTwips = 7815;
constexpr int kClientHeightTwips = 3720;
// Column widths of the layouts, in the grid's unit.
constexpr int kDescriptionWidth = 8000;
constexpr int kFrequencyWidth = 3000;

const QStringList kModes = {"USB", "LSB", "CW", "RTTY", "CW-R", "RTTY-R", "FM", "AM"};
const QStringList kSubtones = {
    "67.0",  "69.3",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",  "88.5",  "91.5",  "94.8",
    "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8", "118.8", "123.0", "127.3", "131.8", "136.5",
    "141.3", "146.2", "151.4", "156.7", "159.8", "162.2", "165.5", "167.9", "171.3", "173.8", "177.3",
    "179.9", "183.5", "186.2", "189.9", "192.8", "196.6", "199.5", "203.5", "206.5", "210.7", "218.1",
    "225.7", "229.1", "233.6", "241.8", "250.3", "254.1", "none"};
const QList<int> kSubtoneColumnBreaks = {10, 20, 30, 40};

// A small sheet with a blue heading row: the window's own icon.
QIcon memoryIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.fillRect(0, 0, 32, 8, QColor(0, 0, 0xC0));
    p.setPen(QColor(0x80, 0x80, 0x80));
    for (int y = 8; y < 32; y += 6)
        p.drawLine(0, y, 31, y);
    for (int x : {0, 12, 22, 31})
        p.drawLine(x, 0, x, 31);
    return QIcon(pm);
}

// Typing may not put into a text cell what the bank file cannot hold: a comma
// splits a field, a line break a line, and the file is Latin-1.
bool takesTyped(QChar c)
{
    return c != QLatin1Char(',') && c.unicode() >= 0x20 && c.unicode() != 0x7F && c.unicode() <= 0xFF;
}

} // namespace

Memory::Memory(Platform& platform, FileFolder& folder, MemoryRadio& radio, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform), folder_(folder), radio_(radio)
{
    setObjectName(QStringLiteral("Memory"));
    setWindowTitle(QStringLiteral("Memory"));
    setWindowIcon(memoryIcon());
    F1Book1 = new SheetBook(this);
    F1Book1->setObjectName(QStringLiteral("F1Book1"));
    F1Book1->setEntryFilter(takesTyped);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->addWidget(new QLabel(kStatusText, StatusBar1), 1);
    createMenus();

    F1Book1->onStartEdit = [this](QString& text, bool& cancel) { F1Book1_StartEdit(text, cancel); };
    connect(F1Book1, &SheetBook::cellClick, this, &Memory::F1Book1_CellClick);
    connect(F1Book1, &SheetBook::mouseDown, this, &Memory::F1Book1_MouseDown);
    connect(F1Book1, &SheetBook::mouseUp, this, &Memory::F1Book1_MouseUp);
    connect(F1Book1, &SheetBook::tabDoubleClicked, this, &Memory::askForName);

    resize(kClientWidthTwips / kTwipsPerPixel,
           kClientHeightTwips / kTwipsPerPixel + MenuBar->sizeHint().height());
}

Memory::~Memory() = default;

Memory::WaitPointer::WaitPointer(SheetBook* grid) : grid_(grid)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (grid_)
        grid_->setPointer(Qt::WaitCursor);
}

Memory::WaitPointer::~WaitPointer()
{
    QApplication::restoreOverrideCursor();
    if (grid_)
        grid_->setPointer(Qt::ArrowCursor);
}

void Memory::createMenus()
{
    MenuBar = new QMenuBar(this);
    auto item = [this](QAction*& a, const char* caption, void (Memory::*handler)()) {
        a = MenuBar->addAction(QString::fromLatin1(caption));
        connect(a, &QAction::triggered, this, handler);
    };
    item(cmSaveAll, "Save all", &Memory::cmSaveAll_Click);
    item(cmSave, "Save bank", &Memory::cmSave_Click);
    item(cmadd, "Add new bank", &Memory::cmadd_Click);
    item(cmDelete, "Delete bank", &Memory::cmDelete_Click);
    item(cmRetrieve, "Retrieve  from TRX", &Memory::cmRetrieve_Click);
    cmSend = MenuBar->addAction(QStringLiteral("Send to TRX"));  // shown with the others; does nothing
    item(cmSendSelected, "Send selected to TRX", &Memory::cmSendSelected_Click);
    setRadioItemsVisible(false);

    RM = new QMenu(QStringLiteral("RowMenu"), this);
    cmDeleteRow = RM->addAction(QStringLiteral("Delete row(s)"), this, &Memory::cmDeleteRow_Click);
    cmAddRowBefore = RM->addAction(QStringLiteral("Add row(s) before"), this, &Memory::cmAddRowBefore_Click);
    cmaddRowAfter = RM->addAction(QStringLiteral("Add row(s) after"), this, &Memory::cmaddRowAfter_Click);

    auto list = [this](QMenu*& menu, std::vector<QAction*>& items, const char* name, const QStringList& captions,
                       void (Memory::*handler)(int)) {
        menu = new QMenu(QString::fromLatin1(name), this);
        for (const QString& caption : captions) {
            const int index = static_cast<int>(items.size());
            items.push_back(menu->addAction(caption, this, [this, handler, index] { (this->*handler)(index); }));
        }
    };
    // The mode list holds one item until the load sequence captions it and adds the rest.
    list(MM, cmModo, "ModoMenu", {QString()}, &Memory::cmModo_Click);
    list(FM, cmYesNo, "FlagMenu", {QString(), QStringLiteral("Yes"), QStringLiteral("No")}, &Memory::cmYesNo_Click);
    list(DM, cmDup, "DumMenu", {QString(), QStringLiteral("DUP+"), QStringLiteral("DUP-")}, &Memory::cmDup_Click);

    SM = new ColumnList(this);
    SM->setTitle(QStringLiteral("SubMenu"));
    connect(SM, &ColumnList::chosen, this, &Memory::cmSubtone_Click);
}

void Memory::fillModeList()
{
    cmModo[0]->setText(kModes[0]);
    for (int i = static_cast<int>(cmModo.size()); i < kModes.size(); ++i)
        cmModo.push_back(MM->addAction(kModes[i], this, [this, i] { cmModo_Click(i); }));
}

void Memory::fillSubtoneList()
{
    SM->setItems(kSubtones, kSubtoneColumnBreaks);
}

void Memory::Form_Load()
{
    // The load can show messages, whose event loop may bring the radio link
    // back here for the same load: it waits for this one.
    if (loaded_ || loading_)
        return;
    loading_ = true;
    WaitPointer hourglass;
    fillModeList();
    F1Book1->reset();
    F1Book1->setCurrentSheet(1);
    short sn = 1;
    FormatSheet(sn);
    F1Book1->setSheetName(1, QStringLiteral("bank 1"));
    const bool radioBankLoaded = loadBanks();
    F1Book1->setActiveCell(1, 1);
    RestoreFormPos(*this, platform_.settings, kPlacement);
    for (int n = 1; n <= F1Book1->sheetCount(); ++n) {
        F1Book1->setCurrentSheet(n);
        F1Book1->current()->setMaxRow(bank::rowsOf(F1Book1->sheetName(n)));
    }
    if (!radioBankLoaded) {
        const int last = F1Book1->sheetCount() + 1;
        F1Book1->setSheetCount(last);
        F1Book1->setCurrentSheet(last);
        F1Book1->setSheetName(last, bank::kRadioBank);
        FormatQuelm();
    }
    fillSubtoneList();
    loading_ = false;
    loaded_ = true;
}

void Memory::layOut(const QStringList& headings, const std::vector<int>& numberColumns,
                    const std::vector<std::pair<int, int>>& unlocked, int rows)
{
    SheetModel* sheet = F1Book1->current();
    const int activeRow = F1Book1->activeRow();
    const int activeCol = F1Book1->activeCol();
    sheet->setMaxCol(static_cast<int>(headings.size()));
    sheet->setMaxRow(rows);
    for (int c = 1; c <= headings.size(); ++c) {
        sheet->setColumnHeading(c, headings[c - 1]);
        const bool number = std::find(numberColumns.begin(), numberColumns.end(), c) != numberColumns.end();
        if (c == 1)
            sheet->setColumnWidth(c, kDescriptionWidth);
        else if (number)
            sheet->setColumnWidth(c, kFrequencyWidth);
    }
    F1Book1->select(1, 1, rows, 1);
    F1Book1->setSelectionAlignment(Qt::AlignLeft);
    for (int c : numberColumns) {
        F1Book1->select(1, c, rows, c);
        F1Book1->setSelectionNumberFormat(SheetModel::kFixed2);
        F1Book1->setSelectionAlignment(Qt::AlignRight);
    }
    for (const auto& [first, last] : unlocked) {
        F1Book1->select(1, first, rows, last);
        F1Book1->setSelectionLocked(false);
    }
    F1Book1->select(1, 1, 1, 1);
    F1Book1->setActiveCell(activeRow, activeCol);
}

void Memory::FormatSheet(short& sn)
{
    Q_UNUSED(sn);
    layOut({"Description", "VFO A", "Mode A"}, {2}, {{1, 2}}, bank::kUserRows);
}

void Memory::FormatQuelm()
{
    layOut({"Description", "RX", "Mode", "Subtone", "TX", "Mode", "Subtone", "DUP", "Scan"}, {2, 5},
           {{1, 2}, {5, 5}}, bank::kRadioRows);
}

void Memory::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    const int barHeight = MenuBar->sizeHint().height();
    const int statusHeight = StatusBar1->sizeHint().height();
    MenuBar->setGeometry(0, 0, width(), barHeight);
    // The client area lies below the menu bar; the grid fills it above the status bar.
    F1Book1->setGeometry(0, barHeight, width(), std::max(0, height() - barHeight - statusHeight));
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void Memory::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void Memory::Form_Unload()
{
    if (!loaded_)
        return;
    SaveFormPos(*this, platform_.settings, kPlacement);
    for (QMenu* list : {RM, MM, FM, DM, static_cast<QMenu*>(SM)})
        list->hide();
    // A transfer still waiting finds its sheet gone and stops.
    transferSheet_ = nullptr;
    F1Book1->reset();
    setRadioItemsVisible(false);
    loaded_ = false;
    hide();
}

void Memory::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept();
}

} // namespace quelm
