// The two heat charts as drawn: each view loaded offscreen over its model, its items' frames read back
// from the item tree and held against the core's geometry; the raised selected segment, taps on segments,
// empty and zero-length heats, and that nothing is recomputed while the chart only repaints.
#include "app/controllers/bar_chart_model.hpp"
#include "app/controllers/chart_drawing.hpp"
#include "app/controllers/power_off_chart_model.hpp"
#include "core/screens/bar_chart_layout.hpp"
#include "core/screens/power_off_chart.hpp"
#include "core/screens/power_off_chart_layout.hpp"
#include "core/support/log.hpp"
#include "support/gui_driver.hpp"
#include "support/heat_records.hpp"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <type_traits>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;
using app::ChartDrawing::toQRectF;
using screens::Rect;
using test::at;
using test::delay;
using test::heat;

namespace {

QQuickItem* find(QQuickItem* root, const QString& name)
{
    if (!root || root->objectName() == name) {
        return root;
    }
    for (auto* child : root->childItems()) {
        if (auto* found = find(child, name)) {
            return found;
        }
    }
    return nullptr;
}

int countNamed(QQuickItem* root, const QString& prefix)
{
    int count = root->objectName().startsWith(prefix) ? 1 : 0;
    for (auto* child : root->childItems()) {
        count += countNamed(child, prefix);
    }
    return count;
}

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) <= tolerance;
}

// The item's frame in its parent against the expected one; a message naming both when they differ.
QString frameMismatch(QQuickItem* item, const Rect& expected, double tolerance = 1e-6)
{
    if (!item) {
        return QStringLiteral("no item");
    }
    if (near(item->x(), expected.x, tolerance) && near(item->y(), expected.y, tolerance) &&
        near(item->width(), expected.width, tolerance) && near(item->height(), expected.height, tolerance)) {
        return {};
    }
    return QStringLiteral("%1 at (%2, %3, %4, %5), expected (%6, %7, %8, %9)")
        .arg(item->objectName())
        .arg(item->x())
        .arg(item->y())
        .arg(item->width())
        .arg(item->height())
        .arg(expected.x)
        .arg(expected.y)
        .arg(expected.width)
        .arg(expected.height);
}

// The colour drawn at a point of the segment container, from a grab of the whole window.
QColor drawnInBand(QQuickItem* root, const QImage& window, QPointF at)
{
    const QPoint pixel = find(root, "powerOffSegmentContainer")->mapToScene(at).toPoint();
    return window.pixelColor(pixel);
}

// A chart view over its own model, offscreen; `root` stays null when the view does not come up.
template <typename Model>
struct ShownChart {
    Model model;
    std::unique_ptr<QQuickView> view = std::make_unique<QQuickView>();
    QQuickItem* root = nullptr;

    explicit ShownChart(QSize size)
    {
        view->engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        view->setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(&model)}});
        view->setResizeMode(QQuickView::SizeRootObjectToView);
        view->resize(size);
        const bool bars = std::is_same_v<Model, app::BarChartModel>;
        view->setSource(
            QUrl(QStringLiteral("qrc:/qt/qml/Orvendel/qml/%1.qml").arg(bars ? "BarChart" : "PowerOffChart")));
        if (view->status() == QQuickView::Ready && view->rootObject()) {
            view->show();
            root = QTest::qWaitForWindowExposed(view.get()) ? view->rootObject() : nullptr;
        }
    }
};
using PowerOffView = ShownChart<app::PowerOffChartModel>;
using BarView = ShownChart<app::BarChartModel>;

} // namespace

class ChartsTest : public QObject {
    Q_OBJECT

    // 3600 s: reason 5 at 600–900, reason 7 at 1800–2000, reason 5 again right after (no gap), then a tail.
    // Reason 7's short text comes inside a right-to-left override, which the legend must not apply.
    HeatPtr threeDelays()
    {
        auto overridden = delay(1, 1800, 2000, 7, "rgb(0, 0, 255)");
        overridden->reasonShortDescription = "\xE2\x80\xAER7\xE2\x80\xAC";
        return heat(1, 0, 3600, std::vector{delay(1, 600, 900, 5), overridden, delay(1, 2001, 2400, 5)});
    }

