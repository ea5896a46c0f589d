#include "components/BandReport.h"
#include "components/PromptService.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QToolBar>

namespace Report {
namespace {

// The print preview, modal, A4 in the report's orientation; the user prints
// from it, or keeps the report as a PDF file.
class DialogPreview final : public PreviewService
{
public:
    void preview(const BandReport &report) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), report.orientation, QMarginsF(10, 10, 10, 10),
                                          QPageLayout::Millimeter));
        printer.setDocName(report.title);
        QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
        dialog.setObjectName(QStringLiteral("ReportPreview"));
        dialog.setWindowTitle(report.title);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&report](QPrinter *p) { report.paint(p); });
        if (QToolBar *bar = dialog.findChild<QToolBar *>()) {
            bar->addSeparator();
            QAction *pdf = bar->addAction(QStringLiteral("Save as PDF"));
            pdf->setObjectName(QStringLiteral("SaveAsPdf"));
            pdf->setToolTip(QStringLiteral("Keep the report as a PDF file"));
            QObject::connect(pdf, &QAction::triggered, &dialog, [&report, &dialog] {
                const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
                const QString file = QFileDialog::getSaveFileName(&dialog, QStringLiteral("Save as PDF"),
                                                                  folder + u'/' + report.title + QStringLiteral(".pdf"),
                                                                  QStringLiteral("PDF files (*.pdf)"));
                if (file.isEmpty())
                    return;
                if (!report.writePdf(file))
                    Prompt::error(QStringLiteral("The file %1 could not be written.").arg(file));
            });
        }
        dialog.resize(1000, 760);
        dialog.setWindowState(Qt::WindowMaximized);
        dialog.exec();
    }
};

std::unique_ptr<PreviewService> &current()
{
    static std::unique_ptr<PreviewService> s = std::make_unique<DialogPreview>();
    return s;
}

} // namespace

PreviewService &PreviewService::instance()
{
    return *current();
}

std::unique_ptr<PreviewService> PreviewService::install(std::unique_ptr<PreviewService> service)
{
    std::unique_ptr<PreviewService> previous = std::move(current());
    current() = service ? std::move(service) : std::make_unique<DialogPreview>();
    return previous;
}

void showPreview(const BandReport &report)
{
    PreviewService::instance().preview(report);
}

} // namespace Report
