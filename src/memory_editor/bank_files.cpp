// The bank files: every "MEM_<bank>.ini" of the program folder is read into a
// sheet of its own when the editor loads; "Save bank" and "Save all" write
// sheets back. A file that cannot be read or written costs that file only:
// the operator is told which and why, and every other bank goes on. A file
// that could not be read, or was read only in part, is replaced only when the
// operator says so: what its sheet lacks, or a save would drop, would be lost.

#include "memory_editor/bank_file.h"
#include "memory_editor/memory.h"
#include "platform/file_folder.h"

namespace quelm {

namespace {

// A message lists this many notes of one file; the rest are counted.
constexpr int kNotesShown = 10;

QString listed(const QStringList& notes)
{
    QStringList shown = notes.mid(0, kNotesShown);
    if (notes.size() > kNotesShown)
        shown << QStringLiteral("... and %1 more").arg(notes.size() - kNotesShown);
    return shown.join(QLatin1Char('\n'));
}

void fill(SheetModel& sheet, const bank::Contents& contents)
{
    for (std::size_t r = 0; r < contents.rows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        const std::vector<Cell>& cells = contents.rows[r];
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const int col = static_cast<int>(c) + 1;
            if (const auto* number = std::get_if<double>(&cells[c]))
                sheet.setNumber(row, col, *number);
            else if (const auto* text = std::get_if<QString>(&cells[c]))
                sheet.setText(row, col, *text);
        }
    }
}

// `file` among `names`, spelt as it is or, failing that, in another letter
// case (which a folder that ignores the case takes for the same file).
QString sameFileIn(const QStringList& names, const QString& file)
{
    if (names.contains(file))
        return file;
    for (const QString& name : names)
        if (name.compare(file, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

} // namespace

bool Memory::loadBanks()
{
    const bank::Listing listing = bank::listBankFiles(folder_.fileNames());
    for (const QString& skipped : listing.skipped)
        platform_.messages.warning(QStringLiteral("A file in the program folder was not loaded as a bank:\n%1")
                                       .arg(skipped));
    notShown_.clear();
    fileOwners_.clear();
    bool radioBankLoaded = false;
    int counter = 1;
    for (const bank::Listing::File& file : listing.files) {
        QString error;
        const std::optional<QByteArray> bytes = folder_.read(file.fileName, &error);
        if (!bytes) {
            notShown_.insert(file.fileName, {true, error});
            platform_.messages.warning(
                QStringLiteral("The bank file %1 could not be read (%2); the bank \"%3\" is not shown.")
                    .arg(file.fileName, error, file.bank));
            continue;
        }
        const bool radio = file.fileName == bank::fileName(bank::kRadioBank);
        if (counter > 1) {
            F1Book1->setSheetCount(counter);
            F1Book1->setCurrentSheet(counter);
        }
        if (radio) {
            FormatQuelm();
        } else if (counter > 1) {
            short sn = static_cast<short>(counter);
            FormatSheet(sn);
        }
        ++counter;
        SheetModel& sheet = *F1Book1->current();
        const bank::Contents contents = bank::readBank(*bytes, bank::layoutOf(file.bank));
        fill(sheet, contents);
        F1Book1->setSheetName(F1Book1->currentSheet(), file.bank);
        fileOwners_.insert(file.fileName, &sheet);
        radioBankLoaded = radioBankLoaded || radio;
        if (contents.notes.isEmpty())
            continue;
        notShown_.insert(file.fileName, {false, listed(contents.notes)});
        platform_.messages.warning(QStringLiteral("The bank \"%2\" cannot keep all that the bank file %1 holds:\n%3")
                                       .arg(file.fileName, file.bank, listed(contents.notes)));
    }
    return radioBankLoaded;
}

QString Memory::notShownKey(const QString& file)
{
    if (notShown_.contains(file))
        return file;
    // Where the folder holds both spellings, each file is its own.
    if (folder_.fileNames().contains(file))
        return {};
    return sameFileIn(notShown_.keys(), file);
}

bool Memory::mayReplace(const QString& key, const QString& bank)
{
    if (key.isEmpty())
        return true;
    const NotShown notShown = notShown_.value(key);
    const QString text =
        notShown.unread
            ? QStringLiteral("The bank file %1 could not be read when the memory editor was opened (%2), so the sheet "
                             "\"%3\" does not show what it holds.\n\nReplace %1 with the sheet \"%3\"? What the file "
                             "holds now will be lost.")
                  .arg(key, notShown.detail, bank)
            : QStringLiteral("The bank file %1 was read only in part when the memory editor was opened, so the sheet "
                             "\"%3\" cannot save all that the file holds. Left out:\n%2\n\nReplace %1 with the sheet "
                             "\"%3\"? What was left out will be lost%4.")
                  .arg(key, notShown.detail, bank,
                       bank::isRadioBank(bank) ? QString()
                                               : QStringLiteral(", and a row without a frequency is not saved at all"));
    if (!platform_.messages.question(text))
        return false;
    // The operator has taken the loss: saving this bank again needs no question.
    notShown_.remove(key);
    return true;
}

QString Memory::bankFileOf(const QString& bank)
{
    return sameFileIn(folder_.fileNames(), bank::fileName(bank));
}

QString Memory::fileTakenProblem(const SheetModel* sheet, const QString& name)
{
    const QString file = bankFileOf(name);
    // Its own file is the sheet's to take back, spelt as the new name writes
    // it; and so is its own name in another letter case, which writes the
    // same file where the case does not count and a new one where it does.
    const bool own = fileOwners_.value(file).data() == sheet;
    const bool caseOnly = sheet && sheet->name().compare(name, Qt::CaseInsensitive) == 0;
    if (file.isEmpty() || (own && (file == bank::fileName(name) || caseOnly)))
        return {};
    return QStringLiteral("There is already a bank file %1 in %2: a bank named \"%3\" would replace it at the next "
                          "save. Choose another name.")
        .arg(file, folder_.path(), name);
}

Memory::Saved Memory::saveSheet(int sheet, QString* report)
{
    QPointer<SheetModel> s = F1Book1->sheet(sheet);
    if (!s) {
        *report = QStringLiteral("sheet %1: closed before it was saved").arg(sheet);
        return Saved::Kept;
    }
    const QString name = s->name();
    const QString file = bank::fileName(name);
    const QString line = QStringLiteral("%1 (bank \"%2\"): ").arg(file, name);
    // The sheet can go while the question is open; a No keeps the file.
    const QString key = notShownKey(file);
    if (!mayReplace(key, name) || !s) {
        *report = line + (s ? QStringLiteral("you answered No; the file is kept as it was")
                            : QStringLiteral("the bank was closed; the file is kept as it was"));
        return Saved::Kept;
    }
    const bool existed = folder_.fileNames().contains(file);
    const QByteArray bytes = bank::writeBank(name, [s](int row, int col) { return s->text(row, col); });
    QString error;
    if (folder_.replace(file, bytes, &error)) {
        notShown_.remove(key);
        fileOwners_.insert(file, s);
        return Saved::Written;
    }
    *report = line + error +
              (existed ? QStringLiteral("; the file is as it was before") : QStringLiteral("; the file was not created"));
    return Saved::Failed;
}

void Memory::cmSave_Click()
{
    if (!loaded_)
        return;
    F1Book1->finishEditing();
    QString report;
    if (saveSheet(F1Book1->currentSheet(), &report) == Saved::Failed)
        platform_.messages.critical(
            QStringLiteral("The bank was not saved:\n%1\n\nThe bank files are in %2; the sheet keeps your changes.")
                .arg(report, folder_.path()));
}

void Memory::cmSaveAll_Click()
{
    if (!loaded_)
        return;
    F1Book1->finishEditing();
    QStringList notSaved;
    bool failed = false;
    const int count = F1Book1->sheetCount();
    for (int n = 1; n <= count; ++n) {
        F1Book1->setCurrentSheet(n);
        QString report;
        const Saved saved = saveSheet(n, &report);
        failed = failed || saved == Saved::Failed;
        if (saved != Saved::Written)
            notSaved << report;
    }
    // Files kept after a No need no message of their own: the operator chose that.
    if (!failed)
        return;
    const QString others = notSaved.size() < count ? QStringLiteral(" The other banks were saved.") : QString();
    platform_.messages.critical(
        QStringLiteral("%1 of %2 banks were not saved:\n%3\n\nThe bank files are in %4; the sheets keep your "
                       "changes.%5")
            .arg(notSaved.size())
            .arg(count)
            .arg(listed(notSaved), folder_.path(), others));
}

} // namespace quelm
