import QtQuick
import QtQuick.Controls.Basic
import Orvendel

// The heats list column: the bar with settings, report, refresh and furnace buttons, the sections, pull to
// refresh, the empty state, and the furnace popover and the settings sheet it opens.
Rectangle {
    id: pane

    required property ApplicationController app
    required property HeatsListController controller
    required property SettingsController settings

    // The report button: the main screen shows the report over everything.
    signal reportRequested()

    color: "white"

    // Gives the keys to the list (F6 from the heat detail).
    function focusList() {
        list.forceActiveFocus(Qt.TabFocusReason)
    }

    NavigationBar {
        id: bar
        objectName: "heatsListBar"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        title: pane.controller.title
        leftItem: [
            BarButton {
                id: settingsButton
                objectName: "settingsButton"
                iconSource: "../icons/WhiteSettings.svg"
                Accessible.name: qsTr("Settings")
                KeyNavigation.tab: reportButton
                onClicked: settingsSheet.open()
            },
            BarButton {
                id: reportButton
                objectName: "reportButton"
                iconSource: "../icons/Report.svg"
                enabled: pane.controller.furnaceButtonEnabled
                Accessible.name: qsTr("Where did the time go?")
                KeyNavigation.tab: refreshButton
                onClicked: pane.reportRequested()
            }
        ]
        rightItem: [
            BarButton {
                id: refreshButton
                objectName: "refreshButton"
                iconSource: "../icons/Refresh.svg"
                // The running refresh turns here, light on the bar and clear of the list's text.
                busy: pane.controller.refreshing
                busyName: "refreshSpinner"
                Accessible.name: qsTr("Refresh")
                KeyNavigation.tab: furnaceButton
                onClicked: pane.controller.refresh()
            },
            BarButton {
                id: furnaceButton
                objectName: "furnaceButton"
                iconSource: "../icons/Furnace.svg"
                enabled: pane.controller.furnaceButtonEnabled
                Accessible.name: qsTr("Select a furnace")
                KeyNavigation.tab: list
                onClicked: furnacePopover.openWith(pane.app.openFurnaceSelection())
            }
        ]
    }

    // Named keys, not StandardKey.Refresh: on some desktops that one is F5 as well, and two shortcuts on one
    // key are ambiguous, so neither fires.
    Shortcut {
        sequences: ["F5", "Ctrl+R"]
        onActivated: pane.controller.refresh()
    }

    ListView {
        id: list
        objectName: "heatsList"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        model: pane.controller.model
        boundsBehavior: Flickable.DragOverBounds
        activeFocusOnTab: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        Accessible.role: Accessible.List
        Accessible.name: qsTr("Heats")
        // Tab goes on to the heat detail's page: the window is one focus chain.

        // Pull to refresh: dragged down past the spinner's height and let go.
        readonly property bool pulledFarEnough: contentY < originY - 70
        onDragEnded: if (pulledFarEnough) pane.controller.refresh()

        delegate: Loader {
            id: entry
            required property int index
            required property bool isHeader
            required property int section
            required property int row
            required property string title
            required property string description
            required property var indicatorText
            required property var unknown
            required property var edited
            required property var selected
            required property bool collapsed
            required property real arrowRotation
            width: ListView.view.width
            sourceComponent: isHeader ? headerComponent : rowComponent

            Component {
                id: headerComponent
                HeatHeader {
                    title: entry.title
                    description: entry.description
                    indicatorText: entry.indicatorText || ""
                    arrowRotation: entry.arrowRotation
                    focused: list.activeFocus && list.currentIndex === entry.index
                    onTapped: {
                        list.currentIndex = entry.index
                        pane.controller.toggleSection(entry.section)
                    }
                }
            }
            Component {
                id: rowComponent
                DelayRow {
                    title: entry.title
                    description: entry.description
                    unknown: entry.unknown === true
                    edited: entry.edited === true
                    selected: entry.selected === true
                    focused: list.activeFocus && list.currentIndex === entry.index
                    onTapped: {
                        list.currentIndex = entry.index
                        pane.controller.selectRow(entry.section, entry.row)
                    }
                }
            }
        }

        Keys.onReturnPressed: activateCurrent()
        Keys.onEnterPressed: activateCurrent()
        Keys.onSpacePressed: activateCurrent()
        function activateCurrent() {
            if (currentItem && currentItem.item)
                currentItem.item.tapped()
        }

        // Shown in the gap above the first heat while the list is pulled; the refresh itself turns in the bar.
        BusyIndicator {
            objectName: "pullSpinner"
            anchors.horizontalCenter: parent.horizontalCenter
            y: -list.contentY + list.originY - 60
            width: 40
            height: 40
            running: list.pulledFarEnough
            visible: running
            Accessible.name: qsTr("Release to refresh")
        }
    }

    Connections {
        target: pane.controller
        function onSelectionChanged() {
            if (pane.controller.highlightedIndex >= 0)
                list.positionViewAtIndex(pane.controller.highlightedIndex, ListView.Contain)
        }
    }

    EmptyState {
        objectName: "emptyState"
        anchors.fill: list
        z: -1 // behind the list, so that the refresh spinner shows over it
        visible: pane.controller.showsEmptyState
        title: pane.controller.emptyStateTitle
        message: pane.controller.emptyStateMessage
    }

    FurnacePopover {
        id: furnacePopover
        anchorItem: furnaceButton
    }

    SettingsSheet {
        id: settingsSheet
        controller: pane.settings
    }
}
