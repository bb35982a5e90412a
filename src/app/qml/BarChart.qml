import QtQuick
import Orvendel

// The heat's delays summed per reason: axes and grid, the reasons' names, the ten scale labels and one bar
// per reason with its value. Every frame comes from the model; lines are thin rectangles.
Item {
    id: chart

    required property BarChartModel model

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
        model: chart.model.gridLines
        delegate: Rectangle {
            required property var modelData
            required property int index
            objectName: "barChartGridLine_" + index
            x: modelData.x
            y: modelData.y
            width: modelData.width
            height: modelData.height
            color: chart.model.gridLineColor
        }
    }
    Repeater {
        model: chart.model.axes
        delegate: Rectangle {
            required property var modelData
            required property int index
            objectName: "barChartAxis_" + index
            x: modelData.x
            y: modelData.y
            width: modelData.width
            height: modelData.height
            color: chart.model.axisLineColor
        }
    }
    Repeater {
        model: chart.model.nameLabels
        delegate: Text {
            required property var modelData
            required property int index
            objectName: "barChartNameLabel_" + index
            x: modelData.x
            y: modelData.y
            width: modelData.width
            height: modelData.height
            text: modelData.text
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
        model: chart.model.scaleLabels
        delegate: Text {
            required property var modelData
            required property int index
            objectName: "barChartScaleLabel_" + index
            x: modelData.x
            y: modelData.y
            width: modelData.width
            height: modelData.height
            text: modelData.text
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }
    Repeater {
        model: chart.model.bars
        delegate: Rectangle {
            required property var modelData
            required property int index
            objectName: "barChartBar_" + index
            x: modelData.x
            y: modelData.y
            width: modelData.width
            height: modelData.height
            color: modelData.color
        }
    }
    // Apart from the bars, so that a label standing after a short bar is not clipped or covered by it.
    Repeater {
        model: chart.model.bars
        delegate: Text {
            required property var modelData
            required property int index
            objectName: "barChartValueLabel_" + index
            x: modelData.valueLabel.x
            y: modelData.valueLabel.y
            width: modelData.valueLabel.width
            height: modelData.valueLabel.height
            text: modelData.valueText
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
