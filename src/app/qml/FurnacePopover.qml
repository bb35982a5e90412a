import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The furnace popover: "Select a furnace" over the stored furnaces, the selected one checked.
Popup {
    id: popover

    property FurnaceSelectionController controller: null

    function openWith(selection) {
        controller = selection
        if (controller)
            open()
    }

    width: 300
    height: 200
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.2) }
    onOpened: furnaces.forceActiveFocus()

    background: Rectangle {
        color: "white"
        radius: 8
        border.color: "#9a9a9a"
    }

    Connections {
        target: popover.controller
        function onChosen() { popover.close() }
        function onLoaded() {
            if (popover.controller.initialRow >= 0) {
                furnaces.currentIndex = popover.controller.initialRow
                furnaces.positionViewAtIndex(popover.controller.initialRow, ListView.Center)
            }
        }
    }

    contentItem: Item {
        clip: true

        NavigationBar {
            id: bar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            implicitHeight: 44
            title: popover.controller ? popover.controller.title : ""
        }

        ListView {
            id: furnaces
            objectName: "furnaceList"
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            clip: true
            model: popover.controller ? popover.controller.model : null
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            Accessible.role: Accessible.List
            Accessible.name: bar.title
            Keys.onReturnPressed: popover.controller.choose(currentIndex)
            Keys.onEnterPressed: popover.controller.choose(currentIndex)

            delegate: Rectangle {
                id: furnaceRow
                required property int index
                required property string name
                required property bool checked
                objectName: "furnaceRow_" + name
                width: ListView.view.width
                height: 44
                color: mouse.pressed ? Theme.selectedRow : "white"
                Accessible.role: Accessible.ListItem
                Accessible.name: name
                Accessible.checked: checked
                Accessible.onPressAction: popover.controller.choose(index)

                Text {
                    anchors.left: parent.left
                    anchors.leftMargin: 16
                    anchors.right: check.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: furnaceRow.name
                    font.pixelSize: 17
                    color: "black"
                    elide: Text.ElideRight
                }
                Image {
                    id: check
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                    source: "../icons/Checkmark.svg"
                    sourceSize: Qt.size(18, 18)
                    visible: furnaceRow.checked
                }
                Rectangle {
                    anchors.left: parent.left
                    anchors.leftMargin: 16
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    height: 1
                    color: Theme.rowSeparator
                }
                Rectangle {
                    anchors.fill: parent
                    color: "transparent"
                    border.width: furnaces.activeFocus && furnaces.currentIndex === furnaceRow.index ? 2 : 0
                    border.color: Theme.tint
                }
                MouseArea {
                    id: mouse
                    anchors.fill: parent
                    onClicked: {
                        furnaces.currentIndex = furnaceRow.index
                        popover.controller.choose(furnaceRow.index)
                    }
                }
            }
        }
    }
}
