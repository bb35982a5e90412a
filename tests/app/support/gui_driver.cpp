#include "support/gui_driver.hpp"

#include "core/platform/secret_store.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/credential_store.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QQuickItemGrabResult>
#include <QTest>
#include <QtQuickTest/quicktest.h>

namespace orvendel::testing {

QQuickItem* findVisible(QQuickItem* root, const QString& name)
{
    if (!root || !root->isVisible()) {
        return nullptr;
    }
    if (root->objectName() == name) {
        return root;
    }
    for (auto* child : root->childItems()) {
        if (auto* found = findVisible(child, name)) {
            return found;
        }
    }
    return nullptr;
}

flows::ContextPtr unsignedContext(const std::filesystem::path& folder)
{
    return flows::Context::create(
        {.credentialStore = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                              makeFileSecretStore(folder / "secrets")),
         .applicationSupportDirectory = [folder] { return std::optional(folder); }});
}

void settle(QQuickWindow* window)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (window) {
        QQuickTest::qWaitForPolish(window);
        // A synchronous frame: the scene graph syncs with the items and draws.
        window->grabWindow();
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

app::ApplicationController::Options GuiDriver::defaultOptions()
{
    app::ApplicationController::Options options;
    options.checkForUpdates = false;
    return options;
}

app::ApplicationController::Options GuiDriver::optionsFor(std::string serviceURL,
                                                          std::filesystem::path applicationSupportDirectory)
{
    auto options = defaultOptions();
    options.serviceURL = std::move(serviceURL);
    options.applicationSupportDirectory = std::move(applicationSupportDirectory);
    return options;
}

GuiDriver::GuiDriver(app::ApplicationController::Options options)
    : m_window(std::make_unique<app::AppWindow>(std::move(options)))
{
    m_loaded = m_window->load();
    if (m_loaded) {
        window()->resize(1024, 768);
        window()->show();
        m_loaded = QTest::qWaitForWindowExposed(window());
    }
}

GuiDriver::~GuiDriver() = default;

QQuickItem* GuiDriver::item(const QString& objectName) const
{
    return window() ? findVisible(window()->contentItem(), objectName) : nullptr;
}

bool GuiDriver::waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

bool GuiDriver::click(QQuickItem* item)
{
    return item && click(item, QPointF(item->width() / 2, item->height() / 2));
}

bool GuiDriver::click(QQuickItem* item, QPointF at)
{
    if (!item) {
        return false;
    }
    // Layouts settle at the next polish; a click before it could land where the item is not yet. A list
    // rebuilt meanwhile may take the item with it.
    const QPointer<QQuickItem> guarded(item);
    QQuickTest::qWaitForPolish(window());
    if (!guarded) {
        return false;
    }
    QTest::mouseClick(window(), Qt::LeftButton, {}, item->mapToScene(at).toPoint());
    QCoreApplication::processEvents();
    return true;
}

bool GuiDriver::type(const QString& objectName, const QString& text)
{
    auto* field = item(objectName);
    if (!field) {
        return false;
    }
    // Keys reach only the active window; after a minimise it is active again only once asked.
    if (!window()->isActive()) {
        window()->requestActivate();
        // No Wayland client can activate itself; there the compositor focuses the window once it is shown.
        const bool ready = QGuiApplication::platformName().startsWith("wayland")
                               ? QTest::qWaitForWindowExposed(window(), 2000)
                               : QTest::qWaitForWindowActive(window(), 2000);
        if (!ready) {
            return false;
        }
    }
    field->forceActiveFocus();
    for (const QChar c : text) {
        QTest::keyClick(window(), c.toLatin1());
    }
    QCoreApplication::processEvents();
    return true;
}

void GuiDriver::key(Qt::Key key)
{
    QTest::keyClick(window(), key);
    QCoreApplication::processEvents();
}

bool GuiDriver::chooseAlertButton(const QString& title)
{
    return click(QStringLiteral("alertButton_") + title);
}

bool GuiDriver::signIn(const QString& user, const QString& password)
{
    if (!waitFor([this] { return item("usernameField") != nullptr; })) {
        return false;
    }
    type("usernameField", user);
    key(Qt::Key_Return);
    type("passwordField", password);
    key(Qt::Key_Return);
    return waitFor([this] {
        auto* heats = controller().heatsList();
        return controller().screen() == "main" && heats && heats->model()->rowCount() > 0 && !heats->refreshing();
    });
}

QQuickItem* GuiDriver::listEntry(int index) const
{
    auto* list = item(QStringLiteral("heatsList"));
    if (!list) {
        return nullptr;
    }
    // Scrolled into view first: the list keeps delegates beyond its edges too, and a click there would
    // land on whatever covers that place.
    QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, index), Q_ARG(int, 2 /* Contain */));
    QCoreApplication::processEvents();
    QQuickItem* entry = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, entry), Q_ARG(int, index));
    return entry;
}

bool GuiDriver::grab(const QString& path)
{
    // Animations run on real time: a picture must wait for them to come to rest.
    QTest::qWait(400);
    const QImage image = window()->grabWindow();
    return !image.isNull() && image.save(path);
}

} // namespace orvendel::testing
