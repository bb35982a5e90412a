import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The delay pages of the shown heat, paged horizontally without wrapping: swipe, Left/Right (Page Up/Down)
// or a tap on the page indicator. The page in view follows the heat detail when the list selects a delay.
FocusScope {
    id: root

    required property DelayPagesController controller

    activeFocusOnTab: true
    readonly property int turnDuration: 250

    signal findReasonRequested(int index)
    signal commentEditorRequested(int index)
    signal splitPickerRequested(int index)

    function turn(step) {
        root.controller.turnTo(root.controller.currentIndex + step)
    }

    // The page in view, once its delegate exists.
    function currentPage() {
        return list.itemAtIndex(root.controller.currentIndex)
    }

    // The control of that name on the page in view, when it can take the keys.
    function pageControl(name) {
        const page = currentPage()
        if (!page)
            return null
        const found = [page]
        while (found.length > 0) {
            const item = found.shift()
            if (item.objectName === name)
                return item.visible && item.enabled && item.activeFocusOnTab ? item : null
            for (let i = 0; i < item.children.length; ++i)
                found.push(item.children[i])
        }
        return null
    }

    // The keys to the page in view: its first control in the focus chain.
    function focusCurrentPage() {
        const page = currentPage()
        if (!page)
            return false
        const first = page.nextItemInFocusChain(true)
        if (first && Theme.contains(page, first))
            first.forceActiveFocus(Qt.TabFocusReason)
        else
            root.forceActiveFocus(Qt.TabFocusReason)
        return true
    }

    // A rebuild destroys the control that had the keys; the same control of the same delay's page takes them
    // again, so an edit never sends the operator back to the start of the chain. The same when an editor
    // opened from the page closes: the control that opened it may have been rebuilt meanwhile.
    property string focusedControl: ""
    property string lastControl: ""
    // Whether the keys came there by keyboard: the focus frame comes back only then, not after a tap.
    property bool lastByKeyboard: false
    // Where alerts and editors open (attached here: inside a function it would attach to the wrong object).
    readonly property Item overlay: T.Overlay.overlay
    Connections {
        target: root.Window
        function onActiveFocusItemChanged() {
            const focused = root.Window.activeFocusItem
            if (root.focusLost(focused)) {
                // The control went with a rebuild, or an alert closed back onto it.
                if (root.lastControl !== "")
                    Qt.callLater(() => { if (root.focusLost(root.Window.activeFocusItem)) root.returnFocus() })
            } else if (Theme.contains(root, focused)) {
                if (focused !== root && focused !== list && focused.objectName !== "") {
                    root.lastControl = focused.objectName
                    root.lastByKeyboard = focused.visualFocus === true
                }
            } else if (!Theme.contains(root.overlay, focused)) {
                root.lastControl = "" // the operator went elsewhere; an alert or editor over the page keeps it
            }
        }
    }
    function focusLost(item) {
        return !item || item === root.Window.contentItem
    }
    Connections {
        target: root.controller
        function onPagesAboutToReset() {
            const focused = root.Window.activeFocusItem
            root.focusedControl = focused && focused !== root && Theme.contains(root, focused) ? focused.objectName : ""
            if (root.focusedControl === "" && focused === root)
                root.focusedControl = "."
        }
        function onPagesReset() {
            if (root.focusedControl !== "")
                Qt.callLater(root.restoreFocus)
        }
        function onPagesRearranged() {
            // As after a rebuild, the page the edit selects is shown at once, without the turning animation.
            list.highlightMoveDuration = 0
            Qt.callLater(() => { list.highlightMoveDuration = root.turnDuration })
            Qt.callLater(root.keepKeysOnPageInView)
        }
    }
    // A page came or went under the keys (a split, an undone split) and another page is in view: the same control
    // of the page in view takes them, as after a rebuild.
    function keepKeysOnPageInView() {
        const focused = root.Window.activeFocusItem
        if (!focused || !Theme.contains(root, focused) || root.lastControl === "")
            return
        const page = currentPage()
        if (page && focused !== page && Theme.contains(page, focused))
            return
        root.returnFocus()
    }
    Timer {
        id: restoreRetry
        property int attempts: 0
        interval: 16
        onTriggered: root.restoreFocus()
    }
    // An editor opened from the page closed: the keys go back to the control that opened it.
    function returnFocus() {
        if (root.lastControl === "")
            return
        root.focusedControl = root.lastControl
        restoreFocus()
    }
    // What stands in for a control the edit took away: the comment for "Add Comment" and back.
    readonly property var standIns: ({ addCommentButton: "commentsTextView", commentsTextView: "addCommentButton" })
    function restoreReason() {
        return root.lastByKeyboard ? Qt.TabFocusReason : Qt.OtherFocusReason
    }
    function restoreFocus() {
        const name = root.focusedControl
        // The rebuilt page is made with the next layout of the list.
        if (name !== "" && !currentPage() && restoreRetry.attempts < 10) {
            restoreRetry.attempts += 1
            restoreRetry.start()
            return
        }
        restoreRetry.attempts = 0
        root.focusedControl = ""
        // An alert or editor opened meanwhile keeps the keys.
        const focused = root.Window.activeFocusItem
        if (focused && focused !== root.overlay && Theme.contains(root.overlay, focused))
            return
        if (name === ".") {
            root.forceActiveFocus(root.restoreReason())
            return
        }
        const control = pageControl(name) || pageControl(standIns[name] || "")
        if (control)
            control.forceActiveFocus(root.restoreReason())
        else if (!focusCurrentPage())
            root.forceActiveFocus(root.restoreReason())
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
        highlightMoveDuration: root.turnDuration
        boundsBehavior: Flickable.StopAtBounds
        // The arrow keys turn pages through the controller, so that the turn is announced.
        keyNavigationEnabled: false
        pressDelay: 0
        clip: true
        // Pages are built as they come into view; a heat of sixty delays stays cheap to show. A page that went
        // out of view is kept and given to the next one that comes in (a split's new page, the next swipe).
        cacheBuffer: 0
        reuseItems: true
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
        // Sixty dots do not fit: beyond that the position reads as text (and no dot is made at all, so that a
        // split does not remake sixty of them).
        count: root.controller.count <= 40 ? root.controller.count : 0
        currentIndex: root.controller.currentIndex
        interactive: true
        visible: count > 1
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
