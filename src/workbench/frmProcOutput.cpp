// Export of the shown grids to XLSX or CSV, and the print (and PDF) of the reports.
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/GridExport.h"
#include "src/controls/TablePrint.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "src/entry/OutputFiles.h"
#include "src/workbench/Texts.h"
#include "src/workbench/frmProc.h"

namespace sp {

namespace T = WorkbenchTexts;

namespace {

// A work bill number as part of a file name: characters no file name may hold go.
QString FileNamePart(const QString& text) {
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\s])"));
    return QString(text).replace(unsafe, QStringLiteral("_"));
}

}  // namespace

QString frmProc::ReportsFileName() const {
    const QString number = state_.editMode ? state_.currentWorkBillNo.trimmed() : QString();
    return number.isEmpty() ? T::ReportsFileName() : T::ReportsFileName() + u'_' + FileNamePart(number);
}

void frmProc::ExportCommand() {
    const bool list = lastGrid_ == ActiveControl::vlgList;
    const GridSnapshot snapshot = SnapshotGrid(list ? vlgList_ : vlgProc_);
    if (snapshot.rows.isEmpty()) {
        ShowInfo(ui_, T::NothingToExport());
        return;
    }
    const QString name = list ? T::ListFileName() : ReportsFileName();
    const std::optional<QString> path =
        ui_.ChooseSaveFile({list ? T::ExportListTitle() : T::ExportReportsTitle(),
                            QDir(OutputFiles(host_).Folder()).filePath(name),
                            {T::XlsxFilter(), T::CsvFilter()}});
    if (!path)
        return;
    OutputFiles(host_).Write(
        *path, QStringLiteral("frmProc.btnFileExport"), T::Exported(QDir::toNativeSeparators(*path)), [&] {
            return path->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                       ? WriteCsv(snapshot, *path)
                       : WriteXlsx(snapshot, *path, list ? T::ListFileName() : T::ReportsFileName());
        });
}

void frmProc::PrintCommand() {
    QString failure;
    std::optional<Printout> printout;
    {
        WaitCursor wait(ui_);
        printout = parts_->ReportPrintout(&failure);
    }
    if (!printout) {
        ShowInfo(ui_, T::NothingToPrint());
        return;
    }
    if (!failure.isEmpty())
        ShowInfo(ui_, T::PrintHeadFailed() + failure);
    const QPageLayout layout = WideTablePageLayout();
    const auto savePdf = [&] {
        const std::optional<QString> path =
            ui_.ChooseSaveFile({T::SavePdfTitle(),
                                QDir(OutputFiles(host_).Folder()).filePath(ReportsFileName()),
                                {T::PdfFilter()}});
        if (!path)
            return;
        OutputFiles(host_).Write(*path, QStringLiteral("frmProc.btnFilePrint"),
                                 T::PdfSaved(QDir::toNativeSeparators(*path)),
                                 [&] { return WritePdf(*printout, layout, *path); });
    };
    ui_.PreviewPrint({[&](QPagedPaintDevice& device) { PaintPrintout(*printout, device); }, layout,
                      T::PrintTitle(), T::SavePdfCaption(), savePdf});
}

}  // namespace sp
