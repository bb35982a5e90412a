import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import QtQuick.Templates as T
import Orvendel

// The shift report over the whole window: the bar with the exports, the furnace switch, the grouping and
// the tabs, the progress and error lines, the Pareto chart and its table; a tapped line lists its delays
// in the chart's place, and a tapped delay opens in the heat detail. Escape closes the delays, then the report.
Popup {
    id: report

    property ShiftReportController controller: null

    // The report went away, giving way to the heat detail when a delay was opened.
    signal finished(bool delayOpened)
    property bool openedDelay: false

    function openWith(next) {
        controller = next
        openedDelay = false
        if (controller)
            open()
    }

    parent: T.Overlay.overlay
    x: 0
    y: 0
    width: parent ? parent.width : 0
    height: parent ? parent.height : 0
    modal: true
    focus: true
    padding: 0
    // Escape is ours: it closes the delays first.
    closePolicy: Popup.NoAutoClose
    onOpened: table.forceActiveFocus(Qt.TabFocusReason)
    onClosed: finished(openedDelay)

    background: Rectangle { color: "white" }

    Connections {
        target: report.controller
        function onDelayOpened() {
            report.openedDelay = true
            // After the tap that opened it is handled: a handler whose window goes mid-tap warns.
            Qt.callLater(report.close)
        }
        function onDelaysChanged() {
            if (report.controller.showsDelays)
                delayList.forceActiveFocus(Qt.TabFocusReason)
        }
    }

    contentItem: Item {
        objectName: "shiftReport"
        Keys.onEscapePressed: report.close()

        NavigationBar {
            id: bar
            objectName: "shiftReportBar"
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            title: report.controller ? report.controller.title : ""
            leftItem: [
                BarButton {
                    id: closeButton
                    objectName: "closeReportButton"
                    label: qsTr("Close")
                    Accessible.name: label
                    KeyNavigation.tab: csvButton
                    onClicked: report.close()
                }
            ]
            rightItem: [
                BarButton {
                    id: csvButton
                    objectName: "exportCsvButton"
                    label: qsTr("CSV")
                    Accessible.name: qsTr("Export as CSV")
                    KeyNavigation.tab: pdfButton
                    onClicked: exportDialog.ask("csv")
                },
                BarButton {
                    id: pdfButton
                    objectName: "exportPdfButton"
                    label: qsTr("PDF")
                    Accessible.name: qsTr("Export as PDF")
                    KeyNavigation.tab: furnaceBox
                    onClicked: exportDialog.ask("pdf")
                }
            ]
        }

        Row {
            id: switches
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.margins: 10
            spacing: 10
            ComboBox {
                id: furnaceBox
                objectName: "reportFurnaceBox"
                width: 200
                model: report.controller ? report.controller.furnaceNames : []
                currentIndex: report.controller ? report.controller.furnaceIndex : 0
                onActivated: (index) => report.controller.furnaceIndex = index
                Accessible.name: qsTr("Furnace")
                KeyNavigation.tab: groupingBox
            }
            ComboBox {
                id: groupingBox
                objectName: "reportGroupingBox"
                width: 160
                model: [qsTr("By reason"), qsTr("By category")]
                currentIndex: report.controller && report.controller.byCategory ? 1 : 0
                onActivated: (index) => report.controller.byCategory = index === 1
                Accessible.name: qsTr("Grouping")
                KeyNavigation.tab: tabRow
            }
        }

        ListView {
            id: tabRow
            objectName: "reportTabs"
            anchors.top: switches.bottom
            anchors.topMargin: 8
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 10
            height: 36
            orientation: ListView.Horizontal
            spacing: 4
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            model: report.controller ? report.controller.tabs : []
            currentIndex: report.controller ? report.controller.tabIndex : 0
            onCurrentIndexChanged: if (report.controller) report.controller.tabIndex = currentIndex
            Accessible.role: Accessible.PageTabList
            KeyNavigation.tab: table
            delegate: Rectangle {
                required property int index
                required property string modelData
                objectName: "reportTab_" + index
                width: tabText.implicitWidth + 28
                height: 36
                radius: 6
                readonly property bool current: ListView.isCurrentItem
                color: current ? Theme.navigationBar : Theme.screenBackground
                border.width: tabRow.activeFocus && current ? 2 : 0
                border.color: Theme.tint
                Accessible.role: Accessible.PageTab
                Accessible.name: modelData
                Text {
                    id: tabText
                    anchors.centerIn: parent
                    text: parent.modelData
                    color: parent.current ? "white" : "black"
                    font.pixelSize: 14
                }
                TapHandler { onTapped: tabRow.currentIndex = parent.index }
            }
        }

        Column {
            id: status
            anchors.top: tabRow.bottom
            anchors.topMargin: 6
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            spacing: 2
            Row {
                spacing: 8
                visible: report.controller && report.controller.running
                BusyIndicator {
                    width: 20
                    height: 20
                    padding: 0
                    running: parent.visible
                }
                Text {
                    objectName: "reportProgress"
                    text: report.controller ? report.controller.progressText : ""
                    font.pixelSize: 13
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
            Repeater {
                model: report.controller ? report.controller.errorLines : []
                delegate: Text {
                    required property string modelData
                    objectName: "reportError"
                    width: status.width
                    text: modelData
                    color: Theme.destructive
                    font.pixelSize: 13
                    wrapMode: Text.Wrap
                }
            }
            Text {
                objectName: "reportTotal"
                width: status.width
                text: report.controller ? report.controller.totalText
                      + (report.controller.periodText.length > 0 ? "  ·  " + report.controller.periodText : "")
                      : ""
                font.pixelSize: 13
                color: Theme.rowDescription
                elide: Text.ElideRight
            }
            Text {
                objectName: "exportMessage"
                id: exportMessage
                width: status.width
                visible: text.length > 0
                font.pixelSize: 13
                color: Theme.rowDescription
                elide: Text.ElideMiddle
            }
        }

        // Made with the first report: the chart needs its model from the start.
        Loader {
            id: chart
            anchors.top: status.bottom
            anchors.topMargin: 6
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            height: Math.round((parent.height - status.y - status.height) * 0.42)
            active: report.controller !== null
            sourceComponent: ParetoChart {
                objectName: "paretoChart"
                model: report.controller.chart
                onBarTapped: (bar) => {
                    const line = report.controller.lineOfBar(bar)
                    if (line < 0)
                        return
                    table.currentIndex = line
                    report.controller.showDelays(line)
                }
            }
        }

        // The columns of the table, as fractions of its width.
        readonly property var columns: [0, 0.40, 0.52, 0.66, 0.76, 0.88]
        readonly property var headers: [qsTr("Reason"), qsTr("Code"), qsTr("Minutes"), qsTr("Count"),
                                        qsTr("Share"), qsTr("Cumulative")]

        Rectangle {
            id: tableHeader
            anchors.top: chart.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            height: 28
            color: Theme.header
            Repeater {
                model: 6
                delegate: Text {
                    required property int index
                    x: 10 + (tableHeader.width - 20) * tableHeader.parent.columns[index] + 4
                    width: (tableHeader.width - 20) * ((index < 5 ? tableHeader.parent.columns[index + 1] : 1)
                                                       - tableHeader.parent.columns[index]) - 8
                    height: tableHeader.height
                    text: tableHeader.parent.headers[index]
                    color: "white"
                    font.pixelSize: 13
                    font.bold: true
                    horizontalAlignment: index === 0 ? Text.AlignLeft : Text.AlignRight
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }

        ListView {
            id: table
            objectName: "reportTable"
            anchors.top: tableHeader.bottom
            anchors.left: parent.left
            anchors.right: tableHeader.right
            anchors.bottom: parent.bottom
            clip: true
            activeFocusOnTab: true
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            model: report.controller ? report.controller.rows : null
            Accessible.role: Accessible.Table
            Accessible.name: qsTr("Power-off time by reason")
            KeyNavigation.tab: closeButton
            Keys.onReturnPressed: report.controller.showDelays(currentIndex)
            Keys.onEnterPressed: report.controller.showDelays(currentIndex)
            Keys.onSpacePressed: report.controller.showDelays(currentIndex)
            delegate: Rectangle {
                id: line
                required property int index
                required property string name
                required property string code
                required property string minutes
                required property int count
                required property string share
                required property string cumulative
                required property bool unclassified
                required property bool pending
                required property color swatch
                objectName: "reportLine_" + index
                width: ListView.view.width
                height: 34
                // The unclassified time stands out in the unknown reason's colour.
                color: unclassified ? Qt.rgba(Theme.indicator.r, Theme.indicator.g, Theme.indicator.b, 0.18)
                                    : ListView.isCurrentItem && table.activeFocus ? Theme.selectedRow : "white"
                border.width: ListView.isCurrentItem && table.activeFocus ? 2 : 0
                border.color: Theme.tint
                readonly property var cells: [name + (pending ? " ✎" : ""), code, minutes, String(count), share,
                                               cumulative]
                Rectangle {
                    x: 4
                    anchors.verticalCenter: parent.verticalCenter
                    width: 8
                    height: 20
                    color: line.swatch
                }
                Repeater {
                    model: 6
                    delegate: Text {
                        required property int index
                        x: 10 + (line.width - 20) * tableHeader.parent.columns[index] + 4
                        width: (line.width - 20) * ((index < 5 ? tableHeader.parent.columns[index + 1] : 1)
                                                    - tableHeader.parent.columns[index]) - 8
                        height: line.height
                        text: line.cells[index]
                        color: line.unclassified ? Theme.indicator : "black"
                        font.pixelSize: 14
                        font.bold: line.unclassified
                        elide: Text.ElideRight
                        horizontalAlignment: index === 0 ? Text.AlignLeft : Text.AlignRight
                        verticalAlignment: Text.AlignVCenter
                    }
                }
                Rectangle {
                    anchors.bottom: parent.bottom
                    width: parent.width
                    height: 1
                    color: Theme.rowSeparator
                }
                TapHandler {
                    onTapped: {
                        table.currentIndex = line.index
                        report.controller.showDelays(line.index)
                    }
                }
            }
        }

        Rectangle {
            id: delaysPanel
            objectName: "reportDelays"
            // In the chart's place: the table stays whole, its tapped line in view.
            anchors.fill: chart
            visible: report.controller !== null && report.controller.showsDelays
            color: "white"
            border.color: Theme.rowSeparator

            Rectangle {
                id: delaysHeader
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                height: 28
                color: Theme.header
                Text {
                    anchors.left: parent.left
                    anchors.right: closeDelaysButton.left
                    anchors.leftMargin: 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: report.controller ? report.controller.delaysTitle : ""
                    color: "white"
                    font.bold: true
                    font.pixelSize: 13
                    elide: Text.ElideRight
                }
                BarButton {
                    id: closeDelaysButton
                    objectName: "closeDelaysButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    height: 28
                    label: "×"
                    Accessible.name: qsTr("Close the delays")
                    onClicked: {
                        report.controller.closeDelays()
                        table.forceActiveFocus(Qt.TabFocusReason)
                    }
                }
            }
            Text {
                id: delaysMessage
                anchors.top: delaysHeader.bottom
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 6
                visible: text.length > 0
                text: report.controller ? report.controller.delaysMessage : ""
                color: Theme.destructive
                font.pixelSize: 13
                wrapMode: Text.Wrap
            }
            ListView {
                id: delayList
                objectName: "reportDelayList"
                anchors.top: delaysMessage.visible ? delaysMessage.bottom : delaysHeader.bottom
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                clip: true
                activeFocusOnTab: true
                keyNavigationEnabled: true
                highlightMoveDuration: 0
                model: report.controller ? report.controller.delays : null
                Accessible.role: Accessible.List
                Accessible.name: qsTr("Delays")
                KeyNavigation.tab: table
                Keys.onReturnPressed: report.controller.openDelay(currentIndex)
                Keys.onEnterPressed: report.controller.openDelay(currentIndex)
                Keys.onEscapePressed: {
                    report.controller.closeDelays()
                    table.forceActiveFocus(Qt.TabFocusReason)
                }
                delegate: Rectangle {
                    id: delay
                    required property int index
                    required property string heat
                    required property string start
                    required property string duration
                    required property string comment
                    objectName: "reportDelay_" + index
                    width: ListView.view.width
                    height: comment.length > 0 ? 50 : 34
                    color: ListView.isCurrentItem && delayList.activeFocus ? Theme.selectedRow : "white"
                    border.width: ListView.isCurrentItem && delayList.activeFocus ? 2 : 0
                    border.color: Theme.tint
                    Text {
                        x: 10
                        y: 8
                        width: parent.width * 0.45
                        text: delay.heat
                        font.pixelSize: 14
                        elide: Text.ElideRight
                    }
                    Text {
                        x: parent.width * 0.45 + 10
                        y: 8
                        width: parent.width * 0.25
                        text: delay.start
                        font.pixelSize: 14
                    }
                    Text {
                        anchors.right: parent.right
                        anchors.rightMargin: 10
                        y: 8
                        text: delay.duration
                        font.pixelSize: 14
                    }
                    Text {
                        x: 10
                        y: 28
                        width: parent.width - 20
                        visible: delay.comment.length > 0
                        text: delay.comment
                        color: Theme.rowDescription
                        font.pixelSize: 12
                        elide: Text.ElideRight
                    }
                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: parent.width
                        height: 1
                        color: Theme.rowSeparator
                    }
                    TapHandler {
                        onTapped: {
                            delayList.currentIndex = delay.index
                            report.controller.openDelay(delay.index)
                        }
                    }
                }
            }
        }
    }

    FileDialog {
        id: exportDialog
        property string kind: "csv"
        function ask(what) {
            kind = what
            nameFilters = what === "csv" ? [qsTr("CSV files (*.csv)")] : [qsTr("PDF files (*.pdf)")]
            defaultSuffix = what
            open()
        }
        fileMode: FileDialog.SaveFile
        onAccepted: {
            const path = selectedFile.toString()
            const failure = kind === "csv" ? report.controller.exportCsv(path) : report.controller.exportPdf(path)
            exportMessage.text = failure.length > 0 ? failure : qsTr("Saved to %1").arg(path.replace(/^file:\/\//, ""))
        }
    }
}
