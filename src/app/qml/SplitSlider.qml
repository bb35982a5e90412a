import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The split slider over a delay's span: clock times above, elapsed times below, the thumb snapping to whole
// seconds. The elapsed time on the thumb's button opens the wheel picker; releasing the thumb reports its
// value.
Rectangle {
    id: area

    required property real maximum
    required property real value
    required property string relativeStart
    required property string relativeEnd
    required property string absoluteStart
    required property string absoluteEnd
    // Texts for a thumb position: {"relativeSelected", "absoluteSelected"}.
    required property var textsFor

    // Whether the slider and the picker button take the keys (only on the page in view).
    property int keysPolicy: Qt.StrongFocus

    signal released(real value)
    signal fineTuneRequested()

    // The thumb back at the page's value: a page made again for another delay keeps nothing of a drag.
    function restore() {
        slider.value = area.value
    }

    readonly property var thumbTexts: textsFor(slider.value)
    readonly property color red: Qt.rgba(231 / 255, 76 / 255, 60 / 255, 1)

    color: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
    radius: 5
    implicitHeight: 112

    Text {
        objectName: "absoluteStartLabel"
        anchors.left: parent.left
        anchors.leftMargin: 10
        y: 6
        text: area.absoluteStart
        font.pixelSize: 14
        color: Theme.darkGray
    }

    Text {
        objectName: "absoluteEndLabel"
        anchors.right: parent.right
        anchors.rightMargin: 10
        y: 6
        text: area.absoluteEnd
        font.pixelSize: 14
        color: Theme.darkGray
    }

    // The clock time over the thumb, shown while the thumb is held.
    Rectangle {
        id: absoluteSelected
        objectName: "absoluteSelectedLabel"
        y: 2
        width: absoluteSelectedText.implicitWidth + 12
        height: 24
        radius: 5
        color: "white"
        x: Math.max(0, Math.min(area.width - width, slider.x + slider.leftPadding + slider.visualPosition
                                  * (slider.availableWidth - 38) + 19 - width / 2))
        opacity: slider.pressed ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: slider.pressed ? 150 : 200 } }
        Text {
            id: absoluteSelectedText
            anchors.centerIn: parent
            text: area.thumbTexts.absoluteSelected || ""
            font.pixelSize: 14
            font.bold: true
            color: Theme.darkGray
        }
    }

    Slider {
        id: slider
        objectName: "splitSlider"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        y: 28
        height: 40
        from: 0
        to: Math.max(0, area.maximum)
        stepSize: 1
        snapMode: Slider.SnapAlways
        enabled: area.maximum > 0
        value: area.value
        live: true
        // A drag takes the value over; a value assigned from the picker or a rebuilt page brings it back.
        Connections {
            target: area
            function onValueChanged() { slider.value = area.value }
        }
        focusPolicy: area.keysPolicy
        Accessible.name: qsTr("Split time")
        onPressedChanged: if (!pressed) area.released(value)
        // Arrow keys move the thumb one second at a time, Page Up and Page Down a minute, Home and End to
        // the ends; each step counts as a release.
        function moveTo(seconds) {
            value = Math.max(from, Math.min(to, seconds))
            area.released(value)
        }
        Keys.onLeftPressed: moveTo(value - 1)
        Keys.onRightPressed: moveTo(value + 1)
        Keys.onPressed: event => {
            if (event.key === Qt.Key_PageUp) moveTo(value + 60)
            else if (event.key === Qt.Key_PageDown) moveTo(value - 60)
            else if (event.key === Qt.Key_Home) moveTo(from)
            else if (event.key === Qt.Key_End) moveTo(to)
            else return
            event.accepted = true
        }

        background: Rectangle {
            x: slider.leftPadding
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            width: slider.availableWidth
            height: 10
            radius: 5
            color: area.red
        }

        handle: Rectangle {
            x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
            y: slider.topPadding + slider.availableHeight / 2 - height / 2
            width: 38
            height: 38
            radius: 19
            color: slider.pressed ? Qt.rgba(0.85, 0.85, 0.85, 1) : "white"
            border.color: slider.visualFocus ? Qt.rgba(1, 0.8, 0.2, 1) : Qt.rgba(0.6, 0.6, 0.6, 1)
            border.width: slider.visualFocus ? 3 : 1
        }
    }

    Text {
        objectName: "relativeStartLabel"
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: fineTune.verticalCenter
        text: area.relativeStart
        font.pixelSize: 14
        color: Theme.darkGray
    }

    FilledButton {
        id: fineTune
        objectName: "fineTuneButton"
        focusPolicy: area.keysPolicy
        anchors.horizontalCenter: parent.horizontalCenter
        y: 72
        height: 32
        implicitWidth: 110
        radius: 5
        pixelSize: 15
        text: area.thumbTexts.relativeSelected || " - "
        enabled: area.maximum > 0
        Accessible.name: qsTr("Split at %1, choose the exact time").arg(text)
        onClicked: area.fineTuneRequested()
    }

    Text {
        objectName: "relativeEndLabel"
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: fineTune.verticalCenter
        text: area.relativeEnd
        font.pixelSize: 14
        color: Theme.darkGray
    }
}
