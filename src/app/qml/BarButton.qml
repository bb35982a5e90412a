import QtQuick
import QtQuick.Controls.Basic

// A bar button: an icon or a text, white on the bar.
AbstractButton {
    id: button

    property url iconSource
    property string label

    implicitWidth: label.length > 0 ? labelText.implicitWidth + 20 : 40
    implicitHeight: 40
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()

    contentItem: Item {
        Image {
            anchors.centerIn: parent
            visible: button.label.length === 0
            source: button.iconSource
            sourceSize: Qt.size(26, 26)
            width: 26
            height: 26
            opacity: button.enabled ? (button.pressed ? 0.5 : 1) : 0.35
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
