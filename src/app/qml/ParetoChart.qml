import QtQuick
import Orvendel

// The report's Pareto chart: a bar per line of the table, largest first, the cumulative share as a line
// over them and the 80 % mark across. Every frame comes from the model.
Item {
    id: chart

    required property ParetoChartModel model

    signal barTapped(int index)

    clip: true

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

    Rectangle {
        objectName: "paretoAxis"
        x: chart.model.plotFrame.x
        y: chart.model.plotFrame.y + chart.model.plotFrame.height
        width: chart.model.plotFrame.width
        height: 1
        color: chart.model.lineColor
    }
    Repeater {
        model: chart.model.scaleLabels
        delegate: Text {
            required property rect frame
            required property string caption
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            text: caption
            color: chart.model.labelsTextColor
            font.pixelSize: 11
            horizontalAlignment: frame.x > chart.model.plotFrame.x ? Text.AlignLeft : Text.AlignRight
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
            objectName: "paretoBar_" + index
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            color: fill
            border.width: outlined ? 1 : 0
            border.color: chart.model.lineColor
        }
    }
    Repeater {
        model: chart.model.barLabels
        delegate: Text {
            required property rect frame
            required property string caption
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            text: caption
            color: chart.model.labelsTextColor
            font.pixelSize: 11
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignHCenter
        }
    }
    // The 80 % mark: dashes, so that it does not read as another bar's top.
    Row {
        objectName: "paretoMark"
        x: chart.model.markFrame.x
        y: chart.model.markFrame.y
        width: chart.model.markFrame.width
        clip: true
        spacing: 4
        Repeater {
            model: Math.ceil(chart.model.markFrame.width / 10)
            delegate: Rectangle {
                width: 6
                height: 1
                color: chart.model.markColor
            }
        }
    }
    Text {
        x: chart.model.markLabel.x
        y: chart.model.markLabel.y
        width: chart.model.markLabel.width
        height: chart.model.markLabel.height
        text: "80 %"
        color: chart.model.markColor
        font.pixelSize: 11
        font.bold: true
        verticalAlignment: Text.AlignVCenter
    }
    Repeater {
        model: chart.model.cumulativeLine
        delegate: Rectangle {
            required property point from
            required property real length
            required property real angle
            x: from.x
            y: from.y - 1
            width: length
            height: 2
            color: chart.model.lineColor
            antialiasing: true
            transformOrigin: Item.Left
            rotation: angle
        }
    }
    Repeater {
        model: chart.model.cumulativePoints
        delegate: Rectangle {
            required property rect frame
            x: frame.x
            y: frame.y
            width: frame.width
            height: frame.height
            radius: width / 2
            color: chart.model.lineColor
        }
    }

    TapHandler {
        onTapped: (point) => {
            const bar = chart.model.barAt(point.position.x, point.position.y)
            if (bar >= 0)
                chart.barTapped(bar)
        }
    }
}
