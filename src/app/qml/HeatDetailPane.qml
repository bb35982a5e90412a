import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The heat detail column: the bar titled "Edit Delays"; the heat's title and its two charts; the delay
// pages; the "Save" button while automatic saving is off. A cover with a message while no heat is shown.
Rectangle {
    id: pane

    required property HeatDetailController controller

    // Gives the keys to the page in view (F6 from the heats list); false while nothing is shown.
    function focusPage() {
        return pane.controller.showsEmptyMessage ? false : pages.focusCurrentPage()
    }

    color: Theme.emptyBackground

    NavigationBar {
        id: bar
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        title: pane.controller.title
    }

    Item {
        id: column
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        // Under the cover nothing takes a tap or the focus: the old heat's controls would edit what the operator
        // cannot see.
        enabled: !pane.controller.showsEmptyMessage

        // The fractions change with the save button's presence, at once when automatic saving is switched.
        readonly property var frames: pane.controller.columnLayout(width, height, pane.controller.saveButtonShown)

        // The upper part: a raised card with the title and the two charts.
        Rectangle {
            x: upper.x
            y: upper.y + 2
            width: upper.width
            height: upper.height
            radius: 4
            color: Qt.rgba(0, 0, 0, 0.12)
        }

        Rectangle {
            id: upper
            objectName: "heatView"
            x: column.frames.upperPart.x
            y: column.frames.upperPart.y
            width: column.frames.upperPart.width
            height: column.frames.upperPart.height
            radius: 4
            color: Qt.rgba(245 / 255, 245 / 255, 245 / 255, 1)

            readonly property var frames: pane.controller.upperPartLayout(width, height)

            Text {
                objectName: "heatTitle"
                x: upper.frames.title.x
                y: upper.frames.title.y
                width: upper.frames.title.width
                height: upper.frames.title.height
                text: pane.controller.heatTitle
                font.bold: true
                font.pixelSize: 50
                fontSizeMode: Text.Fit
                minimumPixelSize: 5
                verticalAlignment: Text.AlignVCenter
                color: Theme.darkGray
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }

            PowerOffChart {
                objectName: "powerOffChart"
                x: upper.frames.powerOffChart.x
                y: upper.frames.powerOffChart.y
                width: upper.frames.powerOffChart.width
                height: upper.frames.powerOffChart.height
                model: pane.controller.powerOffChart
                // A tapped segment brings its delay's page into view.
                onSegmentTapped: delayIndex => pane.controller.pages.turnTo(delayIndex)
            }

            BarChart {
                objectName: "barChart"
                x: upper.frames.barChart.x
                y: upper.frames.barChart.y
                width: upper.frames.barChart.width
                height: upper.frames.barChart.height
                model: pane.controller.barChart
            }
        }

        DelayPages {
            id: pages
            x: column.frames.delayPages.x
            y: column.frames.delayPages.y
            width: column.frames.delayPages.width
            height: column.frames.delayPages.height
            controller: pane.controller.pages
            onFindReasonRequested: index => reasonFinderLoader.open(index)
            onCommentEditorRequested: index => commentEditor.controller = pane.controller.pages.openCommentEditor(index)
            onSplitPickerRequested: index => splitPicker.controller = pane.controller.pages.openSplitPicker(index)
        }

        FilledButton {
            id: saveButton
            objectName: "saveButton"
            visible: pane.controller.saveButtonShown
            x: column.frames.saveButton.x
            y: column.frames.saveButton.y
            width: column.frames.saveButton.width
            height: column.frames.saveButton.height
            radius: 3
            color: Qt.rgba(139 / 255, 195 / 255, 74 / 255, 1)
            text: pane.controller.saving ? "" : qsTr("Save")
            enabled: pane.controller.saveButtonEnabled && !pane.controller.saving
            onClicked: pane.controller.save()

            BusyIndicator {
                objectName: "saveSpinner"
                anchors.centerIn: parent
                height: Math.min(parent.height - 4, 40)
                width: height
                running: pane.controller.saving
                visible: running
            }
        }
    }

    // Ctrl+S saves the shown heat's edits.
    Shortcut {
        sequences: [StandardKey.Save]
        enabled: pane.controller.saveButtonShown && pane.controller.saveButtonEnabled && !pane.controller.saving
                 && !pane.controller.showsEmptyMessage
        onActivated: pane.controller.save()
    }

    Rectangle {
        objectName: "detailEmptyCover"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        visible: pane.controller.showsEmptyMessage
        color: Theme.emptyBackground

        // Every tap and wheel turn on the cover ends here.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.AllButtons
            hoverEnabled: true
            onWheel: wheel => wheel.accepted = true
        }

        Text {
            objectName: "detailEmptyMessage"
            anchors.centerIn: parent
            width: parent.width - 20
            height: 30
            text: pane.controller.emptyMessage
            font.bold: true
            font.pixelSize: 18
            color: Theme.darkGray
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    CommentEditor {
        id: commentEditor
        onClosed: Qt.callLater(pages.returnFocus)
    }

    SplitTimePicker {
        id: splitPicker
        onClosed: Qt.callLater(pages.returnFocus)
    }

    // The reason finder is made for one page each time it opens.
    QtObject {
        id: reasonFinderLoader
        property var popup: null
        function open(index) {
            const finder = pane.controller.pages.openReasonFinder(index)
            if (!finder)
                return
            const created = reasonFinderComponent.createObject(pane, { controller: finder })
            created.closed.connect(() => {
                if (reasonFinderLoader.popup === created)
                    reasonFinderLoader.popup = null
                created.destroy()
                Qt.callLater(pages.returnFocus)
            })
            popup = created
            created.open()
        }
    }

    Component {
        id: reasonFinderComponent
        ReasonFinder {}
    }

    Connections {
        target: pane.controller.pages
        // Pages rebuilt under an open editor: the editor belonged to a page that is gone.
        function onEditorsDismissed() {
            commentEditor.controller = null
            splitPicker.controller = null
            if (reasonFinderLoader && reasonFinderLoader.popup)
                reasonFinderLoader.popup.close()
        }
    }
}
