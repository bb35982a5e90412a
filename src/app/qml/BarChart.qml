import QtQuick
import Orvendel

// The heat's delays summed per reason: axes and grid, the reasons' names, the ten scale labels and one bar
// per reason with its value. Every frame comes from the model; lines are thin rectangles.
Item {
    id: chart

    required property BarChartModel model

    // Whatever the data, nothing is drawn over the neighbouring chart or the pages.
    clip: true

    // The rows change in place: a delegate stays and re-reads what changed (recreating dozens of them per edit
    // cost more than the rest of the update).

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
            required property int index
            required property rect frame
            objectName: "barChartGridLine_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            color: chart.model.gridLineColor
        }
    }
    Repeater {
        model: chart.model.axes
        delegate: Rectangle {
            required property int index
            required property rect frame
            objectName: "barChartAxis_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            color: chart.model.axisLineColor
        }
    }
    Repeater {
        model: chart.model.nameLabels
        delegate: Text {
            required property int index
            required property rect frame
            required property string caption
            objectName: "barChartNameLabel_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            text: caption
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
            required property int index
            required property rect frame
            required property string caption
            objectName: "barChartScaleLabel_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            text: caption
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }
    Repeater {
        model: chart.model.bars
        delegate: Rectangle {
            required property int index
            required property rect frame
            required property color fill
            required property bool outlined
            objectName: "barChartBar_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            color: fill
            // A white or near-white reason would vanish on the light ground.
            border.width: outlined ? 1 : 0
            border.color: chart.model.axisLineColor
        }
    }
    // Apart from the bars, so that a label standing after a short bar is not clipped or covered by it.
    Repeater {
        model: chart.model.bars
        delegate: Text {
            required property int index
            required property rect valueLabel
            required property string valueText
            objectName: "barChartValueLabel_" + index
            x: valueLabel.x
            y: valueLabel.y
            width: valueLabel.width
            height: valueLabel.height
            text: valueText
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
