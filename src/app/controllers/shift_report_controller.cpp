#include "app/controllers/shift_report_controller.hpp"

#include "app/controllers/chart_drawing.hpp"
#include "app/controllers/display_text.hpp"
#include "core/screens/shift_report_csv.hpp"

#include <QDateTime>
#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QUrl>

#include <algorithm>

namespace orvendel::app {

namespace {

// The heats list's circle for an unknown reason: the same warning colour marks the unclassified time.
const QColor unknownColor(232, 65, 24);
const QColor noColor(160, 160, 160);

QString localPath(const QString& path)
{
    return path.startsWith(QStringLiteral("file:")) ? QUrl(path).toLocalFile() : path;
}

QString fromUtf8(std::string_view text)
{
    return displayText(text);
}

} // namespace

QVariant ReportTableRow::value(int role) const
{
    switch (role) {
    case 0:
        return name;
    case 1:
        return code;
    case 2:
        return minutes;
    case 3:
        return count;
    case 4:
        return share;
    case 5:
        return cumulative;
    case 6:
        return unclassified;
    case 7:
        return pending;
    default:
        return swatch;
    }
}

QVariant ReportDelayRow::value(int role) const
{
    switch (role) {
    case 0:
        return heat;
    case 1:
        return start;
    case 2:
        return duration;
    default:
        return comment;
    }
}

ShiftReportController::ShiftReportController(flows::ShiftReportFlow::Environment environment,
                                             std::shared_ptr<flows::HeatsListFlow> heatsList, QObject* parent)
    : QObject(parent), m_heatsList(std::move(heatsList))
{
    // The flow's completions run on the executor after this controller may be gone.
    m_flow = flows::ShiftReportFlow::create(std::move(environment),
                                            [self = QPointer(this)](flows::ShiftReportFlow::Change change) {
                                                if (self) {
                                                    self->flowChanged(change);
                                                }
                                            });
    m_pendingTimer.setInterval(50);
    connect(&m_pendingTimer, &QTimer::timeout, this, &ShiftReportController::checkPendingOpen);
    rebuild();
}

void ShiftReportController::start()
{
    // What is shown stays until the new data is in: a refresh then changes the table in place.
    closeDelays();
    m_flow->startAllFurnaces();
    emit reportChanged();
}

void ShiftReportController::flowChanged(flows::ShiftReportFlow::Change change)
{
    emit reportChanged();
    // A sum over furnaces is shown once all are in, not as totals that grow furnace by furnace; one
    // furnace is shown as soon as it arrives.
    if (change == flows::ShiftReportFlow::Change::finished || m_furnaceIndex > 0) {
        rebuild();
    }
}

QString ShiftReportController::progressText() const
{
    const auto total = m_flow->furnaces().size();
    if (!m_flow->isRunning() || total == 0) {
        return {};
    }
    return tr("Downloading furnace %1 of %2…").arg(std::min(m_flow->finishedCount() + 1, total)).arg(total);
}

QStringList ShiftReportController::errorLines() const
{
    QStringList lines;
    for (const auto& line : m_flow->errorLines()) {
        lines << fromUtf8(line);
    }
    return lines;
}

QStringList ShiftReportController::furnaceNames() const
{
    QStringList names{tr(texts::allFurnaces)};
    for (const auto& report : m_flow->furnaces()) {
        names << fromUtf8(report.furnace.name);
    }
    return names;
}

QStringList ShiftReportController::tabs() const
{
    const auto schedule = m_flow->schedule();
    QStringList titles{tr(screens::wholeDayTitle)};
    for (std::size_t i = 0; i < schedule.size(); ++i) {
        titles << QStringLiteral("%1  %2").arg(fromUtf8(screens::shiftName(i)),
                                               fromUtf8(screens::shiftHoursText(schedule, i)));
    }
    return titles;
}

void ShiftReportController::setFurnaceIndex(int index)
{
    if (index == m_furnaceIndex || index < 0 || index > static_cast<int>(m_flow->furnaces().size())) {
        return;
    }
    m_furnaceIndex = index;
    rebuild();
}

void ShiftReportController::setTabIndex(int index)
{
    if (index == m_tabIndex || index < 0 || index > static_cast<int>(m_flow->schedule().size())) {
        return;
    }
    m_tabIndex = index;
    rebuild();
}

void ShiftReportController::setByCategory(bool byCategory)
{
    if (byCategory == m_byCategory) {
        return;
    }
    m_byCategory = byCategory;
    rebuild();
}

screens::ReportGrouping ShiftReportController::grouping() const
{
    return m_byCategory ? screens::ReportGrouping::category : screens::ReportGrouping::reason;
}

std::vector<std::size_t> ShiftReportController::shownFurnaces() const
{
    std::vector<std::size_t> shown;
    const auto& reports = m_flow->furnaces();
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const bool chosen = m_furnaceIndex == 0 || static_cast<std::size_t>(m_furnaceIndex) == i + 1;
        if (chosen && reports[i].finished && !reports[i].error) {
            shown.push_back(i);
        }
    }
    return shown;
}

