import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The furnace popover: "Select a furnace" over the stored furnaces, the selected one checked. It hangs
// from `anchorItem` with an arrow pointing at it and is as tall as its rows, scrolling beyond a few.
Popup {
    id: popover

    property FurnaceSelectionController controller: null
    property Item anchorItem: null
    // The arrow's tip, in the popover's own x.
    property real arrowX: width / 2
    readonly property int arrowHeight: 10
    readonly property int rowHeight: 44
    readonly property int cornerRadius: 8
    // Four and a half rows at most: the cut row shows that the list scrolls.
    readonly property real maxListHeight: 4.5 * rowHeight

    function openWith(selection) {
        controller = selection
        if (!controller)
            return
        place()
        open()
    }

    // Under the anchor's middle, kept inside the window; the arrow still points at the anchor.
    function place() {
        if (!anchorItem || !parent)
            return
        const tip = anchorItem.mapToItem(parent, anchorItem.width / 2, anchorItem.height)
        // Computed here: a closed popup reads back its previous position as x.
        const left = Math.max(margins, Math.min(tip.x - width / 2, parent.width - width - margins))
        x = left
        y = tip.y + 2
        const inset = cornerRadius + 10
        arrowX = Math.max(inset, Math.min(tip.x - left, width - inset))
    }

    parent: T.Overlay.overlay
    margins: 4
    width: 300
    height: topPadding + bar.height + furnaces.height + bottomPadding
    modal: true
    focus: true
    topPadding: arrowHeight
    leftPadding: 1
    rightPadding: 1
    // Clears the rounded corners under the last row.
    bottomPadding: 6
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.2) }
    onOpened: furnaces.forceActiveFocus()

    background: Item {
        Rectangle {
            anchors.fill: parent
            anchors.topMargin: popover.arrowHeight
            color: "white"
            radius: popover.cornerRadius
            border.color: "#9a9a9a"
        }
        // The arrow: the upper half of a square turned by 45 degrees, in the bar's colour.
        Item {
            objectName: "furnacePopoverArrow"
            x: popover.arrowX - width / 2
            width: 2 * popover.arrowHeight
            height: popover.arrowHeight
            clip: true
            Rectangle {
                width: popover.arrowHeight * Math.SQRT2
                height: width
                x: (parent.width - width) / 2
                y: parent.height - height / 2
                rotation: 45
                color: Theme.navigationBar
            }
        }
    }

    Connections {
        target: popover.controller
        function onChosen() { popover.close() }
        function onLoaded() {
            if (popover.controller.initialRow >= 0) {
                furnaces.currentIndex = popover.controller.initialRow
                // Once the list has grown to its rows: centred in a shorter view, it would scroll away.
                Qt.callLater(popover.showInitialRow)
            }
        }
    }

    function showInitialRow() {
        if (controller && controller.initialRow >= 0)
            furnaces.positionViewAtIndex(controller.initialRow, ListView.Center)
    }

    contentItem: Item {
        objectName: "furnacePopover"
        clip: true

        // Square lower corners under the bar's rounded ones.
        Rectangle {
            anchors.fill: bar
            anchors.topMargin: bar.height / 2
            color: Theme.navigationBar
        }
        NavigationBar {
            id: bar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            height: 44
            radius: popover.cornerRadius - 1
            title: popover.controller ? popover.controller.title : ""
        }

        ListView {
            id: furnaces
            objectName: "furnaceList"
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            height: Math.min(count * popover.rowHeight, popover.maxListHeight)
            clip: true
            boundsBehavior: Flickable.StopAtBounds
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
                height: popover.rowHeight
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
                    visible: furnaceRow.index < furnaces.count - 1
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
