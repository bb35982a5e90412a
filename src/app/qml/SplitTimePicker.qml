import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The wheel picker of elapsed time (days when the delay spans one, hours, minutes, seconds) for a precise
// split; "Assign" moves the slider there, "Cancel" or Escape leaves it.
Popup {
    id: picker

    property SplitTimePickerController controller: null

    objectName: "splitTimePicker"
    parent: T.Overlay.overlay
    width: 500
    height: 312
    x: Math.round((parent.width - width) / 2)
    y: Math.round((parent.height - height) / 2)
    padding: 0
    modal: true
    focus: true
    visible: controller !== null
    closePolicy: Popup.CloseOnEscape
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.4) }
    onClosed: if (controller) controller.cancel()
    onOpened: (dayWheel.visible ? dayWheel : hourWheel).forceActiveFocus()

    function picked() {
        if (!controller)
            return
        controller.pick(controller.hasDayWheel ? dayWheel.currentIndex : 0, hourWheel.currentIndex,
                        minuteWheel.currentIndex, secondWheel.currentIndex)
    }

    background: Rectangle {
        color: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
        radius: 10
    }

    component Caption: Text {
        font.bold: true
        font.pixelSize: 16
        color: Theme.darkGray
        horizontalAlignment: Text.AlignHCenter
    }

    component Value: Text {
        font.pixelSize: 14
        color: Theme.darkGray
        horizontalAlignment: Text.AlignHCenter
    }

    component Wheel: Tumbler {
        id: wheel
        clip: true
        property var titleFor
        height: 130
        visibleItemCount: 3
        wrap: false
        focusPolicy: Qt.StrongFocus
        function step(rows) {
            currentIndex = Math.max(0, Math.min(count - 1, currentIndex + rows))
        }
        Keys.onUpPressed: step(-1)
        Keys.onDownPressed: step(1)
        // The pointer over the wheel's rows, handled here rather than by the wheel's own flicking, which ran
        // two or three rows a wheel notch and ignored taps: a notch is one row (a touchpad's fine scrolling
        // adds up to a notch first), a tap picks the row under it, a drag turns a row per row height.
        MouseArea {
            property real pending: 0
            property real pressY: 0
            property int pressIndex: 0
            property bool dragged: false
            readonly property real rowHeight: height / wheel.visibleItemCount
            anchors.fill: parent
            z: 1
            onPressed: mouse => {
                pressY = mouse.y
                pressIndex = wheel.currentIndex
                dragged = false
                wheel.forceActiveFocus()
            }
            onPositionChanged: mouse => {
                const rows = Math.round((pressY - mouse.y) / rowHeight)
                dragged = dragged || rows !== 0
                if (dragged)
                    wheel.currentIndex = Math.max(0, Math.min(wheel.count - 1, pressIndex + rows))
            }
            onReleased: mouse => {
                if (!dragged)
                    wheel.step(Math.round((mouse.y - height / 2) / rowHeight))
            }
            onWheel: event => {
                pending += event.angleDelta.y
                const notches = pending > 0 ? Math.floor(pending / 120) : Math.ceil(pending / 120)
                if (notches !== 0) {
                    pending -= notches * 120
                    wheel.step(-notches)
                }
                event.accepted = true
            }
        }
        onCurrentIndexChanged: picker.picked()
        delegate: Text {
            required property int index
            objectName: wheel.objectName + "Row_" + index
            text: wheel.titleFor ? wheel.titleFor(index) : index
            font.pixelSize: 21
            font.bold: Math.abs(Tumbler.displacement) < 0.5
            color: Theme.darkGray
            opacity: 1.0 - Math.abs(Tumbler.displacement) / (wheel.visibleItemCount / 2)
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            color: "white"
            radius: 6
            border.width: wheel.activeFocus ? 3 : 0
            border.color: Qt.rgba(1, 0.8, 0.2, 1)
        }
    }

    contentItem: Item {
        NavigationBar {
            id: bar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            implicitHeight: 44
            title: picker.controller ? picker.controller.title : ""
            leftItem: BarButton {
                objectName: "splitPickerCancel"
                label: qsTr("Cancel")
                onClicked: picker.close()
            }
        }

        Row {
            id: captions
            anchors.top: bar.bottom
            anchors.topMargin: 8
            x: 10
            width: parent.width - 20
            Caption { width: captions.width / 3; text: qsTr("Start Time") }
            Caption { width: captions.width / 3; text: qsTr("Split Time") }
            Caption { width: captions.width / 3; text: qsTr("End Time") }
        }

        Row {
            id: values
            anchors.top: captions.bottom
            anchors.topMargin: 2
            x: 10
            width: parent.width - 20
            Value { width: values.width / 3; text: picker.controller ? picker.controller.startText : "" }
            Value {
                objectName: "splitTimeValueLabel"
                width: values.width / 3
                text: picker.controller ? picker.controller.splitText : ""
            }
            Value { width: values.width / 3; text: picker.controller ? picker.controller.endText : "" }
        }

        Text {
            id: elapsed
            anchors.top: values.bottom
            anchors.topMargin: 8
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Split at Elapsed Time")
            font.pixelSize: 14
            color: Theme.darkGray
        }

        Row {
            id: wheels
            anchors.top: elapsed.bottom
            anchors.topMargin: 4
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 12
            readonly property real wheelWidth: picker.controller && picker.controller.hasDayWheel ? 84 : 100

            Wheel {
                id: dayWheel
                objectName: "dayWheel"
                visible: picker.controller !== null && picker.controller.hasDayWheel
                width: wheels.wheelWidth
                model: picker.controller ? picker.controller.maxDays : 0
                titleFor: row => picker.controller ? picker.controller.dayRowTitle(row) : ""
            }
            Wheel {
                id: hourWheel
                objectName: "hourWheel"
                width: wheels.wheelWidth
                model: picker.controller ? picker.controller.maxHours : 0
                titleFor: row => picker.controller ? picker.controller.unitRowTitle(row) : ""
            }
            Text { text: ":"; font.bold: true; font.pixelSize: 21; anchors.verticalCenter: parent.verticalCenter }
            Wheel {
                id: minuteWheel
                objectName: "minuteWheel"
                width: wheels.wheelWidth
                model: picker.controller ? picker.controller.maxMinutes : 0
                titleFor: row => picker.controller ? picker.controller.unitRowTitle(row) : ""
            }
            Text { text: ":"; font.bold: true; font.pixelSize: 21; anchors.verticalCenter: parent.verticalCenter }
            Wheel {
                id: secondWheel
                objectName: "secondWheel"
                width: wheels.wheelWidth
                model: 60
                titleFor: row => picker.controller ? picker.controller.unitRowTitle(row) : ""
            }
        }

        FilledButton {
            objectName: "assignSplitTimeButton"
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            anchors.horizontalCenter: parent.horizontalCenter
            width: 200
            height: 40
            radius: 3
            color: Qt.rgba(139 / 255, 195 / 255, 74 / 255, 1)
            text: qsTr("Assign")
            enabled: picker.controller !== null && picker.controller.canAssign
            onClicked: picker.controller.assign()
        }
    }

    // The wheels open on the thumb's position.
    onControllerChanged: Qt.callLater(openOnThumb)
    function openOnThumb() {
        if (!controller)
            return
        // Straight to the rows, without turning the wheels there.
        const rows = [[dayWheel, controller.initialDays], [hourWheel, controller.initialHours],
                      [minuteWheel, controller.initialMinutes], [secondWheel, controller.initialSeconds]]
        for (const [wheel, row] of rows) {
            wheel.currentIndex = row
            wheel.positionViewAtIndex(row, Tumbler.Center)
        }
        picked()
    }
}
