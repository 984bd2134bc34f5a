#pragma once

// The memory editor on its own: every platform layer faked, the program folder
// in memory, and a radio that records what the editor asks of it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include "memory_editor/memory.h"
#include "platform/fake_folder.h"
#include "support/fake_platform.h"

struct RadioCall {
    std::string what;  // "read", "set", "tune"
    int channel = 0;
    double at = 0;     // fake clock
    double fa = 0;
    QString ma;
    double fb = 0;
    QString mb;
};

class FakeMemoryRadio final : public quelm::MemoryRadio {
public:
    explicit FakeMemoryRadio(quelm::FakeClock& clock) : clock_(clock) {}
    bool linkOpen() override { return open; }
    void RadioReadMemory(int Mem) override
    {
        calls.push_back({"read", Mem, clock_.now(), 0, {}, 0, {}});
        if (onRead)
            onRead(Mem);
    }
    void RadioSetMemory(int Mem) override
    {
        calls.push_back({"set", Mem, clock_.now(), 0, {}, 0, {}});
        if (onSet)
            onSet(Mem);
    }
    QString RadioReadFrame() override
    {
        ++framesRead;
        if (waiting > 0)
            --waiting;
        return QStringLiteral("01:");
    }
    int InBufferCount() override { return waiting; }
    void SettoMemoria(double fa, const QString& ma, double fb, const QString& mb) override
    {
        calls.push_back({"tune", 0, clock_.now(), fa, ma, fb, mb});
    }

    std::vector<int> channels(const std::string& what) const
    {
        std::vector<int> out;
        for (const RadioCall& c : calls)
            if (c.what == what)
                out.push_back(c.channel);
        return out;
    }

    bool open = true;
    int waiting = 0;  // frames "on the line" for the drains
    int framesRead = 0;
    std::vector<RadioCall> calls;
    std::function<void(int)> onRead;
    std::function<void(int)> onSet;

private:
    quelm::FakeClock& clock_;
};

struct MemoryFixture : ::testing::Test {
    FakePlatform fake;
    quelm::FakeFolder folder;
    FakeMemoryRadio radio{fake.clock};
    std::unique_ptr<quelm::Memory> memory;

    void TearDown() override
    {
        if (memory) {
            for (QMenu* m : memory->findChildren<QMenu*>())
                m->hide();
        }
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }

    void put(const QString& name, const QByteArray& bytes) { folder.files[name] = bytes; }

    void load()
    {
        memory = std::make_unique<quelm::Memory>(fake.platform, folder, radio);
        memory->Form_Load();
    }

    quelm::SheetBook& book() { return *memory->F1Book1; }
    quelm::SheetModel& sheet() { return *memory->F1Book1->current(); }
    int sheetNumber(const QString& name)
    {
        for (int n = 1; n <= book().sheetCount(); ++n)
            if (book().sheetName(n) == name)
                return n;
        ADD_FAILURE() << "no sheet " << name.toStdString();
        return 0;
    }
    quelm::SheetModel& sheetNamed(const QString& name)
    {
        const int n = sheetNumber(name);
        return *book().sheet(n > 0 ? n : 1);
    }
    void showSheet(const QString& name)
    {
        for (int n = 1; n <= book().sheetCount(); ++n)
            if (book().sheetName(n) == name)
                book().setCurrentSheet(n);
    }

    QStringList sheetNames()
    {
        QStringList out;
        for (int n = 1; n <= book().sheetCount(); ++n)
            out << book().sheetName(n);
        return out;
    }

    QStringList column(const quelm::SheetModel& s, int col, int first, int last) const
    {
        QStringList out;
        for (int r = first; r <= last; ++r)
            out << s.text(r, col);
        return out;
    }

    // A left release on the grid, as the radio items follow it.
    void leftRelease() { memory->F1Book1_MouseUp(Qt::LeftButton, {}, {}); }
    // A right press with the current selection: the list that opens, if any.
    QMenu* rightPress()
    {
        memory->F1Book1_MouseDown(Qt::RightButton, {}, {});
        QMenu* open = nullptr;
        for (QMenu* m : memory->findChildren<QMenu*>())
            if (m->isVisible())
                open = m;
        if (open)
            open->hide();
        return open;
    }

    QStringList allMessages() const { return fake.messages.criticals + fake.messages.warnings; }
};
