import QtQuick
import Orvendel

// The window: the sign-in screen or the main screen, and the alerts over both. A plain window: the
// controls library is loaded by the first screen or alert that uses it, after the first frame.
Window {
    id: window

    required property ApplicationController app

    width: 1024
    height: 768
    minimumWidth: 1024
    minimumHeight: 700
    visible: true
    title: qsTr("Orvendel")
    color: Theme.screenBackground

    // The main screen comes by its file, so that its types are loaded only once it is shown: the sign-in
    // screen's first frame does not wait for the heats list, the detail and their editors.
    Loader {
        id: screenLoader
        objectName: "screenLoader"
        anchors.fill: parent

        readonly property bool showsMain: window.app.screen === "main"

        function show() {
            if (showsMain)
                setSource("MainScreen.qml", { app: window.app })
            else
                sourceComponent = signInScreen
        }
        onShowsMainChanged: show()
        Component.onCompleted: show()
    }

    Component {
        id: signInScreen
        SignInScreen {
            controller: window.app.signIn
        }
    }

    // Made with the first alert and kept. By its file, so that its types load only then.
    Loader {
        id: alertLoader
        readonly property bool needed: window.app.alerts.shown
        onNeededChanged: if (needed && !item) setSource("AlertDialog.qml", { presenter: window.app.alerts })
        Component.onCompleted: if (needed) setSource("AlertDialog.qml", { presenter: window.app.alerts })
    }
}