    screens::Rect segmentContainer(double width, double height)
    {
        return screens::PowerOffChartLayout::rows(width, height, 0).segmentContainer;
    }

private slots:
    void powerOffChartDrawsTheCoreGeometry()
    {
        PowerOffView chart({500, 200});
        QVERIFY(chart.root);
        auto& [model, view, root] = chart;

        // Before a heat: placeholders and an empty band.
        QCOMPARE(find(root, "powerOffStartTimeValue")->property("text").toString(), QString("00:00:00 AM"));
        QCOMPARE(find(root, "powerOffEndTimeValue")->property("text").toString(), QString("00:00:00 PM"));
        QCOMPARE(find(root, "powerOffStartTimeLabel")->property("text").toString(), QString("Start Time:"));
        QVERIFY(model.segments().empty());

        const auto h = threeDelays();
        model.setHeat(h, at(1800));
        QCoreApplication::processEvents();

        const auto rows = screens::PowerOffChartLayout::rows(500, 200, 0);
        QCOMPARE(frameMismatch(find(root, "powerOffSegmentContainer"), rows.segmentContainer), QString());
        QCOMPARE(frameMismatch(find(root, "powerOffShadowView"), rows.shadowView), QString());
        const auto band = find(root, "powerOffBand");
        QCOMPARE(frameMismatch(band, rows.bandContainer), QString());
        QCOMPARE(frameMismatch(find(root, "powerOffTimes"), rows.timesRow), QString());

        const auto expected =
            screens::buildPowerOffChart(*h, at(1800), rows.segmentContainer.width, rows.segmentContainer.height);
        // gap, delay, gap, delay, delay, tail gap: each drawn in its colour where the core puts it.
        QCOMPARE(expected.segments.size(), 6u);
        QCOMPARE(model.segments().size(), 6u);
        const QImage drawn = view->grabWindow();
        const QList<int> delayIndexes{-1, 0, -1, 1, 2, -1};
        for (int i = 0; i < 6; ++i) {
            const auto& segment = model.segments()[static_cast<std::size_t>(i)];
            const auto& frame = expected.segments[static_cast<std::size_t>(i)].frame;
            QCOMPARE(segment.frame, toQRectF(frame));
            QCOMPARE(model.delayIndexAt(i), delayIndexes[i]);
            const QColor colour = delayIndexes[i] < 0    ? QColor(208, 208, 208)
                                  : delayIndexes[i] == 1 ? QColor(0, 0, 255)
                                                         : QColor(200, 0, 0);
            QCOMPARE(segment.fill, colour);
            QCOMPARE(drawnInBand(root, drawn, segment.frame.center()), colour);
        }
        // The selected delay is raised into the band's free quarter, enlarged, drawn over its neighbours.
        QCOMPARE(model.selectedIndex(), 3);
        const QRectF selected = model.segments()[3].frame;
        QVERIFY(selected.top() < 0);
        QVERIFY(find(root, "powerOffSegmentContainer")->mapToItem(band, selected.topLeft()).y() >= 0);
        QVERIFY(selected.right() > model.segments()[4].frame.left());
        const QPointF aboveTheBand(selected.center().x(), selected.top() + 1);
        QCOMPARE(drawnInBand(root, drawn, aboveTheBand), QColor(0, 0, 255));
        QCOMPARE(drawnInBand(root, drawn, QPointF(selected.right() - 1, model.segments()[4].frame.center().y())),
                 QColor(0, 0, 255));

        // Legends: one per reason, a circle as high as its label, the row centred in the chart.
        QCOMPARE(countNamed(root, "legendSwatch_"), 2);
        auto* swatch = find(root, "legendSwatch_1");
        auto* label = find(root, "legendLabel_1");
        QCOMPARE(label->property("text").toString(), QString("R7"));
        QCOMPARE(swatch->property("color").value<QColor>(), QColor(0, 0, 255));
        QCOMPARE(swatch->property("radius").toDouble(), swatch->width() / 2);
        QCOMPARE(swatch->height(), label->height());
        QCOMPARE(label->x(), swatch->x() + swatch->width() + 2);
        auto* legends = find(root, "powerOffLegends");
        QVERIFY(near(legends->x() + legends->width() / 2, 250));
        QVERIFY(near(legends->y(), 16));
        // The model measures labels as the view's texts lay them out.
        QVERIFY(near(label->property("implicitWidth").toDouble(), label->width(), 1));
        QVERIFY(near(label->property("implicitHeight").toDouble(), label->height(), 1));

        // Times in UTC; the value labels run from the captions to the middle and to the end.
        QCOMPARE(find(root, "powerOffStartTimeValue")->property("text").toString(), QString("Mar 07, 08:00:00"));
        QCOMPARE(find(root, "powerOffEndTimeValue")->property("text").toString(), QString("Mar 07, 09:00:00"));
        auto* startLabel = find(root, "powerOffStartTimeLabel");
        auto* startValue = find(root, "powerOffStartTimeValue");
        auto* endLabel = find(root, "powerOffEndTimeLabel");
        QVERIFY(near(startLabel->property("implicitWidth").toDouble(), startLabel->width(), 1));
        QVERIFY(near(startValue->x(), startLabel->width() + 4));
        QVERIFY(near(endLabel->x(), rows.timesRow.width / 2));
        QVERIFY(near(startValue->x() + startValue->width(), endLabel->x()));
    }

