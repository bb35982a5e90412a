import QtQuick
import Orvendel

// The main screen: the heats list in a quarter of the width, the heat detail beside it.
Item {
    id: screen

    required property ApplicationController app

    // F6 jumps between the heats list and the page in view, in one key either way.
    Shortcut {
        sequences: ["F6"]
        onActivated: {
            const focused = screen.Window.activeFocusItem
            if (Theme.contains(heatsList, focused))
                heatDetail.focusPage()
            else
                heatsList.focusList()
        }
    }

    HeatsListPane {
        id: heatsList
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        width: Math.round(parent.width * 0.25)
        app: screen.app
        controller: screen.app.heatsList
        settings: screen.app.settings
        onReportRequested: shiftReport.openWith(screen.app.openShiftReport())
    }

    Rectangle {
        id: divider
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: heatsList.right
        width: 1
        color: "#b0b0b0"
    }

    HeatDetailPane {
        id: heatDetail
        objectName: "heatDetailPane"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.left: divider.right
        anchors.right: parent.right
        controller: screen.app.heatDetail
    }

    // Made on the first opening only, and named by its file rather than written here, so that not even its
    // type (and the file dialog's module it imports) is loaded before: the main screen comes up as fast, and
    // as small, as without it.
    Loader {
        id: shiftReport
        active: false

        function openWith(controller) {
            if (!active) {
                setSource("ShiftReportScreen.qml", { objectName: "shiftReportScreen" })
                active = true
            }
            item.openWith(controller)
        }

        Connections {
            target: shiftReport.item
            function onFinished(delayOpened) {
                if (delayOpened)
                    heatDetail.focusPage()
                else
                    heatsList.focusList()
            }
        }
    }
}