QString ShiftReportController::furnaceTitle() const
{
    const auto names = furnaceNames();
    return m_furnaceIndex < names.size() ? names[m_furnaceIndex] : QString();
}

void ShiftReportController::rebuild()
{
    closeDelays();
    if (m_furnaceIndex == 0) {
        m_tally = m_flow->combined();
    } else {
        const auto shown = shownFurnaces();
        m_tally = shown.empty() ? screens::ReportTally{} : m_flow->furnaces()[shown.front()].tally;
    }
    const auto scope = static_cast<std::size_t>(m_tabIndex);
    m_table = scope < m_tally.scopeCount() ? screens::reportTable(m_tally, scope, grouping()) : screens::ReportTable{};

    std::vector<ReportTableRow> rows;
    for (std::size_t i = 0; i < screens::reportLineCount(m_table); ++i) {
        const auto& line = *screens::reportLine(m_table, i);
        const bool unclassified = i >= m_table.rows.size();
        const QColor swatch = unclassified ? unknownColor : line.color ? ChartDrawing::toQColor(*line.color) : noColor;
        rows.push_back({unclassified ? tr(screens::unclassifiedTitle) : fromUtf8(line.name), fromUtf8(line.code),
                        QString::fromStdString(screens::minutesText(line.amount.time)), line.amount.count,
                        QString::fromStdString(screens::percentText(line.share)),
                        QString::fromStdString(screens::percentText(line.cumulativeShare)), unclassified,
                        line.amount.pendingCount > 0, swatch});
    }
    m_rows.update(std::move(rows));
    m_chartBars.clear();
    m_barLines.clear();
    const auto& shown = m_rows.rows();
    for (const auto& bar : screens::reportBars(m_table)) {
        m_chartBars.push_back({fromUtf8(bar.label), std::chrono::duration<double>(bar.time).count() / 60,
                               bar.cumulativeShare, bar.line ? shown[*bar.line].swatch : noColor});
        m_barLines.push_back(bar.line ? static_cast<int>(*bar.line) : -1);
    }
    m_chart.setBars(m_chartBars);

    m_totalText = QString::fromStdString(screens::reportTotalText(m_table.total));
    m_periodText = QString::fromStdString(screens::reportPeriodText(m_tally, m_flow->zone()));
    emit viewChanged();
}

int ShiftReportController::lineOfBar(int bar) const
{
    return bar >= 0 && bar < static_cast<int>(m_barLines.size()) ? m_barLines[static_cast<std::size_t>(bar)] : -1;
}

