import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The window: the sign-in screen or the main screen, and the alerts over both.
ApplicationWindow {
    id: window

    required property ApplicationController app

    width: 1024
    height: 768
    minimumWidth: 1024
    minimumHeight: 700
    visible: true
    title: qsTr("Orvendel")
    color: Theme.screenBackground

    Loader {
        id: screenLoader
        objectName: "screenLoader"
        anchors.fill: parent
        sourceComponent: window.app.screen === "main" ? mainScreen : signInScreen
    }

    Component {
        id: signInScreen
        SignInScreen {
            controller: window.app.signIn
        }
    }

    Component {
        id: mainScreen
        MainScreen {
            app: window.app
        }
    }

    AlertDialog {
        presenter: window.app.alerts
    }
}
