// The library side of export and print: what the host's desk calls once it has loaded it.
#include "host/desk/desk_output.h"

#include "host/desk/replacing_file.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <stdexcept>

namespace qm::desk {

namespace {

bool PrintPdf(const GridTable& table, const PrintHeading& heading, const std::string& path,
              std::string& why) {
    try {
        ReplacingFile file(path);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file.TempPath()));
        printer.setDocName(heading.Title);
        GridPrinter pages(table, heading);
        if (!pages.Print(printer)) throw std::runtime_error(CannotWrite(path, "无法生成 PDF"));
        file.Commit();
    } catch (const std::exception& e) {
        why = e.what();
        return false;
    }
    return true;
}

void Preview(const GridTable& table, const PrintHeading& heading, QWidget& owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(heading.Title);
    GridPrinter pages(table, heading);
    QPrintPreviewDialog preview(&printer, &owner);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(QString::fromUtf8("打印预览 - ") + heading.Title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&pages](QPrinter* p) { pages.Print(*p); });
    // Its own size shows a page too small to read: it takes most of the window, and the page its width.
    preview.resize(owner.size() * 0.9);
    // Through the dialog's own button, so that the button shows it.
    if (auto* fit = preview.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fit->trigger();
    else if (auto* view = preview.findChild<QPrintPreviewWidget*>())
        view->fitToWidth();
    preview.exec();
}

ExportResult Export(const TableSource& table, const std::string& path, ExportFormat format,
                    const ExportProgress& progress) {
    return ExportTable(table, path, format, progress);
}

const OutputApi kApi{&FormatFromPath, &Export, &PrintPdf, &Preview};

} // namespace

} // namespace qm::desk

extern "C" __attribute__((visibility("default"))) const qm::desk::OutputApi* QmDeskOutput() {
    return &qm::desk::kApi;
}