void ShiftReportController::showDelays(int line)
{
    const auto* shownLine = line < 0 ? nullptr : screens::reportLine(m_table, static_cast<std::size_t>(line));
    if (!shownLine) {
        return;
    }
    const auto& shown = *shownLine;
    const bool unclassified = static_cast<std::size_t>(line) >= m_table.rows.size();
    const auto scope = static_cast<std::size_t>(m_tabIndex);
    m_shownDelays.clear();
    // A line of several furnaces is their lines of the same name and code added up; each furnace lists its own.
    for (const auto furnace : shownFurnaces()) {
        const auto& report = m_flow->furnaces()[furnace];
        const auto table = screens::reportTable(report.tally, scope, grouping());
        const screens::ReportRow* match = unclassified ? &table.unclassified : nullptr;
        for (const auto& row : table.rows) {
            if (!match && row.name == shown.name && row.code == shown.code) {
                match = &row;
            }
        }
        if (!match) {
            continue;
        }
        for (auto& delay :
             screens::reportRowDelays(m_flow->input(furnace), report.tally, table.reasonsOf(*match), scope)) {
            m_shownDelays.push_back({furnace, std::move(delay)});
        }
    }
    std::vector<ReportDelayRow> rows;
    const bool severalFurnaces = m_furnaceIndex == 0 && m_flow->furnaces().size() > 1;
    for (const auto& [furnace, item] : m_shownDelays) {
        const std::string heat =
            screens::reportDelayHeading(item, severalFurnaces ? m_flow->furnaces()[furnace].furnace.name : "");
        rows.push_back({fromUtf8(heat), fromUtf8(screens::reportClockText(item.delay->startDate.date, m_flow->zone())),
                        tr("%1 min").arg(QString::fromStdString(screens::minutesText(item.time))),
                        fromUtf8(item.delay->comment.value_or(std::string()))});
    }
    m_delays.update(std::move(rows));
    m_shownLine = line;
    m_delaysTitle = m_rows.rows()[static_cast<std::size_t>(line)].name;
    m_delaysMessage.clear();
    emit delaysChanged();
}

void ShiftReportController::closeDelays()
{
    if (m_shownLine < 0 && m_shownDelays.empty()) {
        return;
    }
    m_shownLine = -1;
    m_shownDelays.clear();
    m_delays.update({});
    m_delaysMessage.clear();
    emit delaysChanged();
}

bool ShiftReportController::openDelay(int index)
{
    if (index < 0 || index >= static_cast<int>(m_shownDelays.size()) || !m_heatsList) {
        return false;
    }
    const auto& [furnace, item] = m_shownDelays[static_cast<std::size_t>(index)];
    const auto& report = m_flow->furnaces()[furnace];
    const screens::HeatDelayIdentifier wanted{item.heat->heatId, item.delay->startDate.date};
    const auto& listed = m_heatsList->furnace();
    if (listed && listed->id == report.furnace.id) {
        if (selectListed(wanted)) {
            emit delayOpened();
            return true;
        }
        m_delaysMessage = tr("This delay is no longer in the heats list; refresh it.");
        emit delaysChanged();
        return false;
    }
    m_pendingOpen = PendingOpen{report.furnace.id, fromUtf8(report.furnace.name), wanted};
    m_delaysMessage = tr("Opening %1 in the heats list...").arg(m_pendingOpen->furnaceName);
    emit delaysChanged();
    m_heatsList->didSelectFurnace(report.furnace);
    m_pendingTimer.start();
    return false;
}

bool ShiftReportController::selectListed(const screens::HeatDelayIdentifier& delay)
{
    const auto& sections = m_heatsList->tableData();
    if (!sections) {
        return false;
    }
    for (std::size_t section = 0; section < sections->size(); ++section) {
        const auto& entry = (*sections)[section];
        if (entry.heatId != delay.heatId) {
            continue;
        }
        for (std::size_t row = 0; row < entry.items.size(); ++row) {
            if (entry.items[row].startDate == delay.delayStartDate) {
                m_heatsList->selectRow(section, row);
                return true;
            }
        }
    }
    return false;
}

