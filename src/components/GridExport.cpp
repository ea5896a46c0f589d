#include "components/GridExport.h"

#include "components/DBControls.h"
#include "components/DataSet.h"
#include "components/DataSetModel.h"
#include "components/FileChooser.h"
#include "components/GridColumns.h"
#include "components/PromptService.h"

#include <QDir>
#include <QHeaderView>
#include <QProgressDialog>
#include <QSaveFile>

namespace GridExport {

namespace {

// Rows gathered before they go to the file and progress is told.
constexpr int RowsPerWrite = DataSet::ChunkSize;

void appendField(QByteArray &out, const QString &text)
{
    static const QString special = QStringLiteral(";\"\r\n");
    bool quote = false;
    for (const QChar c : text) {
        if (special.contains(c)) {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out += text.toUtf8();
        return;
    }
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    out += '"';
    out += quoted.toUtf8();
    out += '"';
}

void appendLine(QByteArray &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ';';
        appendField(out, fields[i]);
    }
    out += "\r\n";
}

} // namespace

QList<Column> visibleColumns(const DBGrid *grid)
{
    QList<Column> columns;
    const DataSetModel *model = grid ? grid->dataModel() : nullptr;
    if (!model)
        return columns;
    const QHeaderView *header = grid->horizontalHeader();
    const auto *titled = qobject_cast<const TitledHeader *>(header);
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        const int field = model->fieldOf(logical);
        if (field < 0)
            continue;
        columns << Column{field, titled ? titled->title(logical)
                                        : model->headerData(logical, Qt::Horizontal).toString()};
    }
    return columns;
}

Outcome writeCsv(DataSet *ds, const QList<Column> &columns, const QString &fileName, const Progress &progress)
{
    Outcome out;
    if (!ds || !ds->isOpen()) {
        out.error = QStringLiteral("The list is not open.");
        return out;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        out.error = file.errorString();
        return out;
    }

    QByteArray buffer("\xEF\xBB\xBF");
    QStringList fields;
    for (const Column &c : columns)
        fields << c.title;
    appendLine(buffer, fields);

    const int total = ds->recordCount();
    // The row being typed is no row of the list yet; the row being changed
    // is written as stored, like every other row.
    const int typingRow = ds->state() == DataSet::State::Insert ? ds->recNo() : -1;
    const int editedRow = ds->state() == DataSet::State::Edit ? ds->recNo() : -1;
    const auto flush = [&]() {
        if (file.write(buffer) != buffer.size()) {
            out.error = file.errorString();
            return false;
        }
        buffer.clear();
        return true;
    };

    for (int row = 0;; ++row) {
        if (row >= ds->fetchedCount() && ds->fetchMore(DataSet::ChunkSize) == 0)
            break;
        if (row == typingRow)
            continue;
        fields.clear();
        for (const Column &c : columns) {
            fields << (row == editedRow ? ds->formatValue(c.field, ds->storedValueAt(row, c.field))
                                        : ds->displayTextAt(row, c.field));
        }
        appendLine(buffer, fields);
        ++out.rows;
        if (out.rows % RowsPerWrite == 0) {
            if (!flush()) {
                file.cancelWriting();
                return out;
            }
            if (progress && !progress(out.rows, std::max(total, out.rows))) {
                file.cancelWriting();
                out.status = Outcome::Status::Cancelled;
                return out;
            }
        }
    }
    if (!flush() || !file.commit()) {
        if (out.error.isEmpty())
            out.error = file.errorString();
        file.cancelWriting();
        return out;
    }
    if (progress)
        progress(out.rows, out.rows);
    out.status = Outcome::Status::Written;
    return out;
}

Outcome writeCsv(const DBGrid *grid, const QString &fileName, const Progress &progress)
{
    return writeCsv(grid ? grid->dataSet() : nullptr, visibleColumns(grid), fileName, progress);
}

bool exportToCsv(DBGrid *grid)
{
    DataSet *ds = grid ? grid->dataSet() : nullptr;
    if (!ds || !ds->isOpen())
        return false;
    QString name = FileChooser::instance().saveFileName(grid->window(), QStringLiteral("Export to CSV"),
                                                        ds->name() + QStringLiteral(".csv"),
                                                        QStringLiteral("CSV files (*.csv)"));
    if (name.isEmpty())
        return false;
    if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        name += QStringLiteral(".csv");

    // Shown only when the list takes a while; until then it costs nothing.
    QProgressDialog dialog(QStringLiteral("Exporting the list…"), QStringLiteral("Cancel"), 0, 1, grid->window());
    dialog.setWindowTitle(QStringLiteral("Export to CSV"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    const Outcome outcome = writeCsv(grid, name, [&dialog](int done, int total) {
        dialog.setMaximum(total);
        dialog.setValue(done);
        return !dialog.wasCanceled();
    });
    dialog.close();
    if (outcome.status == Outcome::Status::Failed) {
        Prompt::error(QStringLiteral("The list could not be exported to %1:\n%2")
                          .arg(QDir::toNativeSeparators(name), outcome.error));
    }
    return outcome.status == Outcome::Status::Written;
}

} // namespace GridExport
