import QtQuick
import Orvendel

// A heat's header: the arrow, "Heat N", the delay count and the unknown delays' badge. A tap toggles it.
Rectangle {
    id: header

    property string title
    property string description
    property string indicatorText
    property real arrowRotation
    property bool focused
    signal tapped

    implicitHeight: 70
    color: Theme.header
    Accessible.role: Accessible.Button
    Accessible.name: title + ", " + description
    Accessible.onPressAction: tapped()

    Image {
        id: arrow
        objectName: "arrow"
        anchors.left: parent.left
        anchors.leftMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        width: 12
        height: 18
        source: "../icons/Chevron.svg"
        sourceSize: Qt.size(12, 18)
        rotation: header.arrowRotation
        Behavior on rotation {
            RotationAnimation { duration: 200 }
        }
    }

    Text {
        id: titleText
        anchors.left: arrow.right
        anchors.leftMargin: 10
        anchors.right: badge.left
        anchors.rightMargin: 8
        y: 8
        height: (parent.height - 16) / 2
        text: header.title
        color: "white"
        font.bold: true
        font.pixelSize: 20
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Text {
        anchors.left: titleText.left
        anchors.right: titleText.right
        anchors.top: titleText.bottom
        height: titleText.height
        text: header.description
        color: "white"
        font.pixelSize: 16
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Rectangle {
        id: badge
        objectName: "unknownBadge"
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        width: 26
        height: 26
        radius: 13
        color: Theme.indicator
        visible: header.indicatorText.length > 0
        Text {
            anchors.centerIn: parent
            text: header.indicatorText
            color: "white"
            font.pixelSize: 18
        }
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: Theme.headerSeparator
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.width: header.focused ? 2 : 0
        border.color: "white"
    }

    MouseArea {
        anchors.fill: parent
        onClicked: header.tapped()
    }
}