void ShiftReportController::checkPendingOpen()
{
    if (!m_pendingOpen || !m_heatsList) {
        m_pendingTimer.stop();
        return;
    }
    auto& pending = *m_pendingOpen;
    const auto& listed = m_heatsList->furnace();
    const bool there = listed && listed->id == pending.furnaceId;
    if (there && !m_heatsList->isBusy() && selectListed(pending.delay)) {
        m_pendingOpen.reset();
        m_pendingTimer.stop();
        m_delaysMessage.clear();
        emit delaysChanged();
        emit delayOpened();
        return;
    }
    // A question, a download or a read still runs; a few quiet checks in a row mean the list is done with it.
    constexpr int quietChecks = 4;
    constexpr int mostChecks = 1200; // a minute
    pending.idleChecks = m_heatsList->isBusy() ? 0 : pending.idleChecks + 1;
    if (pending.idleChecks < quietChecks && ++pending.checks < mostChecks) {
        return;
    }
    m_delaysMessage =
        there
            ? tr("This delay is no longer in the heats list; refresh it.")
            : tr("The heats list shows another furnace: choose %1 there to open this delay.").arg(pending.furnaceName);
    m_pendingOpen.reset();
    m_pendingTimer.stop();
    emit delaysChanged();
}

std::optional<screens::HeatDelayIdentifier> ShiftReportController::listedDelay(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_shownDelays.size())) {
        return std::nullopt;
    }
    const auto& item = m_shownDelays[static_cast<std::size_t>(index)].delay;
    return screens::HeatDelayIdentifier{item.heat->heatId, item.delay->startDate.date};
}

std::string ShiftReportController::csv() const
{
    std::vector<screens::ReportCsvPart> parts{{furnaceTitle().toStdString(), &m_tally}};
    const std::optional<std::size_t> onlyShift =
        m_tabIndex > 0 ? std::optional<std::size_t>(static_cast<std::size_t>(m_tabIndex) - 1) : std::nullopt;
    return screens::reportCsv(parts, grouping(), onlyShift);
}

QString ShiftReportController::exportCsv(const QString& path) const
{
    QFile file(localPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return tr("The file could not be written: %1").arg(file.errorString());
    }
    const std::string bytes = csv();
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.flush()) {
        return tr("The file could not be written: %1").arg(file.errorString());
    }
    return {};
}