    void selectionMovesTheRaisedSegmentAndOnlyRealChangesRecompute()
    {
        PowerOffView chart({500, 200});
        QVERIFY(chart.root);
        auto& [model, view, root] = chart;
        const auto h = threeDelays();
        model.setHeat(h, at(600));
        QCoreApplication::processEvents();
        QVERIFY(model.segments()[1].frame.y() < 0);

        const int before = model.recomputations();
        model.setSelectedStart(at(2001));
        QCoreApplication::processEvents();
        QCOMPARE(model.recomputations(), before + 1);
        QCOMPARE(model.segments()[1].frame.y(), 0.0);
        const auto c = segmentContainer(500, 200);
        const auto expected = screens::powerOffSegments(*h, at(2001), c.width, c.height);
        QCOMPARE(model.segments()[4].frame, toQRectF(expected[4].frame));
        QVERIFY(expected[4].frame.y < 0);
        // The band is drawn again: the raised part shows the newly selected delay and no longer the first.
        const QImage drawn = view->grabWindow();
        QCOMPARE(drawnInBand(root, drawn, model.segments()[4].frame.center() - QPointF(0, 4)), QColor(200, 0, 0));
        QVERIFY(drawnInBand(root, drawn, QPointF(model.segments()[1].frame.center().x(), -2)) != QColor(200, 0, 0));

        // Repaints, the same selection and the same size change nothing.
        model.setSelectedStart(at(2001));
        model.setWidth(500);
        view->update();
        QVERIFY(!view->grabWindow().isNull());
        orvendel::testing::settle(view.get());
        QCOMPARE(model.recomputations(), before + 1);

        view->resize(600, 200);
        QTRY_COMPARE(model.width(), 600.0);
        const auto wider = segmentContainer(600, 200);
        QCOMPARE(model.segments()[4].frame,
                 toQRectF(screens::powerOffSegments(*h, at(2001), wider.width, wider.height)[4].frame));

        // No selection: nothing raised.
        model.setSelectedStart(std::nullopt);
        QCoreApplication::processEvents();
        QCOMPARE(model.selectedIndex(), -1);
        for (const auto& segment : model.segments()) {
            QVERIFY(segment.frame.y() >= 0 && !segment.selected);
        }
    }

    void tappingADelaySegmentNamesItsDelayAndAGapDoesNothing()
    {
        PowerOffView chart({500, 200});
        QVERIFY(chart.root);
        auto& [model, view, root] = chart;
        model.setHeat(threeDelays(), at(600));
        QCoreApplication::processEvents();
        QSignalSpy tapped(root, SIGNAL(segmentTapped(int)));

        const auto tap = [&](int segment) {
            const QPointF centre = model.segments()[static_cast<std::size_t>(segment)].frame.center();
            QTest::mouseClick(view.get(), Qt::LeftButton, {},
                              find(root, "powerOffSegmentContainer")->mapToScene(centre).toPoint());
        };
        tap(3);
        QCOMPARE(tapped.count(), 1);
        QCOMPARE(tapped.takeFirst().at(0).toInt(), 1);
        tap(0);
        tap(5);
        QCOMPARE(tapped.count(), 0);
        tap(1); // the raised one
        QCOMPARE(tapped.count(), 1);
        QCOMPARE(tapped.takeFirst().at(0).toInt(), 0);

        // The first delay split in two: a tap on either piece names its own delay.
        const auto original = threeDelays();
        auto pieces = *original->delays;
        pieces[0] = delay(1, 600, 750, 5);
        pieces.insert(pieces.begin() + 1, delay(1, 750, 900, 5));
        model.setHeat(heat(1, 0, 3600, pieces), at(750));
        QCoreApplication::processEvents();
        QCOMPARE(model.segments().size(), 7u);
        for (int segment = 0; segment < 7; ++segment) {
            const int index = model.delayIndexAt(segment);
            if (index >= 0) {
                tap(segment);
                QCOMPARE(tapped.count(), 1);
                QCOMPARE(tapped.takeFirst().at(0).toInt(), index);
                QCOMPARE(model.chartSegments()[static_cast<std::size_t>(segment)].delay,
                         pieces[static_cast<std::size_t>(index)]);
            }
        }
    }

