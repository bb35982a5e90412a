import QtQuick
import Orvendel

// The heat detail column: the bar titled "Edit Delays", the shown heat's title, or the cover message
// while no heat is shown.
Rectangle {
    id: pane

    required property HeatDetailController controller

    color: Theme.emptyBackground

    NavigationBar {
        id: bar
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        title: pane.controller.title
    }

    Rectangle {
        id: heatView
        objectName: "heatView"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        height: Math.max(160, (pane.height - bar.height) * 0.4)
        radius: 4
        color: Qt.rgba(245 / 255, 245 / 255, 245 / 255, 1)
        visible: !pane.controller.showsEmptyMessage

        Text {
            objectName: "heatTitle"
            x: 16
            y: 16
            width: parent.width - 32
            height: (parent.height - 16) * 0.2
            text: pane.controller.heatTitle
            font.bold: true
            font.pixelSize: 50
            fontSizeMode: Text.Fit
            minimumPixelSize: 5
            color: Theme.darkGray
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
    }

    Text {
        objectName: "detailEmptyMessage"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 24
        visible: pane.controller.showsEmptyMessage
        text: pane.controller.emptyMessage
        font.pixelSize: 20
        color: Theme.darkGray
        wrapMode: Text.WordWrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
