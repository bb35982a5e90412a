#pragma once

#include "app/app_window.hpp"
#include "core/flows/context.hpp"

#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace orvendel::testing {

// The first visible item of that object name in `root`'s tree, `root` included.
QQuickItem* findVisible(QQuickItem* root, const QString& name);

// Delivers what is queued for the GUI thread (window-system events included), lays the scene out and draws
// one frame. After it, whatever an input set off on this thread without a timer has happened, so a test
// can assert that something did not.
void settle(QQuickWindow* window);

// A session nobody has signed in to, over `folder`, its secrets in a file there instead of the desktop's store.
flows::ContextPtr unsignedContext(const std::filesystem::path& folder);

// Drives the real application window offscreen the way a person would: finds controls by their object
// name, clicks their middle and types into them. Used by the GUI tests and the screenshot tool.
// Thread contract: the GUI thread only.
class GuiDriver {
public:
    explicit GuiDriver(app::ApplicationController::Options options = defaultOptions());
    ~GuiDriver();

    static app::ApplicationController::Options defaultOptions();
    // The defaults with the service and the data folder of one test.
    static app::ApplicationController::Options optionsFor(std::string serviceURL,
                                                          std::filesystem::path applicationSupportDirectory);

    bool loaded() const { return m_loaded; }
    app::AppWindow& app() { return *m_window; }
    app::ApplicationController& controller() { return m_window->controller(); }
    QQuickWindow* window() const { return m_window->window(); }

    // The first visible item of that object name, searched through the whole scene (popups included).
    QQuickItem* item(const QString& objectName) const;
    // Runs the event loop until `condition` holds or `timeoutMs` passed; the condition's last answer.
    bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000);
    void settle() { testing::settle(window()); }
    // A left click in the middle of the item; false when there is no such item.
    bool click(QQuickItem* item);
    // The same at a point in the item's coordinates.
    bool click(QQuickItem* item, QPointF at);
    bool click(const QString& objectName) { return click(item(objectName)); }
    // Focuses the field and types the text.
    bool type(const QString& objectName, const QString& text);
    void key(Qt::Key key);
    // The shown alert's button of that title.
    bool chooseAlertButton(const QString& title);

    // Signs in through the sign-in screen and waits for the heats.
    bool signIn(const QString& user, const QString& password);
    // The heats list's delegate at a list index (its header or row).
    QQuickItem* listEntry(int index) const;
    bool grab(const QString& path);

private:
    std::unique_ptr<app::AppWindow> m_window;
    bool m_loaded = false;
};

} // namespace orvendel::testing
