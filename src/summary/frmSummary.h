#pragma once

#include <QDate>
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <utility>

#include "src/common/Dictionary.h"
#include "src/common/Ui.h"
#include "src/controls/GridModel.h"
#include "src/middletier/SummaryInterfaces.h"

namespace sp {

class HostServices;
class ISettingsFile;

// The summary window: the supervisor's choices (period and its date, one or two
// groupings, audited reports only or all, the workbench's filter or not, and bounds of
// worker, team and device with F7 lookups), the summary grid, the reports of a group
// (double click on a summary row), and the report to open in the workbench (double click
// on one of them). Its choices and size are kept in the workbench's settings file.
// Headless: the Qt view registered as dialog "frmSummary" binds widgets to it.
class frmSummary : public QObject, public DialogModel {
    Q_OBJECT
  public:
    struct Choices {
        QDate from;
        QDate to;
        SummaryDate basis = SummaryDate::Finished;
        SummaryBy by1 = SummaryBy::Team;
        SummaryBy by2 = SummaryBy::Worker;
        bool auditedOnly = true;
        bool applyFilter = false;
        // Worker, team and device, each from and to: numbers, empty for none.
        std::array<QString, 6> bounds;
    };

    // workbenchFilter: the workbench's dicFilter (its bounds BDept ... EItem), or null.
    frmSummary(HostServices& host, DictionaryPtr workbenchFilter);
    ~frmSummary() override;

    QString DialogName() const override { return QStringLiteral("frmSummary"); }

    Choices& choices() { return choices_; }
    // The last choices and size from the settings file (this month by default) / back.
    void LoadSettings();
    void SaveSettings();
    QSize WindowSize() const { return size_; }
    void SetWindowSize(QSize size) { size_ = size; }

    // The request the choices make.
    SummaryRequest Request() const;
    // Reads the summary; false, with the reason shown, when it could not.
    bool Query();
    // F7 on bound box 0..5 (worker, team, device; from and to).
    void LookupBound(int index);
    // A bound as typed: characters a number never holds are refused with a message.
    bool SetBound(int index, const QString& text);

    GridModel& Summary() { return summary_; }
    GridModel& Reports() { return reports_; }
    bool ShowingReports() const { return showingReports_; }
    // Lists the reports of the summary row's group; nothing for a totals row.
    void DrillDown(int row);
    void BackToSummary();
    // The report chosen to be opened in the workbench (work bill id and serial): the
    // window closes.
    void ChooseReport(int row);
    std::optional<std::pair<qint32, qint32>> Chosen() const { return chosen_; }

    // Ctrl+E and Ctrl+P: the grid shown, through the workbench's export and print paths.
    void ExportCommand();
    void PrintCommand();

  signals:
    void pageChanged();
    void closeRequested();

  private:
    QString GroupingText() const;

    HostServices& host_;
    Ui& ui_;
    DictionaryPtr workbenchFilter_;
    Choices choices_;
    QSize size_{1000, 640};
    GridModel summary_;
    GridModel reports_;
    std::unique_ptr<GridEventSink> summarySink_;
    std::unique_ptr<GridEventSink> reportsSink_;
    bool showingReports_ = false;
    QString groupShown_;  // the group whose reports are listed, for the print head
    std::optional<std::pair<qint32, qint32>> chosen_;
};

}  // namespace sp
