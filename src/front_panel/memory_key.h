#pragma once

// The main window's side of the memory editor: the editor itself, created and
// loaded on first use (the memory key, or the radio link touching its sheet),
// the bank files' folder, the narrow radio interface the editor is given, and
// the sheet the radio link writes received channels into.

#include <memory>

#include "memory_editor/memory.h"
#include "memory_editor/memory_radio.h"
#include "platform/file_folder.h"
#include "radio_link/memory_grid.h"

namespace quelm {

class Quelm;

class MemoryKey {
public:
    explicit MemoryKey(Quelm& q);
    ~MemoryKey();

    // The editor, loaded (not shown).
    Memory& editor();
    // Unloads the editor if it exists (the main window is closing).
    void close();
    MemoryGrid& linkGrid() { return lazyGrid_; }

private:
    // The main window's channel commands, frame reader and tune, for the editor.
    class PanelRadio final : public MemoryRadio {
    public:
        explicit PanelRadio(Quelm& q) : q_(q) {}
        bool linkOpen() override;
        void RadioReadMemory(int Mem) override;
        void RadioSetMemory(int Mem) override;
        QString RadioReadFrame() override;
        int InBufferCount() override;
        void SettoMemoria(double fa, const QString& ma, double fb, const QString& mb) override;

    private:
        Quelm& q_;
    };

    // The editor's sheet for the radio link; touching it loads the editor.
    class LazyGrid final : public MemoryGrid {
    public:
        explicit LazyGrid(MemoryKey& key) : key_(key) {}
        QString cellText(int row, int col) override { return key_.editor().grid().cellText(row, col); }
        double cellNumber(int row, int col) override { return key_.editor().grid().cellNumber(row, col); }
        void setCellText(int row, int col, const QString& text) override
        {
            key_.editor().grid().setCellText(row, col, text);
        }
        void setCellNumber(int row, int col, double number) override
        {
            key_.editor().grid().setCellNumber(row, col, number);
        }
        bool hasRow(int row) override { return key_.editor().grid().hasRow(row); }

    private:
        MemoryKey& key_;
    };

    Quelm& q_;
    DiskFolder folder_;
    PanelRadio radio_;
    LazyGrid lazyGrid_;
    std::unique_ptr<Memory> memory_;
};

} // namespace quelm