QString ShiftReportController::exportPdf(const QString& path) const
{
    const QString target = localPath(path);
    {
        // QPdfWriter reports no failure of its own; a file we cannot open is caught here.
        QFile probe(target);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return tr("The file could not be written: %1").arg(probe.errorString());
        }
    }
    QPdfWriter writer(target);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setResolution(96);
    writer.setTitle(title());
    QPainter painter(&writer);
    if (!painter.isActive()) {
        return tr("The PDF could not be written.");
    }
    const QRectF page = painter.viewport();
    const qreal margin = 8;
    qreal y = 0;
    const auto text = [&](const QString& line, int pixelSize, bool bold = false) {
        QFont font = ChartDrawing::labelFont(bold);
        font.setPixelSize(pixelSize);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const qreal height = pixelSize * 1.5;
        painter.drawText(QRectF(margin, y, page.width() - 2 * margin, height), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += height;
    };
    text(title(), 20, true);
    text(QStringLiteral("%1 · %2 · %3").arg(furnaceTitle(), tabs().value(m_tabIndex), m_periodText), 12);
    text(m_totalText, 12);
    text(tr("Printed %1").arg(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"))), 10);
    y += 6;

    // The chart as the screen lays it out, at the page's width.
    ParetoChartModel chart;
    chart.setBars(m_chartBars);
    chart.setWidth(page.width() - 2 * margin);
    chart.setHeight(page.height() * 0.4);
    painter.save();
    painter.translate(margin, y);
    painter.setFont(ChartDrawing::labelFont());
    for (const auto& bar : chart.bars()->rows()) {
        painter.fillRect(bar.frame, bar.fill);
        if (bar.outlined) {
            painter.setPen(Qt::black);
            painter.drawRect(bar.frame);
        }
    }
    painter.setPen(chart.labelsTextColor());
    {
        // Narrow bars: a smaller font, and a label cut to its bar rather than run into the next.
        QFont small = ChartDrawing::labelFont();
        small.setPixelSize(9);
        painter.setFont(small);
        const QFontMetricsF metrics(small);
        for (const auto& label : chart.barLabels()->rows()) {
            painter.drawText(label.frame, Qt::AlignHCenter | Qt::AlignTop,
                             metrics.elidedText(label.caption, Qt::ElideRight, label.frame.width() - 2));
        }
        painter.setFont(ChartDrawing::labelFont());
    }
    for (const auto& label : chart.scaleLabels()->rows()) {
        painter.drawText(label.frame, Qt::AlignRight | Qt::AlignVCenter, label.caption);
    }
    painter.setPen(QPen(chart.markColor(), 1, Qt::DashLine));
    painter.drawLine(chart.markFrame().topLeft(), chart.markFrame().topRight());
    painter.drawText(chart.markLabel(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("80 %"));
    painter.setPen(QPen(chart.lineColor(), 2));
    const auto& points = chart.cumulativePoints()->rows();
    for (std::size_t i = 1; i < points.size(); ++i) {
        painter.drawLine(points[i - 1].frame.center(), points[i].frame.center());
    }
    painter.setPen(QPen(chart.lineColor(), 1));
    painter.drawLine(chart.plotFrame().bottomLeft(), chart.plotFrame().bottomRight());
    painter.restore();
    y += chart.height() + 10;

    // The table, as many lines as the page holds.
    const std::array<qreal, 6> columns{0, 0.42, 0.55, 0.67, 0.77, 0.88};
    const qreal tableWidth = page.width() - 2 * margin;
    const auto tableLine = [&](const QStringList& cells, bool bold, const QColor& ground) {
        QFont font = ChartDrawing::labelFont(bold);
        font.setPixelSize(11);
        painter.setFont(font);
        const qreal height = 16;
        if (ground.isValid()) {
            painter.fillRect(QRectF(margin, y, tableWidth, height), ground);
        }
        painter.setPen(Qt::black);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const qreal left = margin + tableWidth * columns[c];
            const qreal right = margin + tableWidth * (c + 1 < columns.size() ? columns[c + 1] : 1.0);
            painter.drawText(QRectF(left + 2, y, right - left - 4, height),
                             (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             cells.value(static_cast<int>(c)));
        }
        y += height;
    };
    tableLine({tr("Reason"), tr("Code"), tr("Minutes"), tr("Count"), tr("Share"), tr("Cumulative")}, true, {});
    const auto& rows = m_rows.rows();
    const auto printRow = [&](const ReportTableRow& row) {
        tableLine({row.name, row.code, row.minutes, QString::number(row.count), row.share, row.cumulative}, false,
                  row.unclassified ? unknownColor.lighter(170) : QColor());
    };
    // The unclassified line is always printed, last; the smallest reasons give way to it when the page is full.
    const bool unclassifiedLast = !rows.empty() && rows.back().unclassified;
    const std::size_t classified = rows.size() - (unclassifiedLast ? 1 : 0);
    const qreal lineHeight = 16;
    const int fit = static_cast<int>((page.height() - y) / lineHeight) - (unclassifiedLast ? 1 : 0);
    const std::size_t room = fit > 0 ? static_cast<std::size_t>(fit) : 0;
    const std::size_t printed = classified <= room ? classified : room > 0 ? room - 1 : 0;
    for (std::size_t i = 0; i < printed; ++i) {
        printRow(rows[i]);
    }
    if (printed < classified) {
        tableLine({tr("… %n more lines", nullptr, static_cast<int>(classified - printed))}, false, {});
    }
    if (unclassifiedLast) {
        printRow(rows.back());
    }
    return painter.end() ? QString() : tr("The PDF could not be written.");
}

} // namespace orvendel::app
