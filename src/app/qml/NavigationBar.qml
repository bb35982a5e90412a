import QtQuick
import Orvendel

// A navigation bar: a white title in the middle, buttons at the ends.
Rectangle {
    id: bar

    property string title
    property alias leftItem: leftSlot.data
    property alias rightItem: rightSlot.data

    implicitHeight: Theme.navigationBarHeight
    color: Theme.navigationBar

    Text {
        anchors.centerIn: parent
        width: Math.max(0, parent.width - 2 * Math.max(leftSlot.width, rightSlot.width) - 24)
        horizontalAlignment: Text.AlignHCenter
        text: bar.title
        color: "white"
        font.bold: true
        font.pixelSize: 18
        elide: Text.ElideMiddle
        Accessible.role: Accessible.TitleBar
        Accessible.name: bar.title
    }

    Row {
        id: leftSlot
        anchors.left: parent.left
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
    }

    Row {
        id: rightSlot
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
    }
}
