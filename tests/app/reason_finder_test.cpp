// The reason finder's window offscreen, over a flow reading a stored tree: opened on a reason, tapped with
// the mouse and the keys, assigned and closed.
#include "app/controllers/qt_executor.hpp"
#include "app/controllers/reason_finder_controller.hpp"
#include "core/service/wire_records.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "support/gui_driver.hpp"

#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <future>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

namespace {

constexpr int furnaceId = 2;

wire::JSON_Reason node(std::optional<int> id, int categoryId, std::string description,
                       std::vector<wire::JSON_Reason> children = {})
{
    wire::JSON_Reason reason{id, categoryId, description, description, "rgb(1, 2, 3)", std::nullopt};
    if (!children.empty()) {
        reason.childReasons = std::move(children);
    }
    return reason;
}

using orvendel::testing::findVisible;

} // namespace

class ReasonFinderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_data;
    flows::ContextPtr m_context;
    std::unique_ptr<QObject> m_owner;
    std::vector<Reason> m_assigned;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    app::ReasonFinderController* m_controller = nullptr;

    QQuickWindow* window() const
    {
        return m_engine->rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(m_engine->rootObjects()[0]);
    }
    QQuickItem* item(const QString& name) const
    {
        return window() ? findVisible(window()->contentItem(), name) : nullptr;
    }
    QQuickItem* row(const QString& description) const { return item("reasonRow_" + description); }
    bool click(QQuickItem* target)
    {
        if (!target) {
            return false;
        }
        const QPointF middle = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(window(), Qt::LeftButton, {}, middle.toPoint());
        return true;
    }
    bool checked(const QString& description) const
    {
        auto* found = row(description);
        return found && found->property("isChecked").toBool();
    }

    // The finder opened on `reasonId` over the stored tree, in a window of its own.
    void open(std::optional<int> reasonId)
    {
        auto executor = std::make_shared<app::QtExecutor>(m_owner.get());
        auto flow = flows::ReasonFinderFlow::create({m_context, executor}, reasonId,
                                                    [this](const Reason& reason) { m_assigned.push_back(reason); }, {});
        m_controller = new app::ReasonFinderController(flow, m_owner.get());
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_engine->rootContext()->setContextProperty(QStringLiteral("finderController"), m_controller);
        m_engine->loadData(R"(
            import QtQuick
            import QtQuick.Controls.Basic
            import Orvendel
            ApplicationWindow {
                width: 700; height: 700; visible: true
                ReasonFinder { controller: finderController; Component.onCompleted: open() }
            })");
        QVERIFY(window());
        QVERIFY(QTest::qWaitForWindowExposed(window()));
    }

