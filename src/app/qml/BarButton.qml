import QtQuick
import QtQuick.Controls.Basic

// A bar button: an icon or a text, white on the bar; while `busy` a white spinner takes the icon's place.
AbstractButton {
    id: button

    property url iconSource
    property string label
    property bool busy
    // The spinner's object name, for the tests.
    property string busyName

    implicitWidth: label.length > 0 ? labelText.implicitWidth + 20 : 40
    implicitHeight: 40
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()

    contentItem: Item {
        Image {
            anchors.centerIn: parent
            visible: button.label.length === 0 && !button.busy
            source: button.iconSource
            sourceSize: Qt.size(26, 26)
            width: 26
            height: 26
            opacity: button.enabled ? (button.pressed ? 0.5 : 1) : 0.35
        }
        BusyIndicator {
            objectName: button.busyName
            anchors.centerIn: parent
            width: 30
            height: 30
            padding: 0
            running: button.busy
            visible: running
            palette.dark: "white"
            Accessible.name: qsTr("Refreshing")
        }
        Text {
            id: labelText
            anchors.centerIn: parent
            visible: button.label.length > 0
            text: button.label
            color: "white"
            font.pixelSize: 17
            font.bold: true
            opacity: button.pressed ? 0.5 : 1
        }
    }

    background: Rectangle {
        radius: 4
        color: "transparent"
        border.width: button.visualFocus ? 2 : 0
        border.color: "white"
    }
}
