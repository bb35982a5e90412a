#pragma once

#include "app/controllers/pareto_chart_model.hpp"
#include "app/controllers/rows_model.hpp"
#include "core/flows/heats_list_flow.hpp"
#include "core/flows/shift_report_flow.hpp"
#include "core/screens/selection.hpp"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>
#include <vector>

namespace orvendel::app {

// A line of the report's table.
struct ReportTableRow {
    QString name;
    QString code;
    QString minutes;
    int count = 0;
    QString share;
    QString cumulative;
    bool unclassified = false;
    bool pending = false; // some of its time comes from unsaved edits
    QColor swatch;
    static constexpr std::array roles{"name",       "code",         "minutes", "count", "share",
                                      "cumulative", "unclassified", "pending", "swatch"};
    QVariant value(int role) const;
    bool operator==(const ReportTableRow&) const = default;
};

// A delay behind a tapped line.
struct ReportDelayRow {
    QString heat;
    QString start;
    QString duration;
    QString comment;
    static constexpr std::array roles{"heat", "start", "duration", "comment"};
    QVariant value(int role) const;
    bool operator==(const ReportDelayRow&) const = default;
};

// The shift report screen over its flow: every furnace the user may see is downloaded once when the screen
// opens; the furnace switch, the tabs and the grouping then only choose which tally the chart and the table
// show. A line's delays open in the heat detail through the heats list, as a tap on its row would.
// Thread contract: the GUI thread only.
class ShiftReportController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool running READ running NOTIFY reportChanged)
    Q_PROPERTY(QString progressText READ progressText NOTIFY reportChanged)
    Q_PROPERTY(QStringList errorLines READ errorLines NOTIFY reportChanged)
    Q_PROPERTY(QStringList furnaceNames READ furnaceNames NOTIFY reportChanged)
    Q_PROPERTY(QStringList tabs READ tabs NOTIFY reportChanged)
    Q_PROPERTY(int furnaceIndex READ furnaceIndex WRITE setFurnaceIndex NOTIFY viewChanged)
    Q_PROPERTY(int tabIndex READ tabIndex WRITE setTabIndex NOTIFY viewChanged)
    Q_PROPERTY(bool byCategory READ byCategory WRITE setByCategory NOTIFY viewChanged)
    Q_PROPERTY(QString totalText READ totalText NOTIFY viewChanged)
    Q_PROPERTY(QString periodText READ periodText NOTIFY viewChanged)
    Q_PROPERTY(orvendel::app::RowsModel* rows READ rows CONSTANT)
    Q_PROPERTY(orvendel::app::ParetoChartModel* chart READ chart CONSTANT)
    Q_PROPERTY(bool showsDelays READ showsDelays NOTIFY delaysChanged)
    Q_PROPERTY(QString delaysTitle READ delaysTitle NOTIFY delaysChanged)
    Q_PROPERTY(QString delaysMessage READ delaysMessage NOTIFY delaysChanged)
    Q_PROPERTY(orvendel::app::RowsModel* delays READ delays CONSTANT)

public:
    ShiftReportController(flows::ShiftReportFlow::Environment environment,
                          std::shared_ptr<flows::HeatsListFlow> heatsList, QObject* parent = nullptr);

    static QString title() { return tr("Where did the time go?"); }
    bool running() const { return m_flow->isRunning(); }
    QString progressText() const;
    QStringList errorLines() const;
    QStringList furnaceNames() const;
    QStringList tabs() const;
    int furnaceIndex() const { return m_furnaceIndex; }
    void setFurnaceIndex(int index);
    int tabIndex() const { return m_tabIndex; }
    void setTabIndex(int index);
    bool byCategory() const { return m_byCategory; }
    void setByCategory(bool byCategory);
    QString totalText() const { return m_totalText; }
    QString periodText() const { return m_periodText; }
    TypedRows<ReportTableRow>* rows() { return &m_rows; }
    ParetoChartModel* chart() { return &m_chart; }
    bool showsDelays() const { return m_shownLine >= 0; }
    QString delaysTitle() const { return m_delaysTitle; }
    QString delaysMessage() const { return m_delaysMessage; }
    TypedRows<ReportDelayRow>* delays() { return &m_delays; }

    // Downloads every furnace the user may see, one after another.
    Q_INVOKABLE void start();
    // The delays behind a line of the table.
    Q_INVOKABLE void showDelays(int line);
    // The line a bar of the chart stands for; -1 for the bar of the many small reasons.
    Q_INVOKABLE int lineOfBar(int bar) const;
    Q_INVOKABLE void closeDelays();
    // Opens a listed delay in the heat detail (`delayOpened`). A delay of another furnace first switches the
    // heats list to that furnace, through its unsaved-work question, and opens once that furnace's list is in;
    // false until then, or when the delay cannot be opened (`delaysMessage` says why).
    Q_INVOKABLE bool openDelay(int index);
    // Writes what the screen shows; empty on success, else why not. A "file:" URL is taken as its path.
    Q_INVOKABLE QString exportCsv(const QString& path) const;
    Q_INVOKABLE QString exportPdf(const QString& path) const;

    // The report as a spreadsheet reads it: the shown furnace (or all), the shown tab's shift or every one.
    std::string csv() const;
    const std::shared_ptr<flows::ShiftReportFlow>& flow() const { return m_flow; }
    // The heat and start of a listed delay (tests and the bench compare it with the heats list's selection).
    std::optional<screens::HeatDelayIdentifier> listedDelay(int index) const;

signals:
    void reportChanged();
    void viewChanged();
    void delaysChanged();
    // A delay was handed to the heats list: the report gives way to the heat detail.
    void delayOpened();

private:
    struct ShownDelay {
        std::size_t furnace = 0;
        screens::ReportDelay delay;
    };

    void flowChanged(flows::ShiftReportFlow::Change change);
    void rebuild();
    // The furnaces the shown view adds up (indexes into the flow's), the finished ones without errors.
    std::vector<std::size_t> shownFurnaces() const;
    screens::ReportGrouping grouping() const;
    QString furnaceTitle() const;

    std::shared_ptr<flows::ShiftReportFlow> m_flow;
    std::shared_ptr<flows::HeatsListFlow> m_heatsList;
    int m_furnaceIndex = 0; // 0: all furnaces, k: the flow's furnace k - 1
    int m_tabIndex = 0;     // 0: whole day, k: shift k - 1
    bool m_byCategory = false;
    screens::ReportTally m_tally;
    screens::ReportTable m_table;
    QString m_totalText;
    QString m_periodText;
    TypedRows<ReportTableRow> m_rows;
    ParetoChartModel m_chart;
    std::vector<ParetoChartModel::Bar> m_chartBars;
    std::vector<int> m_barLines; // the line of each bar, -1 for the folded ones
    int m_shownLine = -1;
    QString m_delaysTitle;
    QString m_delaysMessage;
    std::vector<ShownDelay> m_shownDelays;
    TypedRows<ReportDelayRow> m_delays;

    // A delay waiting for the heats list to show its furnace; checked on a short timer, since the list's
    // switch runs through a question, a download and a read.
    struct PendingOpen {
        int furnaceId = 0;
        QString furnaceName;
        screens::HeatDelayIdentifier delay;
        int idleChecks = 0;
        int checks = 0;
    };
    bool selectListed(const screens::HeatDelayIdentifier& delay);
    void checkPendingOpen();
    std::optional<PendingOpen> m_pendingOpen;
    QTimer m_pendingTimer;
};

} // namespace orvendel::app
