import QtQuick
import QtQuick.Controls.Basic

// The spinner in place of the Login button while a sign-in runs.
BusyIndicator {
    objectName: "signInSpinner"
    width: 40
    height: 40
    running: true
    Accessible.name: qsTr("Signing in")
}
