import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The reason finder: the furnace's reason tree in 60-point rows, categories opening and closing, the
// current reason checked and in the middle of the view. "Assign Reason" hands the checked one over.
Popup {
    id: finder
    objectName: "reasonFinder"

    required property ReasonFinderController controller

    // Puts the checked reason in the middle of the view; without one the keys start at the top.
    function showChecked() {
        if (finder.controller.checkedRow >= 0) {
            tree.currentIndex = finder.controller.checkedRow
            tree.positionViewAtIndex(finder.controller.checkedRow, ListView.Center)
        } else if (tree.currentIndex < 0 && tree.count > 0) {
            tree.currentIndex = 0
        }
    }

    parent: T.Overlay.overlay
    x: Math.round((parent.width - width) / 2)
    y: Math.round((parent.height - height) / 2)
    width: Math.min(540, parent.width - 40)
    height: Math.min(620, parent.height - 40)
    modal: true
    focus: true
    padding: 0
    // Escape goes through the controller like "Close".
    closePolicy: Popup.NoAutoClose
    onOpened: {
        showChecked()
        tree.forceActiveFocus()
    }

    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.4) }

    background: Rectangle {
        color: Theme.screenBackground
        radius: 10
        clip: true
    }

    Connections {
        target: finder.controller
        function onLoaded() { finder.showChecked() }
        function onFinished() { finder.close() }
    }

    contentItem: Item {
        clip: true
        Keys.onEscapePressed: finder.controller.close()

        NavigationBar {
            id: bar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            title: finder.controller.title
            leftItem: [
                BarButton {
                    objectName: "reasonFinderClose"
                    label: finder.controller.closeTitle
                    Accessible.name: label
                    onClicked: finder.controller.close()
                }
            ]
            rightItem: [
                BarButton {
                    objectName: "reasonFinderAssign"
                    label: finder.controller.assignTitle
                    Accessible.name: label
                    enabled: finder.controller.assignEnabled
                    opacity: enabled ? 1 : 0.4
                    onClicked: finder.controller.assign()
                }
            ]
        }

        ListView {
            id: tree
            objectName: "reasonTree"
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            clip: true
            visible: !finder.controller.showsNoData
            model: finder.controller.rows
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            Accessible.role: Accessible.Tree
            Accessible.name: bar.title
            Keys.onReturnPressed: finder.controller.tapRow(currentIndex)
            Keys.onEnterPressed: finder.controller.tapRow(currentIndex)
            Keys.onSpacePressed: finder.controller.tapRow(currentIndex)

            // An opened category's rows come into view, the category itself kept at the top at the least.
            Connections {
                target: finder.controller.rows
                function onRowsInserted(parent, first, last) {
                    Qt.callLater(() => {
                        tree.positionViewAtIndex(last, ListView.Contain)
                        tree.positionViewAtIndex(Math.max(0, first - 1), ListView.Contain)
                    })
                }
            }

            // The rows of an opened category fade in.
            add: Transition {
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 200 }
            }

            delegate: Rectangle {
                id: reasonRow
                required property int index
                required property string description
                required property int indentationLevel
                required property bool isExpandable
                required property bool isExpanded
                required property bool isChecked
                objectName: "reasonRow_" + description
                width: ListView.view.width
                height: 60
                color: mouse.pressed ? Theme.selectedRow : "white"
                Accessible.role: Accessible.TreeItem
                Accessible.name: description
                Accessible.checkable: !isExpandable
                Accessible.checked: isChecked
                Accessible.onPressAction: finder.controller.tapRow(index)

                // A chevron pointing right, turned down while the category is open.
                Canvas {
                    id: arrow
                    objectName: "reasonArrow"
                    anchors.left: parent.left
                    anchors.leftMargin: 16 + 20 * reasonRow.indentationLevel
                    anchors.verticalCenter: parent.verticalCenter
                    width: 14
                    height: 14
                    visible: reasonRow.isExpandable
                    rotation: reasonRow.isExpanded ? 90 : 0
                    Behavior on rotation {
                        NumberAnimation { duration: 200 }
                    }
                    onPaint: {
                        const context = getContext("2d")
                        context.reset()
                        context.strokeStyle = Theme.darkGray
                        context.lineWidth = 2
                        context.lineCap = "round"
                        context.lineJoin = "round"
                        context.beginPath()
                        context.moveTo(4, 2)
                        context.lineTo(10, 7)
                        context.lineTo(4, 12)
                        context.stroke()
                    }
                }

                Text {
                    anchors.left: arrow.right
                    anchors.leftMargin: 10
                    anchors.right: check.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: reasonRow.description
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
                    width: 18
                    height: 18
                    visible: reasonRow.isChecked
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
                    border.width: tree.activeFocus && tree.currentIndex === reasonRow.index ? 2 : 0
                    border.color: Theme.tint
                }
                MouseArea {
                    id: mouse
                    anchors.fill: parent
                    onClicked: {
                        tree.currentIndex = reasonRow.index
                        finder.controller.tapRow(reasonRow.index)
                    }
                }
            }
        }

        Rectangle {
            id: noData
            objectName: "reasonFinderNoData"
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            visible: finder.controller.showsNoData
            color: Theme.emptyBackground

            Image {
                id: noDataImage
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.verticalCenter
                source: "../icons/NoHeatDelayIcon.svg"
                sourceSize: Qt.size(120, 120)
                width: 120
                height: 120
            }
            Text {
                anchors.top: noDataImage.bottom
                anchors.topMargin: 10
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                text: finder.controller.noDataText
                color: "gray"
                font.pixelSize: 16
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }
}