    void emptyAndZeroLengthHeatsDrawNoSegmentsOrBars()
    {
        PowerOffView powerOff({500, 200});
        BarView bars({428, 220});
        QVERIFY(powerOff.root && bars.root);
        QCOMPARE(countNamed(bars.root, "barChartAxis_"), 0); // nothing before a heat

        ScopedLogCapture log;
        const auto zeroLength = heat(1, 100, 100, std::vector{delay(1, 100, 100, 5)});
        powerOff.model.setHeat(zeroLength, at(100));
        bars.model.setHeat(zeroLength);
        QCoreApplication::processEvents();
        QVERIFY(powerOff.model.segments().empty());
        QCOMPARE(countNamed(powerOff.root, "legendSwatch_"), 1);
        QCOMPARE(countNamed(bars.root, "barChartBar_"), 0);
        QCOMPARE(countNamed(bars.root, "barChartAxis_"), 2);
        QCOMPARE(countNamed(bars.root, "barChartGridLine_"), 13);
        QCOMPARE(countNamed(bars.root, "barChartScaleLabel_"), 0);

        powerOff.model.setHeat(heat(1, 0, 3600, std::nullopt), std::nullopt);
        QCoreApplication::processEvents();
        QVERIFY(log.contains("There are no delays"));
        QCOMPARE(countNamed(powerOff.root, "legendSwatch_"), 0);
        QCOMPARE(find(powerOff.root, "powerOffEndTimeValue")->property("text").toString(), QString("Mar 07, 09:00:00"));

        powerOff.model.setHeat(nullptr, std::nullopt);
        bars.model.setHeat(nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(find(powerOff.root, "powerOffStartTimeValue")->property("text").toString(), QString("00:00:00 AM"));
        QCOMPARE(countNamed(bars.root, "barChartAxis_"), 0);
    }

    void barChartDrawsTheCoreGeometry()
    {
        BarView chart({428, 220});
        QVERIFY(chart.root);
        auto& [model, view, root] = chart;

        // 18 % and 9 % of the heat and a sliver too short to hold its value.
        ScopedLogCapture log;
        const auto h =
            heat(1, 0, 1000,
                 std::vector{delay(1, 0, 180, 5), delay(1, 200, 290, 7, "rgb(0, 0, 255)"), delay(1, 300, 301, 9)});
        model.setHeat(h);
        QCoreApplication::processEvents();
        QCOMPARE(log.lines(), (std::vector<std::string>{"-------- SORTED SUMMARIZED DELAYS ----------",
                                                        "VarVal - R5 - 5", "VarVal - R7 - 7", "VarVal - R9 - 9",
                                                        "--------------------------------------------"}));

        const auto g = screens::BarChartLayout::geometry(screens::delaySummary(*h), 428, 220);
        QCOMPARE(countNamed(root, "barChartBar_"), 3);
        for (int i = 0; i < 3; ++i) {
            const auto& bar = g.bars[i];
            QCOMPARE(frameMismatch(find(root, QStringLiteral("barChartBar_%1").arg(i)), bar.frame), QString());
            QCOMPARE(frameMismatch(find(root, QStringLiteral("barChartNameLabel_%1").arg(i)), g.nameLabels[i].frame),
                     QString());
            // The value label where its own natural width puts it, inside or after the bar.
            auto* value = find(root, QStringLiteral("barChartValueLabel_%1").arg(i));
            QCOMPARE(value->property("text").toString(), QString::fromStdString(bar.valueText));
            const double natural = value->property("implicitWidth").toDouble();
            QCOMPARE(frameMismatch(value, screens::BarChartLayout::valueLabelFrame(bar.frame, natural), 1), QString());
        }
        auto* longest = find(root, "barChartBar_0");
        QVERIFY(near(longest->x() + longest->width(), 92 + 320)); // 18 % on a full scale of 18
        QVERIFY(find(root, "barChartValueLabel_0")->x() < longest->x() + longest->width());
        auto* sliver = find(root, "barChartBar_2");
        QVERIFY(find(root, "barChartValueLabel_2")->x() >= sliver->x() + sliver->width() + 1);
        QCOMPARE(find(root, "barChartBar_1")->property("color").value<QColor>(), QColor(0, 0, 255));

        for (int k = 0; k < 10; ++k) {
            auto* label = find(root, QStringLiteral("barChartScaleLabel_%1").arg(k));
            QCOMPARE(frameMismatch(label, g.scaleLabels[k].frame), QString());
            QCOMPARE(label->property("text").toString(), QString::number(2 * k));
        }
        // Lines are one-pixel rectangles on the pixel the core's half-point line falls in: thinner, or between
        // two pixels, the renderer leaves some of them out.
        auto* xAxis = find(root, "barChartAxis_0");
        QCOMPARE(frameMismatch(xAxis, Rect{92, 189, 320, 1}), QString());
        QCOMPARE(countNamed(root, "barChartGridLine_"), 13);
        double previous = 92;
        for (int k = 4; k < 13; ++k) {
            auto* line = find(root, QStringLiteral("barChartGridLine_%1").arg(k));
            QVERIFY(line->isVisible());
            QCOMPARE(line->width(), 1.0);
            QCOMPARE(line->x(), std::floor(line->x()));
            QVERIFY2(line->x() - previous >= 35 && line->x() - previous <= 36.5,
                     qPrintable(QString::number(line->x())));
            previous = line->x();
        }
        QCOMPARE(frameMismatch(find(root, "barChartGridLine_12"), Rect{411, 10, 1, 180}), QString());

        // A repaint recomputes nothing; a new size does.
        const int before = model.recomputations();
        view->update();
        orvendel::testing::settle(view.get());
        QCOMPARE(model.recomputations(), before);
        view->resize(528, 220);
        QTRY_COMPARE(model.width(), 528.0);
        QCOMPARE(frameMismatch(find(root, "barChartBar_0"),
                               screens::BarChartLayout::geometry(screens::delaySummary(*h), 528, 220).bars[0].frame),
                 QString());
    }

    // Delays out of order, one starting before the heat: every segment inside the chart's box, which clips.
    void aDelayOutsideItsHeatStaysInTheChartsBox()
    {
        PowerOffView chart({432, 156});
        QVERIFY(chart.root);
        auto& [model, view, root] = chart;
        model.setHeat(heat(1, 100, 400, std::vector{delay(1, 150, 200, 5), delay(1, 20, 60, 7, "rgb(255, 255, 255)")}),
                      at(20));
        QCoreApplication::processEvents();
        QVERIFY(root->clip());
        QVERIFY(model.segments().size() >= 3u);
        auto* container = find(root, "powerOffSegmentContainer");
        for (const auto& segment : model.segments()) {
            const QRectF frame = container->mapRectToItem(root, segment.frame);
            QVERIFY2(frame.left() >= 16 - 1e-6 && frame.right() <= 432 - 16 + 1e-6,
                     qPrintable(QStringLiteral("segment at %1..%2").arg(frame.left()).arg(frame.right())));
        }
        // The white reason is outlined in the band: a line drawn inside its frame.
        const auto white = std::find_if(model.segments().begin(), model.segments().end(),
                                        [](const auto& segment) { return segment.fill == QColor(Qt::white); });
        QVERIFY(white != model.segments().end() && white->outlined);
        const QImage drawn = view->grabWindow();
        QCOMPARE(drawnInBand(root, drawn, white->frame.center()), QColor(Qt::white));
        QCOMPARE(drawnInBand(root, drawn, QPointF(white->frame.center().x(), std::ceil(white->frame.top()))),
                 model.labelsTextColor());
    }
};

QTEST_MAIN(ChartsTest)
#include "charts_test.moc"
