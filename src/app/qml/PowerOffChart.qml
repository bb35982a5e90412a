import QtQuick
import Orvendel

// One heat as a timeline: the legends row, the band of delay and gap segments with the selected delay
// raised and slightly enlarged, and the heat's start and end times. Every frame comes from the model; this
// view only draws them and reports taps on a delay's segment.
Item {
    id: chart

    required property PowerOffChartModel model

    // Whatever the data, nothing is drawn over (or takes the taps of) the heats list or the bar chart.
    clip: true

    // A delay's segment was tapped; the index is the delay's in the heat's list.
    signal segmentTapped(int delayIndex)

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

    Item {
        objectName: "powerOffLegends"
        x: chart.model.legendsFrame.x
        y: chart.model.legendsFrame.y
        width: chart.model.legendsFrame.width
        height: chart.model.legendsFrame.height
        // Legends that do not fit are counted by "+N" at the end of the row (the model leaves them out).

        Repeater {
            model: chart.model.legendRows
            delegate: Rectangle {
                required property int index
                required property rect swatch
                required property color fill
                required property bool outlined
                objectName: "legendSwatch_" + index
                x: swatch.x
                y: swatch.y
                width: swatch.width
                height: swatch.height
                radius: width / 2
                color: fill
                border.width: outlined ? 1 : 0
                border.color: chart.model.labelsTextColor
            }
        }
        Repeater {
            model: chart.model.legendRows
            delegate: Text {
                required property int index
                required property rect label
                required property string caption
                objectName: "legendLabel_" + index
                x: label.x
                y: label.y
                width: label.width
                height: label.height
                text: caption
                color: chart.model.labelsTextColor
                font.pixelSize: 12
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
        Text {
            objectName: "legendMore"
            visible: text.length > 0
            x: chart.model.moreLegendsFrame.x
            y: chart.model.moreLegendsFrame.y
            width: chart.model.moreLegendsFrame.width
            height: chart.model.moreLegendsFrame.height
            text: chart.model.moreLegendsText
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
            verticalAlignment: Text.AlignVCenter
        }
    }

    Item {
        objectName: "powerOffBand"
        x: chart.model.bandFrame.x
        y: chart.model.bandFrame.y
        width: chart.model.bandFrame.width
        height: chart.model.bandFrame.height

        // The segments, their shadows and the raised selected one, drawn as one item.
        PowerOffBand {
            objectName: "powerOffSegments"
            anchors.fill: parent
            model: chart.model
        }

        Item {
            objectName: "powerOffShadowView"
            x: chart.model.shadowFrame.x
            y: chart.model.shadowFrame.y
            width: chart.model.shadowFrame.width
            height: chart.model.shadowFrame.height

            Item {
                objectName: "powerOffSegmentContainer"
                x: chart.model.segmentContainerFrame.x
                y: chart.model.segmentContainerFrame.y
                width: chart.model.segmentContainerFrame.width
                height: chart.model.segmentContainerFrame.height

                // One area for the taps of every segment; the model answers which delay is under a point.
                MouseArea {
                    objectName: "powerOffSegmentTaps"
                    // The raised segment stands out of the container.
                    x: -parent.height / 2
                    y: -parent.height / 2
                    width: parent.width + 2 * -x
                    height: parent.height * 2
                    onClicked: mouse => {
                        const index = chart.model.delayIndexAtPoint(mouse.x + x, mouse.y + y)
                        if (index >= 0)
                            chart.segmentTapped(index)
                    }
                }
            }
        }
    }

    Item {
        objectName: "powerOffTimes"
        x: chart.model.timesRowFrame.x
        y: chart.model.timesRowFrame.y
        width: chart.model.timesRowFrame.width
        height: chart.model.timesRowFrame.height

        Text {
            objectName: "powerOffStartTimeLabel"
            x: chart.model.startLabelFrame.x
            y: chart.model.startLabelFrame.y
            width: chart.model.startLabelFrame.width
            height: chart.model.startLabelFrame.height
            text: chart.model.startTimeLabel
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
        }
        Text {
            objectName: "powerOffStartTimeValue"
            // A narrow chart shrinks the time rather than writing it over the next caption.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            elide: Text.ElideRight
            x: chart.model.startValueFrame.x
            y: chart.model.startValueFrame.y
            width: chart.model.startValueFrame.width
            height: chart.model.startValueFrame.height
            text: chart.model.startTimeValue
            color: chart.model.labelsTextColor
            font.pixelSize: 12
        }
        Text {
            objectName: "powerOffEndTimeLabel"
            x: chart.model.endLabelFrame.x
            y: chart.model.endLabelFrame.y
            width: chart.model.endLabelFrame.width
            height: chart.model.endLabelFrame.height
            text: chart.model.endTimeLabel
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
        }
        Text {
            objectName: "powerOffEndTimeValue"
            // A narrow chart shrinks the time rather than writing it over the next caption.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            elide: Text.ElideRight
            x: chart.model.endValueFrame.x
            y: chart.model.endValueFrame.y
            width: chart.model.endValueFrame.width
            height: chart.model.endValueFrame.height
            text: chart.model.endTimeValue
            color: chart.model.labelsTextColor
            font.pixelSize: 12
        }
    }
}
