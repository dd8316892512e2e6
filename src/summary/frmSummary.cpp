#include "src/summary/frmSummary.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/controls/GridExport.h"
#include "src/controls/TablePrint.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "src/entry/OutputFiles.h"
#include "src/entry/Rights.h"
#include "src/entry/Texts.h"
#include "src/summary/SummaryTable.h"
#include "src/summary/Texts.h"

namespace sp {

namespace T = SummaryTexts;

namespace {

// Double clicks of a grid, to one handler.
class DoubleClickSink : public GridEventSink {
  public:
    explicit DoubleClickSink(std::function<void(int)> handler) : handler_(std::move(handler)) {}
    void OnDoubleClick(int row, int /*col*/) override { handler_(row); }

  private:
    std::function<void(int)> handler_;
};

// The workbench filter's bounds, in the order of SummaryRequest::bounds.
const char16_t* const kFilterKeys[] = {u"BDept",   u"EDept",   u"BWC",   u"EWC",   u"BICMO",
                                       u"EICMO",   u"BWB",     u"EWB",   u"BTeam", u"ETeam",
                                       u"BWorker", u"EWorker", u"BItem", u"EItem"};

// Lookup types of the host's ShowLookup, as the workbench's F7 uses them.
constexpr qint32 kEmployeeLookup = 3;
constexpr qint32 kTeamLookup = 62;
constexpr qint32 kDeviceBrowser = -103;

bool Refused(QChar c) { return c == u'\'' || c == u'|' || c == u'#'; }

QString Key(const char* name) { return QLatin1String(name); }

}  // namespace

frmSummary::frmSummary(HostServices& host, DictionaryPtr workbenchFilter)
    : host_(host), ui_(host.Screen()), workbenchFilter_(std::move(workbenchFilter)) {
    summary_.setObjectName(QStringLiteral("vlgSummary"));
    reports_.setObjectName(QStringLiteral("vlgSummaryReports"));
    summarySink_ = std::make_unique<DoubleClickSink>([this](int row) { DrillDown(row); });
    reportsSink_ = std::make_unique<DoubleClickSink>([this](int row) { ChooseReport(row); });
    summary_.SetEventSink(summarySink_.get());
    reports_.SetEventSink(reportsSink_.get());
    const QDate today = QDate::currentDate();
    choices_.from = QDate(today.year(), today.month(), 1);
    choices_.to = today;
}

frmSummary::~frmSummary() {
    summary_.SetEventSink(nullptr);
    reports_.SetEventSink(nullptr);
}

void frmSummary::LoadSettings() {
    auto settings = WorkbenchSettingsFile(host_);
    if (!settings)
        return;
    IgnoreErrors([&] {
        const auto read = [&](const char* key) { return settings->Read(T::Section(), Key(key), QString()); };
        const QDate from = QDate::fromString(read("From"), Qt::ISODate);
        const QDate to = QDate::fromString(read("To"), Qt::ISODate);
        if (from.isValid() && to.isValid() && from <= to) {
            choices_.from = from;
            choices_.to = to;
        }
        const auto by = [&](const char* key, SummaryBy fallback) {
            const QString text = read(key);
            const int code = text.toInt();
            return text.isEmpty() || code < 0 || code > 6 ? fallback : static_cast<SummaryBy>(code);
        };
        choices_.by1 = by("By1", choices_.by1);
        choices_.by2 = by("By2", choices_.by2);
        if (choices_.by1 == SummaryBy::None || choices_.by1 == choices_.by2)
            choices_.by2 = SummaryBy::None;
        if (choices_.by1 == SummaryBy::None)
            choices_.by1 = SummaryBy::Team;
        choices_.basis = read("Basis") == u"1" ? SummaryDate::Audited : SummaryDate::Finished;
        choices_.auditedOnly = read("AuditedOnly") != u"0";
        choices_.applyFilter = read("ApplyFilter") == u"1";
        for (int i = 0; i < 6; ++i)
            SetBound(i, settings->Read(T::Section(), QStringLiteral("Bound%1").arg(i), {}));
        const QSize size(read("Width").toInt(), read("Height").toInt());
        if (size.width() >= 400 && size.height() >= 300)
            size_ = size;
    });
}

void frmSummary::SaveSettings() {
    auto settings = WorkbenchSettingsFile(host_);
    if (!settings)
        return;
    IgnoreErrors([&] {
        const auto write = [&](const char* key, const QString& value) {
            settings->Write(T::Section(), Key(key), value);
        };
        write("From", choices_.from.toString(Qt::ISODate));
        write("To", choices_.to.toString(Qt::ISODate));
        write("Basis", QString::number(static_cast<int>(choices_.basis)));
        write("By1", QString::number(static_cast<int>(choices_.by1)));
        write("By2", QString::number(static_cast<int>(choices_.by2)));
        write("AuditedOnly", choices_.auditedOnly ? QStringLiteral("1") : QStringLiteral("0"));
        write("ApplyFilter", choices_.applyFilter ? QStringLiteral("1") : QStringLiteral("0"));
        for (int i = 0; i < 6; ++i)
            settings->Write(T::Section(), QStringLiteral("Bound%1").arg(i), choices_.bounds[size_t(i)]);
        write("Width", QString::number(size_.width()));
        write("Height", QString::number(size_.height()));
    });
}

SummaryRequest frmSummary::Request() const {
    SummaryRequest r;
    r.from = choices_.from;
    r.to = choices_.to;
    r.basis = choices_.basis;
    r.by1 = choices_.by1;
    r.by2 = choices_.by2 == choices_.by1 ? SummaryBy::None : choices_.by2;
    r.auditedOnly = choices_.auditedOnly;
    r.bounds = QStringList(16, QString());
    if (choices_.applyFilter && workbenchFilter_)
        for (int i = 0; i < 14; ++i)
            r.bounds[i] = Basic::Text(workbenchFilter_->Item(QString::fromUtf16(kFilterKeys[i])));
    // The window's own worker and team bounds stand in for the workbench's; devices
    // are bounded by the window alone.
    const int place[] = {10, 11, 8, 9, 14, 15};
    for (int i = 0; i < 6; ++i)
        if (!choices_.bounds[size_t(i)].isEmpty())
            r.bounds[place[i]] = choices_.bounds[size_t(i)];
    return r;
}

bool frmSummary::Query() {
    if (!host_.AccessCheck(Rights::Summary)) {
        ShowInfo(ui_, EntryTexts::NoSummaryRight());
        return false;
    }
    int groups = 0;
    try {
        WaitCursor wait(ui_);
        const SummaryRequest request = Request();
        auto service = host_.Registry().Create<IMShopSummary>(ProgId::MShopSummary());
        groups = SummaryTable::FillSummary(
            summary_, service->GetWorkProcRptSummary(host_.PropsString(), request), request.by1, request.by2);
    } catch (const ComError& e) {
        ErrorLog::Write(QStringLiteral("frmSummary.Query"), e.Description());
        ShowInfo(ui_, T::Failed() + e.Description());
        return false;
    }
    showingReports_ = false;
    emit pageChanged();
    if (groups == 0)
        ShowInfo(ui_, T::NothingFound());
    return true;
}

bool frmSummary::SetBound(int index, const QString& text) {
    if (index < 0 || index > 5)
        return false;
    QString clean;
    for (QChar c : text)
        if (!Refused(c))
            clean += c;
    choices_.bounds[size_t(index)] = clean.trimmed();
    if (clean.size() != text.size()) {
        ShowInfo(ui_, T::BoundRefused());
        return false;
    }
    return true;
}

void frmSummary::LookupBound(int index) {
    QString number;
    IgnoreErrors([&] {
        if (index / 2 == 2) {
            const LookupOutcome outcome = host_.ShowLookup(kDeviceBrowser, QString(), QString(), 1, false);
            if (outcome.resource)
                number = Basic::Text(outcome.resource->Item(QStringLiteral("Fnumber")));
            return;
        }
        const LookupOutcome outcome =
            host_.ShowLookup(index / 2 == 0 ? kEmployeeLookup : kTeamLookup, QString(), QString(), 1, false);
        if (!outcome.lookup || !outcome.lookup->ReturnOK || !outcome.lookup->ReturnObject)
            return;
        const LookupEntry& entry = *outcome.lookup->ReturnObject;
        // Workers are bounded by their short numbers, as in the filter dialog.
        const QString shortNumber = Basic::Text(entry.Properties.value(QStringLiteral("FShortNumber")));
        number = index / 2 == 0 && !shortNumber.isEmpty() ? shortNumber : entry.Number;
    });
    if (!number.isEmpty())
        SetBound(index, number);
}

void frmSummary::DrillDown(int row) {
    const auto group = SummaryTable::GroupOf(summary_, row);
    if (!group)
        return;
    try {
        WaitCursor wait(ui_);
        auto service = host_.Registry().Create<IMShopSummary>(ProgId::MShopSummary());
        SummaryTable::FillReports(reports_, service->GetWorkProcRptSummaryList(host_.PropsString(), Request(),
                                                                               group->first, group->second));
    } catch (const ComError& e) {
        ErrorLog::Write(QStringLiteral("frmSummary.DrillDown"), e.Description());
        ShowInfo(ui_, T::Failed() + e.Description());
        return;
    }
    // The group's names, for the head of a printed list.
    int header = row;
    while (header > summary_.FixedRows() + 1 && summary_.CellText(header, 1).isEmpty()) --header;
    QStringList names;
    for (int col = 1; col <= summary_.Cols() && col <= 4; ++col)
        if (!summary_.CellText(1, col).contains(T::TimeUnit()))
            names << summary_.CellText(header, col);
    groupShown_ = names.mid(0, choices_.by2 == SummaryBy::None ? 2 : 4).join(u' ');
    showingReports_ = true;
    emit pageChanged();
}

void frmSummary::BackToSummary() {
    showingReports_ = false;
    emit pageChanged();
}

void frmSummary::ChooseReport(int row) {
    const auto report = SummaryTable::ReportOf(reports_, row);
    if (!report)
        return;
    chosen_ = report;
    emit closeRequested();
}

QString frmSummary::GroupingText() const {
    const QStringList levels = T::GroupItems();
    QString text = levels.value(static_cast<int>(choices_.by1));
    if (choices_.by2 != SummaryBy::None && choices_.by2 != choices_.by1)
        text += QStringLiteral(" / ") + levels.value(static_cast<int>(choices_.by2));
    return text;
}

void frmSummary::ExportCommand() {
    const GridSnapshot snapshot = SnapshotGrid(showingReports_ ? reports_ : summary_);
    if (snapshot.rows.isEmpty()) {
        ShowInfo(ui_, T::NothingFound());
        return;
    }
    const QString name = showingReports_ ? T::ReportsFileName() : T::FileName();
    const std::optional<QString> path = ui_.ChooseSaveFile({T::ExportTitle(),
                                                            QDir(OutputFiles(host_).Folder()).filePath(name),
                                                            {T::XlsxFilter(), T::CsvFilter()}});
    if (!path)
        return;
    OutputFiles(host_).Write(*path, QStringLiteral("frmSummary.Export"),
                             T::Exported(QDir::toNativeSeparators(*path)), [&] {
                                 return path->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                                            ? WriteCsv(snapshot, *path)
                                            : WriteXlsx(snapshot, *path, name);
                             });
}

void frmSummary::PrintCommand() {
    const GridSnapshot snapshot = SnapshotGrid(showingReports_ ? reports_ : summary_);
    if (snapshot.rows.isEmpty()) {
        ShowInfo(ui_, T::NothingFound());
        return;
    }
    PrintTable table;
    table.title = showingReports_ ? T::ReportsFileName() : T::Caption();
    table.head = {{T::HeadPeriod(),
                   Basic::DateText(choices_.from) + QStringLiteral(" — ") + Basic::DateText(choices_.to)},
                  {T::HeadBasis(), T::BasisItems().value(static_cast<int>(choices_.basis))},
                  {T::HeadGrouping(), GroupingText()},
                  {T::HeadAudited(), choices_.auditedOnly ? T::Audited() : T::AllReports()},
                  {T::HeadFilter(), choices_.applyFilter ? T::Applied() : T::NotApplied()}};
    const QStringList labels = T::BoundLabels();
    for (int i = 0; i < 3; ++i) {
        const QString& from = choices_.bounds[size_t(2 * i)];
        const QString& to = choices_.bounds[size_t(2 * i + 1)];
        if (!from.isEmpty() || !to.isEmpty())
            table.head.append(
                {labels[i].chopped(1) + QStringLiteral("："), from + QStringLiteral(" — ") + to});
    }
    if (showingReports_)
        table.head.append({T::HeadGroup(), groupShown_});
    for (const GridSnapshot::Column& c : snapshot.columns) {
        table.titles << c.title;
        table.rightAligned << c.rightAligned;
        table.oneLine << (c.kind != GridSnapshot::Kind::Text);
    }
    for (const auto& row : snapshot.rows) {
        QStringList cells;
        for (const GridSnapshot::Cell& cell : row) cells << cell.text;
        table.rows << cells;
    }
    table.repeated = {0, 1};
    Printout printout{table.title, {table}};
    const QPageLayout layout = WideTablePageLayout();
    const auto savePdf = [&] {
        const std::optional<QString> path = ui_.ChooseSaveFile(
            {T::SavePdfTitle(), QDir(OutputFiles(host_).Folder()).filePath(table.title), {T::PdfFilter()}});
        if (path)
            OutputFiles(host_).Write(*path, QStringLiteral("frmSummary.Print"),
                                     T::PdfSaved(QDir::toNativeSeparators(*path)),
                                     [&] { return WritePdf(printout, layout, *path); });
    };
    ui_.PreviewPrint({[&](QPagedPaintDevice& device) { PaintPrintout(printout, device); }, layout,
                      T::PrintTitle(), T::SavePdfCaption(), savePdf});
}

}  // namespace sp
