import QtQuick
import Orvendel

// A delay's row: reason and time, the edited icon left of the title, the unknown reason's circle.
Rectangle {
    id: row

    property string title
    property string description
    property bool unknown
    property bool edited
    property bool selected
    property bool focused
    signal tapped

    implicitHeight: 70
    color: selected ? Theme.selectedRow : "white"
    Accessible.role: Accessible.ListItem
    Accessible.name: title + ", " + description
    Accessible.selected: selected
    Accessible.onPressAction: tapped()

    Image {
        id: editedIcon
        objectName: "editedIcon"
        visible: row.edited
        source: "../icons/EditedIcon.svg"
        sourceSize: Qt.size(26, 26)
        width: 26
        height: 26
        anchors.right: titleText.left
        anchors.rightMargin: 2
        anchors.verticalCenter: titleText.verticalCenter
    }

    Text {
        id: titleText
        anchors.left: parent.left
        anchors.leftMargin: 16 + 22
        objectName: "rowTitle"
        // Without the unknown reason's circle the text may run to the margin.
        anchors.right: row.unknown ? indicator.left : parent.right
        anchors.rightMargin: row.unknown ? 8 : 16
        y: 8
        height: (parent.height - 16) / 2
        text: row.title
        font.bold: true
        font.pixelSize: 20
        color: "black"
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Text {
        anchors.left: titleText.left
        anchors.right: titleText.right
        anchors.top: titleText.bottom
        height: titleText.height
        text: row.description
        font.pixelSize: 16
        color: Theme.rowDescription
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    Rectangle {
        id: indicator
        objectName: "unknownIndicator"
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        width: 26
        height: 26
        radius: 13
        color: Theme.indicator
        visible: row.unknown
    }

    Rectangle {
        anchors.left: titleText.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: Theme.rowSeparator
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.width: row.focused ? 2 : 0
        border.color: Theme.tint
    }

    MouseArea {
        anchors.fill: parent
        onClicked: row.tapped()
    }
}