private slots:
    void initTestCase()
    {
        m_context = testing::unsignedContext(m_data.path().toStdString());
        QVERIFY(m_context->database->openUserDatabase("tester"));
        QVERIFY(m_context->configuration->createConfigurationFile("tester"));
        QVERIFY(m_context->configuration->loadConfiguration("tester"));
        m_context->configuration->setSelectedFurnaceId(furnaceId);
        // C1 holds C2 and R8, C2 holds R7; "Loose" is a top-level leaf the tree does not show.
        std::promise<bool> stored;
        m_context->database->storeReasons(
            furnaceId,
            wire_records::reasonRows(
                {node(std::nullopt, 1, "C1", {node(std::nullopt, 2, "C2", {node(7, 70, "R7")}), node(8, 80, "R8")}),
                 node(9, 90, "Loose")}),
            [&](Result<void> done) { stored.set_value(bool(done)); });
        QVERIFY(stored.get_future().get());
    }

    void init()
    {
        m_owner = std::make_unique<QObject>();
        m_assigned.clear();
    }

    void cleanup()
    {
        m_engine.reset();
        m_owner.reset();
    }

    void cleanupTestCase() { m_context.reset(); }

    void opensOnTheCurrentReasonWithItsBranchOpen()
    {
        open(7);
        QTRY_VERIFY(checked("R7"));
        QVERIFY(row("C1") && row("C2") && row("R8"));
        QCOMPARE(row("C2")->property("isExpanded").toBool(), true);
        QCOMPARE(m_controller->checkedRow(), 2);
        QVERIFY(m_controller->assignEnabled());
        QVERIFY(item("reasonFinderAssign")->isEnabled());
        QVERIFY(!item("reasonFinderNoData"));
        // Indented 20 points per level.
        QCOMPARE(row("R7")->childItems()[0]->x() - row("C1")->childItems()[0]->x(), 40.0);
        QCOMPARE(row("R7")->height(), 60.0);

        // A category closes and opens; the selection stays. Its rows leave the list without a reset, so the
        // view keeps its place.
        QSignalSpy removed(m_controller->rows(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(m_controller->rows(), &QAbstractItemModel::modelReset);
        QVERIFY(click(row("C2")));
        QTRY_VERIFY(!row("R7"));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(m_controller->checkedRow(), -1);
        QVERIFY(m_controller->assignEnabled());
        QVERIFY(click(row("C2")));
        QTRY_VERIFY(checked("R7"));

        // Another leaf; then Assign hands it over and closes.
        QSignalSpy finished(m_controller, &app::ReasonFinderController::finished);
        QVERIFY(click(row("R8")));
        QTRY_VERIFY(checked("R8"));
        QVERIFY(!checked("R7"));
        QVERIFY(click(item("reasonFinderAssign")));
        QCOMPARE(m_assigned.size(), std::size_t(1));
        QCOMPARE(m_assigned[0].id, std::optional<int>(8));
        QCOMPARE(finished.count(), 1);
        QTRY_VERIFY(!row("R8"));
    }

    void keysMoveTapAndClose()
    {
        open(std::nullopt);
        QTRY_VERIFY(row("C1"));
        QVERIFY(!row("C2")); // nothing preselected: everything closed
        QVERIFY(!m_controller->assignEnabled());
        QVERIFY(!item("reasonFinderAssign")->isEnabled());
        QTest::keyClick(window(), Qt::Key_Return); // C1 opens
        QTRY_VERIFY(row("R8"));
        QTest::keyClick(window(), Qt::Key_Down);
        QTest::keyClick(window(), Qt::Key_Down);
        QTest::keyClick(window(), Qt::Key_Space);
        QTRY_VERIFY(checked("R8"));
        QVERIFY(m_controller->assignEnabled());

        QSignalSpy finished(m_controller, &app::ReasonFinderController::finished);
        QTest::keyClick(window(), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
        QVERIFY(m_assigned.empty());
    }

    void aReasonOutsideTheTreeIsNotPreselected()
    {
        open(9);
        QTRY_VERIFY(row("C1"));
        QVERIFY(!row("Loose"));
        QVERIFY(!m_controller->assignEnabled());
        m_controller->assign();
        QVERIFY(m_assigned.empty());
    }

    void aCategoryOpenedNearTheBottomBringsItsReasonsIntoView()
    {
        // Twelve categories of three reasons: the ninth is the last whole row in view.
        std::vector<wire::JSON_Reason> categories;
        for (int c = 1; c <= 12; ++c) {
            std::vector<wire::JSON_Reason> reasons;
            for (int r = 1; r <= 3; ++r) {
                reasons.push_back(node(c * 10 + r, c * 100 + r, "K" + std::to_string(c) + "-" + std::to_string(r)));
            }
            categories.push_back(node(std::nullopt, c, "K" + std::to_string(c), std::move(reasons)));
        }
        std::promise<bool> stored;
        m_context->database->storeReasons(furnaceId + 2, wire_records::reasonRows(categories),
                                          [&](Result<void> done) { stored.set_value(bool(done)); });
        QVERIFY(stored.get_future().get());
        m_context->configuration->setSelectedFurnaceId(furnaceId + 2);
        open(std::nullopt);
        m_context->configuration->setSelectedFurnaceId(furnaceId);
        QTRY_VERIFY(row("K1") && row("K2") && row("K2")->y() > 0);
        auto* tree = item("reasonTree");
        // The lowest category whose row is wholly in view, with another below it.
        QString last;
        double lowest = -1;
        int below = 0;
        for (int c = 1; c <= 12; ++c) {
            auto* category = row("K" + QString::number(c));
            const double y = category ? category->mapToItem(tree, QPointF(0, 0)).y() : -1;
            if (category && y + 60 <= tree->height() && y > lowest) {
                lowest = y;
                last = "K" + QString::number(c);
            }
            below += category && y + 60 > tree->height() ? 1 : 0;
        }
        QVERIFY(!last.isEmpty() && below > 0);
        QVERIFY(click(row(last)));
        QTRY_VERIFY(row(last + "-3"));
        QTRY_VERIFY(row(last + "-3")->mapToItem(tree, QPointF(0, 60)).y() <= tree->height() + 0.5);
        QVERIFY(row(last)->mapToItem(tree, QPointF(0, 0)).y() >= -0.5); // the category stays in view
    }

    void aFurnaceWithoutReasonsShowsTheNoDataPanel()
    {
        m_context->configuration->setSelectedFurnaceId(furnaceId + 1);
        open(std::nullopt);
        m_context->configuration->setSelectedFurnaceId(furnaceId);
        QTRY_VERIFY(item("reasonFinderNoData"));
        QVERIFY(!item("reasonTree"));
        QVERIFY(!m_controller->assignEnabled());
        QCOMPARE(m_controller->noDataText(), QString("There are no reasons available. Try refreshing."));
    }
};

QTEST_MAIN(ReasonFinderTest)
#include "reason_finder_test.moc"
