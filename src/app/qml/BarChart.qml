import QtQuick
import Orvendel

// The heat's delays summed per reason: axes and grid, the reasons' names, the ten scale labels and one bar
// per reason with its value. Every frame comes from the model; lines are thin rectangles.
Item {
    id: chart

    required property BarChartModel model

    // Whatever the data, nothing is drawn over the neighbouring chart or the pages.
    clip: true

    // Read once per change; the Repeaters only count them, so that new values keep the delegates (recreating
    // dozens of them per edit cost more than the rest of the update).
    readonly property var gridLines: chart.model.gridLines
    readonly property var axes: chart.model.axes
    readonly property var nameLabels: chart.model.nameLabels
    readonly property var scaleLabels: chart.model.scaleLabels
    readonly property var bars: chart.model.bars
    // What a delegate reads while the Repeater is about to remove it: the lists shrink before their count does.
    readonly property var blank: ({ x: 0, y: 0, width: 0, height: 0, color: "transparent", text: "", valueText: "",
                                    outlined: false, valueLabel: Qt.rect(0, 0, 0, 0) })

    Binding {
        target: chart.model
        property: "width"
        value: chart.width
    }
    Binding {
        target: chart.model
        property: "height"
        value: chart.height
    }

    Repeater {
        model: chart.gridLines.length
        delegate: Rectangle {
            required property int index
            readonly property var entry: chart.gridLines[index] ?? chart.blank
            objectName: "barChartGridLine_" + index
            x: entry.x
            y: entry.y
            width: entry.width
            height: entry.height
            color: chart.model.gridLineColor
        }
    }
    Repeater {
        model: chart.axes.length
        delegate: Rectangle {
            required property int index
            readonly property var entry: chart.axes[index] ?? chart.blank
            objectName: "barChartAxis_" + index
            x: entry.x
            y: entry.y
            width: entry.width
            height: entry.height
            color: chart.model.axisLineColor
        }
    }
    Repeater {
        model: chart.nameLabels.length
        delegate: Text {
            required property int index
            readonly property var entry: chart.nameLabels[index] ?? chart.blank
            objectName: "barChartNameLabel_" + index
            x: entry.x
            y: entry.y
            width: entry.width
            height: entry.height
            text: entry.text
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            // Many reasons make thin rows: the text shrinks to its row instead of running into the next.
            fontSizeMode: Text.VerticalFit
            minimumPixelSize: 6
            horizontalAlignment: Text.AlignRight
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }
    Repeater {
        model: chart.scaleLabels.length
        delegate: Text {
            required property int index
            readonly property var entry: chart.scaleLabels[index] ?? chart.blank
            objectName: "barChartScaleLabel_" + index
            x: entry.x
            y: entry.y
            width: entry.width
            height: entry.height
            text: entry.text
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }
    Repeater {
        model: chart.bars.length
        delegate: Rectangle {
            required property int index
            readonly property var entry: chart.bars[index] ?? chart.blank
            objectName: "barChartBar_" + index
            x: entry.x
            y: entry.y
            width: entry.width
            height: entry.height
            color: entry.color
            // A white or near-white reason would vanish on the light ground.
            border.width: entry.outlined ? 1 : 0
            border.color: chart.model.axisLineColor
        }
    }
    // Apart from the bars, so that a label standing after a short bar is not clipped or covered by it.
    Repeater {
        model: chart.bars.length
        delegate: Text {
            required property int index
            readonly property var entry: chart.bars[index] ?? chart.blank
            objectName: "barChartValueLabel_" + index
            x: entry.valueLabel.x
            y: entry.valueLabel.y
            width: entry.valueLabel.width
            height: entry.valueLabel.height
            text: entry.valueText
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            // Many reasons make thin rows: the text shrinks to its row instead of running into the next.
            fontSizeMode: Text.VerticalFit
            minimumPixelSize: 6
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }
}
