import QtQuick
import QtQuick.Controls.Basic

// A button with a coloured background: three quarters of the colour while pressed, light grey while
// disabled. Return and Space press it when it has the focus.
AbstractButton {
    id: button

    property color color: Qt.rgba(10 / 255, 110 / 255, 209 / 255, 1)
    property real radius: 5
    property int pixelSize: 17

    implicitWidth: Math.max(120, label.implicitWidth + 24)
    implicitHeight: 44
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: text
    Keys.onReturnPressed: if (enabled) clicked()
    Keys.onEnterPressed: if (enabled) clicked()

    contentItem: Text {
        id: label
        text: button.text
        color: "white"
        font.pixelSize: button.pixelSize
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 10
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: button.radius
        color: !button.enabled ? Qt.rgba(211 / 255, 211 / 255, 211 / 255, 1)
             : button.down ? Qt.rgba(button.color.r * 0.75, button.color.g * 0.75, button.color.b * 0.75, 1)
             : button.color
        border.width: button.visualFocus ? 3 : 0
        border.color: Qt.rgba(1, 0.8, 0.2, 1)
    }
}
