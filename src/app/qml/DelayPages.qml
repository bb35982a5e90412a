import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The delay pages of the shown heat, paged horizontally without wrapping: swipe, Left/Right (Page Up/Down)
// or a tap on the page indicator. The page in view follows the heat detail when the list selects a delay.
FocusScope {
    id: root

    required property DelayPagesController controller

    activeFocusOnTab: true

    signal findReasonRequested(int index)
    signal commentEditorRequested(int index)
    signal splitPickerRequested(int index)

    function turn(step) {
        root.controller.turnTo(root.controller.currentIndex + step)
    }

    Keys.onLeftPressed: turn(-1)
    Keys.onRightPressed: turn(1)
    Keys.onPressed: event => {
        if (event.key === Qt.Key_PageUp) { turn(-1); event.accepted = true }
        else if (event.key === Qt.Key_PageDown) { turn(1); event.accepted = true }
    }

    ListView {
        id: list
        objectName: "delayPages"
        anchors.fill: parent
        anchors.bottomMargin: 40
        orientation: ListView.Horizontal
        snapMode: ListView.SnapOneItem
        highlightRangeMode: ListView.StrictlyEnforceRange
        highlightMoveDuration: 250
        boundsBehavior: Flickable.StopAtBounds
        // The arrow keys turn pages through the controller, so that the turn is announced.
        keyNavigationEnabled: false
        pressDelay: 0
        clip: true
        // Pages are built as they come into view; a heat of sixty delays stays cheap to show.
        cacheBuffer: 0
        model: root.controller.model
        currentIndex: root.controller.currentIndex
        // A swipe that settles on another page turns to it.
        onMovementEnded: {
            if (currentIndex >= 0 && currentIndex !== root.controller.currentIndex)
                root.controller.turnTo(currentIndex)
        }
        delegate: DelayPage {
            width: list.width
            height: list.height
            pages: root.controller
            onFindReasonRequested: index => root.findReasonRequested(index)
            onCommentEditorRequested: index => root.commentEditorRequested(index)
            onSplitPickerRequested: index => root.splitPickerRequested(index)
        }
        Connections {
            target: root.controller
            // A rebuilt list shows its page at once, without the turning animation.
            function onPagesReset() {
                list.currentIndex = root.controller.currentIndex
                list.positionViewAtIndex(root.controller.currentIndex, ListView.Beginning)
            }
            // A swipe or a tap on the indicator takes the index over; the controller's turn brings it back.
            function onCurrentIndexChanged() {
                list.currentIndex = root.controller.currentIndex
                indicator.currentIndex = root.controller.currentIndex
            }
        }
    }

    PageIndicator {
        id: indicator
        objectName: "pageIndicator"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        height: 20
        count: root.controller.count
        currentIndex: root.controller.currentIndex
        interactive: true
        // Sixty dots do not fit: beyond that the position reads as text.
        visible: count > 1 && count <= 40
        onCurrentIndexChanged: if (currentIndex !== root.controller.currentIndex) root.controller.turnTo(currentIndex)
        delegate: Rectangle {
            required property int index
            implicitWidth: 8
            implicitHeight: 8
            radius: 4
            color: index === indicator.currentIndex ? "black" : Qt.rgba(211 / 255, 211 / 255, 211 / 255, 1)
        }
    }

    Text {
        objectName: "pagePosition"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        visible: root.controller.count > 40
        text: (root.controller.currentIndex + 1) + " / " + root.controller.count
        font.pixelSize: 14
        color: Theme.darkGray
    }
}
