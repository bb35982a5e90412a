import QtQuick
import Orvendel

// What covers the list while there are no heats.
Rectangle {
    id: empty

    property string title
    property string message

    color: Theme.emptyBackground

    Image {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: titleText.top
        anchors.bottomMargin: 10
        source: "../icons/NoHeatDelayIcon.svg"
        sourceSize: Qt.size(120, 120)
        width: 120
        height: 120
    }

    Text {
        id: titleText
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        height: 30
        text: empty.title
        font.bold: true
        font.pixelSize: 20
        color: Theme.darkGray
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    Text {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.top: titleText.bottom
        height: 60
        text: empty.message
        color: "gray"
        font.pixelSize: 16
        wrapMode: Text.WordWrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
